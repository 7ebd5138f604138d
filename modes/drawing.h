// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DRAWING_H
#define DRAWING_H

#include "submode.h"

#include <QObject>
#include <QPointF>
#include <complex>

class QMouseEvent;
class QPushButton;

// A spectral density drawn by hand: one left-to-right stroke on the spectrum
// plot, shown raw while it lasts, then smoothed by a natural cubic spline and
// turned into its signal by a fast Fourier transform.
class Drawing : public QObject, public Submode
{
    Q_OBJECT

public:
    Drawing(int kind, QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QPushButton *clearButton,
            QLabel *titleLabel, QLabel *hintLabel);
    ~Drawing() override;

    void redraw() override;
    // Index 0 with value 0.0 clears the drawing ("Очистить спектр").
    void setParameter(int index, double value) override;
    void fillBaseband(QVector<std::complex<double>> &out) const override;

protected:
    EnvelopeShape envelopeShape() const override;

private slots:
    void startDrawing(QMouseEvent *event);
    void moveDrawing(QMouseEvent *event);
    void endDrawing();

private:
    // The drawn point under a mouse position, held to 0..5 Hz by 0..1.
    QPointF pointAt(const QPoint &pixel) const;
    void computeSpline();
    double splineAt(double f) const;
    // Fills the time and signal samples from the spline.
    void synthesise();

    QPushButton *const clearButton;
    bool drawing = false;
    bool strokeDone = false;
    bool splineReady = false;
    QLabel *const hintLabel;
    QVector<double> splineValues;
    QVector<double> splineSlopes;
    QVector<double> splineCurvatures;
    QVector<double> splineThirdDerivatives;
    QVector<double> splineKnots;
    // Reused by every redraw once the stroke is done: the spline sampled on
    // the plot's 501 frequencies, and the transform's 4096 points.
    QVector<double> curveKeys;
    QVector<double> curveValues;
    QVector<std::complex<double>> transformBuffer;
    // What the transform's sums are multiplied by on the signal plot.
    double signalScale = 0.0;
};

#endif // DRAWING_H
