// SPDX-License-Identifier: GPL-3.0-or-later
#include "baseband.h"

#include <cmath>
#include <utility>

namespace {

constexpr double TwoPi = 6.283185307179586;

} // namespace

Baseband::Baseband(QVector<std::complex<double>> grid) : samples(std::move(grid))
{
    Q_ASSERT(samples.size() == Count);
    // Between the samples too: the interpolation overshoots a jump, such as
    // the start of the Lorentzian's signal.
    for (int j = 1; j + 2 < Count; ++j) {
        for (const double x : {0.0, 0.25, 0.5, 0.75})
            largest = std::max(largest, std::abs(at(timeOf(j) + x * Step)));
    }
}

std::complex<double> Baseband::at(double t) const
{
    if (samples.isEmpty())
        return {};
    // Catmull-Rom between the two samples around t, from the four nearest.
    const double u = (t - First) / Step + 1.0;
    const int j = qBound(1, int(std::floor(u)), Count - 3);
    const double x = u - j;
    const std::complex<double> *const p = samples.constData() + j - 1;
    return p[1] + 0.5 * x *
                      (p[2] - p[0] +
                       x * (2.0 * p[0] - 5.0 * p[1] + 4.0 * p[2] - p[3] +
                            x * (3.0 * (p[1] - p[2]) + p[3] - p[0])));
}

void Baseband::addHarmonics(const QVector<double> &frequencies, const QVector<double> &amplitudes,
                            double scale, QVector<std::complex<double>> &out)
{
    // Each term turns by the same angle from one grid time to the next; the
    // products drift from the exact phase by about 1e-12 over the grid.
    // The product is written out: std::complex's operator* also guards
    // against infinities, at several times the cost.
    std::complex<double> *const b = out.data();
    for (int k = 0; k < frequencies.size(); ++k) {
        const double w = frequencies.at(k) * TwoPi;
        // A drawn spectrum's spline swings below 0 beside a narrow peak, and
        // std::polar wants a magnitude of at least 0.
        const double amplitude = amplitudes.at(k) * scale;
        const std::complex<double> start(amplitude * std::cos(w * timeOf(0)),
                                         amplitude * std::sin(w * timeOf(0)));
        const double c = std::cos(w * Step), s = std::sin(w * Step);
        double re = start.real(), im = start.imag();
        for (int j = 0; j < out.size(); ++j) {
            b[j] += std::complex<double>(re, im);
            const double turned = re * c - im * s;
            im = re * s + im * c;
            re = turned;
        }
    }
}
