// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ENVELOPE_H
#define ENVELOPE_H

#include <QString>
#include <QVector>
#include <functional>

// The numbers behind "Огибающая": the envelope E(t) = |b(t)| of a signal made
// of harmonics, the widths of a spectrum and of an envelope at e^-1 of their
// peaks, the period of a beating envelope, and the readout's texts. Pure
// functions of the samples a submode already has.
class Envelope
{
public:
    // The level at which widths are measured, as a share of the peak.
    static constexpr double Level = 0.36787944117144233;

    // The stretch around the highest sample that lies at or above Level of
    // it. A side that reaches the first or last sample still at the level is
    // open, and the stretch ends there.
    struct Span
    {
        double from = 0.0;
        double to = 0.0;
        double peak = 0.0;
        bool openBelow = false;
        bool openAbove = false;

        double width() const { return to - from; }
        bool closed() const { return !openBelow && !openAbove; }
    };
    // keys rise; of equally high samples the one nearest to key 0 counts.
    // Each crossing is found between two samples, by linear interpolation,
    // or, given the exact curve, by bisection on it.
    static Span levelSpan(const QVector<double> &keys, const QVector<double> &values,
                          const std::function<double(double)> &exact = {});

    // scale * |sum of a_k e^(2 pi i f_k t)| at each of the times, which must
    // be evenly spaced; never below the magnitude of the real part, scale *
    // |sum of a_k cos(2 pi f_k t)|.
    static QVector<double> ofHarmonics(const QVector<double> &frequencies,
                                       const QVector<double> &amplitudes, double scale,
                                       const QVector<double> &times);

    // The same for count harmonics of one amplitude, step apart, scaled by
    // 1 / count (the wave packet): |sin(count pi step t) / (count sin(pi
    // step t))|, two sines a time instead of a turn of every harmonic.
    static QVector<double> ofPacket(int count, double step, const QVector<double> &times);
    static double ofPacketAt(int count, double step, double t);

    // The greatest common divisor of the distances between the harmonics
    // whose amplitude is above 0, on a 0.1 Hz grid, in Hz; 0 when they all
    // lie at one frequency (the envelope is constant then). The envelope
    // repeats after 1 / spacing.
    static double commonSpacing(const QVector<double> &frequencies,
                                const QVector<double> &amplitudes);

    // Two decimals, three significant digits below 0.1.
    static QString number(double value);
    // "Δf = 0.30 Гц   Δt = 4.24 с   Δf·Δt = 1.27", or with "Δt > 20 с" and
    // no product where the envelope does not fall to the level in the window.
    static QString widthsText(double frequencyWidth, const Span &time);
    // "T = 10.0 с   δf = 0.10 Гц", or "огибающая постоянна" for spacing 0.
    static QString periodText(double spacing);
    static QString frequencyText(double width);
    static QString timeText(double width);
};

#endif // ENVELOPE_H
