// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BASEBAND_H
#define BASEBAND_H

#include <QVector>
#include <complex>

// The signal that the signal plot shows, written as the real part of a
// complex signal b(t) made of the spectrum's own frequencies, all positive:
// the plot shows Re b(t), and the sound plays Re(b(t) e^(2 pi i 440 t)),
// every frequency raised by 440 Hz with the envelope |b(t)| and its timing
// kept. b is sampled every 2.5 ms from a step before -10 s to two steps past
// +10 s and interpolated in between; for content below 10 Hz that is good to
// about 1e-4 of the peak.
class Baseband
{
public:
    static constexpr double First = -10.0;
    static constexpr double Last = 10.0;
    static constexpr double Step = 0.0025;
    // The grid, padded for the interpolation at both ends.
    static constexpr int Count = int((Last - First) / Step + 0.5) + 4;
    static double timeOf(int index) { return First + (index - 1) * Step; }

    // Silence.
    Baseband() = default;
    // From b sampled at the grid's times (Count values), as a submode fills
    // it (Submode::baseband).
    explicit Baseband(QVector<std::complex<double>> grid);

    // b(t), for First <= t <= Last.
    std::complex<double> at(double t) const;
    // The largest |b| on the grid; 0 for silence.
    double peak() const { return largest; }

    // Adds scale * sum of a_k e^(2 pi i f_k t) at the grid's times to out,
    // which holds Count values.
    static void addHarmonics(const QVector<double> &frequencies, const QVector<double> &amplitudes,
                             double scale, QVector<std::complex<double>> &out);

private:
    QVector<std::complex<double>> samples;
    double largest = 0.0;
};

#endif // BASEBAND_H
