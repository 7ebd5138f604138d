// SPDX-License-Identifier: GPL-3.0-or-later
#include "envelope.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <vector>

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double TwoPi = 6.283185307179586;
// Samples this close to the highest count as equally high: the packet's
// envelope peaks at 1 at t = 0 and again one period away.
constexpr double SamePeak = 1e-9;
// The sum of phasors turned step by step drifts by about 1e-16 a step; it is
// started afresh from the exact phase this often.
constexpr int Restart = 64;
// A crossing is found this closely, in seconds or hertz: far below the
// readout's two decimals, in some 25 halvings of a sample's step rather than
// the 45 that reach a double's last bit (the packet's exact curve sums every
// harmonic at each).
constexpr double Resolution = 1e-9;

// Where between keys a and b the curve crosses the level: linearly between
// the samples, then on the exact curve by bisection.
double crossing(double a, double va, double b, double vb, double level,
                const std::function<double(double)> &exact)
{
    if (!exact)
        return a + (b - a) * (va - level) / (va - vb);
    // va is at or above the level, vb below it.
    for (int i = 0; i < 60 && std::fabs(b - a) > Resolution; ++i) {
        const double m = 0.5 * (a + b);
        if (m == a || m == b)
            break;
        (exact(m) >= level ? a : b) = m;
    }
    return 0.5 * (a + b);
}

} // namespace

Envelope::Span Envelope::levelSpan(const QVector<double> &keys, const QVector<double> &values,
                                   const std::function<double(double)> &exact)
{
    Span span;
    const int n = std::min(keys.size(), values.size());
    if (n == 0)
        return span;
    const double highest = *std::max_element(values.begin(), values.begin() + n);
    int top = -1;
    for (int i = 0; i < n; ++i) {
        if (values.at(i) >= highest - SamePeak * std::fabs(highest) &&
            (top < 0 || std::fabs(keys.at(i)) < std::fabs(keys.at(top))))
            top = i;
    }
    span.peak = highest;
    const double level = Level * highest;
    int low = top, high = top;
    while (low > 0 && values.at(low - 1) >= level)
        --low;
    while (high + 1 < n && values.at(high + 1) >= level)
        ++high;
    span.openBelow = low == 0;
    span.openAbove = high == n - 1;
    span.from = span.openBelow ? keys.at(0)
                               : crossing(keys.at(low), values.at(low), keys.at(low - 1),
                                          values.at(low - 1), level, exact);
    span.to = span.openAbove ? keys.at(n - 1)
                             : crossing(keys.at(high), values.at(high), keys.at(high + 1),
                                        values.at(high + 1), level, exact);
    return span;
}

QVector<double> Envelope::ofHarmonics(const QVector<double> &frequencies,
                                      const QVector<double> &amplitudes, double scale,
                                      const QVector<double> &times)
{
    const int m = times.size();
    const int n = std::min(frequencies.size(), amplitudes.size());
    // The real and imaginary parts of the sum apart, in plain arrays: this
    // runs at every step of a drag, twice when the step sets two values.
    std::vector<double> real(size_t(m), 0.0), imaginary(size_t(m), 0.0);
    const double step = m > 1 ? (times.last() - times.first()) / (m - 1) : 0.0;
    for (int k = 0; k < n; ++k) {
        const double w = frequencies.at(k) * TwoPi;
        const std::complex<double> turn = std::polar(1.0, w * step);
        const double c = turn.real(), s = turn.imag();
        for (int from = 0; from < m; from += Restart) {
            // Each phasor turns by the same angle from one time to the next,
            // and starts afresh every Restart times.
            const std::complex<double> start = std::polar(amplitudes.at(k), w * times.at(from));
            double x = start.real(), y = start.imag();
            for (int j = from; j < std::min(m, from + Restart); ++j) {
                real[size_t(j)] += x;
                imaginary[size_t(j)] += y;
                const double turned = x * c - y * s;
                y = x * s + y * c;
                x = turned;
            }
        }
    }
    QVector<double> magnitudes(m);
    for (int j = 0; j < m; ++j)
        magnitudes[j] = std::fabs(scale) * std::sqrt(real[size_t(j)] * real[size_t(j)] +
                                                     imaginary[size_t(j)] * imaginary[size_t(j)]);
    return magnitudes;
}

QVector<double> Envelope::ofPacket(int count, double step, const QVector<double> &times)
{
    QVector<double> magnitudes(times.size());
    std::transform(times.begin(), times.end(), magnitudes.begin(),
                   [count, step](double t) { return ofPacketAt(count, step, t); });
    return magnitudes;
}

double Envelope::ofPacketAt(int count, double step, double t)
{
    // The sum repeats (up to its sign) every 1 / step: near each peak the
    // sines are taken of the small remainder, where they are exact.
    const double turns = step * t;
    const double x = Pi * (turns - std::round(turns));
    const double below = std::sin(x);
    if (count <= 0)
        return 0.0;
    if (below == 0.0)
        return 1.0;
    return std::fabs(std::sin(count * x) / (count * below));
}

double Envelope::commonSpacing(const QVector<double> &frequencies,
                               const QVector<double> &amplitudes)
{
    // In tenths of a hertz, where the harmonics lie.
    QVector<long> tenths;
    for (int k = 0; k < std::min(frequencies.size(), amplitudes.size()); ++k) {
        if (amplitudes.at(k) > 0.0)
            tenths << std::lround(frequencies.at(k) * 10.0);
    }
    long divisor = 0;
    for (const long each : std::as_const(tenths))
        divisor = std::gcd(divisor, std::labs(each - tenths.first()));
    return divisor / 10.0;
}

QString Envelope::number(double value)
{
    // Below 0.1 two decimals would leave one or two digits.
    const double size = std::fabs(value);
    const int decimals = size > 0.0 && size < 0.1 ? 2 - int(std::floor(std::log10(size))) : 2;
    return QString::number(value, 'f', decimals);
}

QString Envelope::frequencyText(double width)
{
    return QStringLiteral("Δf = %1 Гц").arg(number(width));
}

QString Envelope::timeText(double width)
{
    return QStringLiteral("Δt = %1 с").arg(number(width));
}

QString Envelope::widthsText(double frequencyWidth, const Span &time)
{
    const QString gap = QStringLiteral("   ");
    if (!time.closed())
        return frequencyText(frequencyWidth) + gap + QStringLiteral("Δt > 20 с");
    return frequencyText(frequencyWidth) + gap + timeText(time.width()) + gap +
           QStringLiteral("Δf·Δt = %1").arg(number(frequencyWidth * time.width()));
}

QString Envelope::periodText(double spacing)
{
    if (spacing <= 0.0)
        return QStringLiteral("огибающая постоянна");
    return QStringLiteral("T = %1 с   δf = %2 Гц")
        .arg(QString::number(1.0 / spacing, 'f', 1), number(spacing));
}
