// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CONTINUOUS_H
#define CONTINUOUS_H

#include "submode.h"

class QDoubleSpinBox;

// The analytic spectral lines: Gaussian, rectangular and Lorentzian, set by
// centre and width. The values live in the two spin boxes and are read afresh
// on every redraw.
class Continuous : public Submode
{
public:
    Continuous(int kind, QDoubleSpinBox *centreBox, QDoubleSpinBox *widthBox,
               QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QLabel *titleLabel,
               QLabel *widthCaption);

    void redraw() override;
    void setParameter(int index, double value) override;
    void fillBaseband(QVector<std::complex<double>> &out) const override;

protected:
    EnvelopeShape envelopeShape() const override;

private:
    // Spectral density of this line at frequency f; 1 at f = f0.
    double spectrumAt(double f0, double p, double f) const;
    // The line parameter p of spectrumAt() for the width w in Hz.
    double lineParameter(double w) const;
    // The signal's envelope at t for the line parameter p and the width w:
    // the carrier at f0 makes it the signal.
    double envelope(double t, double p, double w) const;
    void buildSignal();

    QDoubleSpinBox *const centreBox;
    QDoubleSpinBox *const widthBox;
    QLabel *const widthCaption;
};

#endif // CONTINUOUS_H
