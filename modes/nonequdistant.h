// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NONEQUDISTANT_H
#define NONEQUDISTANT_H

#include "submode.h"

#include <QObject>

class QMouseEvent;
class QSpinBox;
class QDoubleSpinBox;

// One to three separate harmonics, loaded as the classic examples (a single
// cosine, beats, amplitude modulation) and edited with the spin boxes or by
// dragging a harmonic's marker on the spectrum plot. The spectrum keys hold the
// frequencies and the spectrum values the amplitudes; the selected harmonic is
// whatever the harmonic box shows.
class Nonequdistant : public QObject, public Submode
{
    Q_OBJECT

public:
    Nonequdistant(int kind, QSpinBox *countBox, QSpinBox *harmonicBox, QDoubleSpinBox *frequencyBox,
                  QDoubleSpinBox *amplitudeBox, QCustomPlot *spectrumPlot, QCustomPlot *signalPlot,
                  QLabel *titleLabel);
    ~Nonequdistant() override;

    void redraw() override;
    void setParameter(int index, double value) override;
    void fillBaseband(QVector<std::complex<double>> &out) const override;

protected:
    EnvelopeShape envelopeShape() const override;

private slots:
    void pressSpectrum(QMouseEvent *event);
    void moveSpectrum(QMouseEvent *event);
    void releaseSpectrum();

private:
    // Index into the harmonic vectors of the harmonic the box has selected.
    int selectedIndex() const;

    QSpinBox *const countBox;
    QSpinBox *const harmonicBox;
    QDoubleSpinBox *const frequencyBox;
    QDoubleSpinBox *const amplitudeBox;
    bool dragging = false;
};

#endif // NONEQUDISTANT_H
