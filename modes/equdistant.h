// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef EQUDISTANT_H
#define EQUDISTANT_H

#include "submode.h"

#include <QObject>

class QMouseEvent;
class QSpinBox;
class QDoubleSpinBox;

// A wave packet: N harmonics of amplitude 1, a step B apart and centred on A.
// N, A and B live only in their spin boxes; every change that would carry the
// packet outside the 0..5 Hz of the spectrum plot is refused and its box
// restored. Any harmonic can be grabbed to drag the whole packet in 0.1 Hz steps.
class Equdistant : public QObject, public Submode
{
    Q_OBJECT

public:
    Equdistant(int kind, QSpinBox *countBox, QDoubleSpinBox *centreBox, QDoubleSpinBox *stepBox,
               QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QLabel *titleLabel);
    ~Equdistant() override;

    void redraw() override;
    void setParameter(int index, double value) override;
    void fillBaseband(QVector<std::complex<double>> &out) const override;

    // Half the room the packet claims around its centre. An even count claims
    // one step more than its outermost harmonics reach.
    static double halfWidth(int count, double step);
    // Whether a packet of count harmonics, step apart around centre, stays
    // within 0..5 Hz; touching a bound exactly is allowed.
    static bool fits(int count, double centre, double step);

protected:
    EnvelopeShape envelopeShape() const override;

private slots:
    void pressSpectrum(QMouseEvent *event);
    void moveSpectrum(QMouseEvent *event);
    void releaseSpectrum();

private:
    QSpinBox *const countBox;
    QDoubleSpinBox *const centreBox;
    QDoubleSpinBox *const stepBox;
    bool dragging = false;
    int heldIndex = -1;
    // The last centre and step that were accepted, restored on a refusal.
    double lastCentre = 0.0;
    double lastStep = 0.0;
};

#endif // EQUDISTANT_H
