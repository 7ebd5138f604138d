// SPDX-License-Identifier: GPL-3.0-or-later
#include "nonequdistant.h"

#include "baseband.h"
#include "envelope.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <qcustomplot.h>

#include <cmath>

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr int TimeSamples = 1001;
constexpr int MaximumCount = 3;
// How close, in axis units of both axes alike, a press must come to a marker.
constexpr double PickDistance = 0.05;

// The classic example that each count loads.
struct Example
{
    const char *title;
    double frequencies[MaximumCount];
    double amplitudes[MaximumCount];
};

const Example examples[MaximumCount] = {
    {"Гармонический сигнал", {0.2}, {1.0}},
    {"Картина биений", {1.0, 1.1}, {1.0, 1.0}},
    {"Амплитудная модуляция", {2.9, 3.0, 3.1}, {0.5, 1.0, 0.5}},
};

const Qt::GlobalColor harmonicColours[MaximumCount] = {Qt::black, Qt::blue, Qt::red};

// The nearest tenth, halves away from zero: the grid of the one-decimal boxes.
double toTenth(double v)
{
    return std::round(v * 10.0) / 10.0;
}

} // namespace

Nonequdistant::Nonequdistant(int kind, QSpinBox *countBox, QSpinBox *harmonicBox,
                             QDoubleSpinBox *frequencyBox, QDoubleSpinBox *amplitudeBox,
                             QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QLabel *titleLabel)
    : QObject(), Submode(kind, spectrumPlot, signalPlot, titleLabel), countBox(countBox),
      harmonicBox(harmonicBox), frequencyBox(frequencyBox), amplitudeBox(amplitudeBox)
{
    // The redraws inside do nothing yet: the boxes are filled first.
    setParameter(0, 1.0);
    ready = true;
    spectrumPlot->legend->setVisible(true);
    redraw();

    connect(spectrumPlot, SIGNAL(mousePress(QMouseEvent *)), this,
            SLOT(pressSpectrum(QMouseEvent *)));
    connect(spectrumPlot, SIGNAL(mouseMove(QMouseEvent *)), this,
            SLOT(moveSpectrum(QMouseEvent *)));
    connect(spectrumPlot, SIGNAL(mouseRelease(QMouseEvent *)), this, SLOT(releaseSpectrum()));
}

Nonequdistant::~Nonequdistant()
{
    // The legend names our harmonics; no other submode has one.
    spectrumPlot->legend->setVisible(false);
    disconnect(spectrumPlot, SIGNAL(mousePress(QMouseEvent *)), this,
               SLOT(pressSpectrum(QMouseEvent *)));
    disconnect(spectrumPlot, SIGNAL(mouseMove(QMouseEvent *)), this,
               SLOT(moveSpectrum(QMouseEvent *)));
    disconnect(spectrumPlot, SIGNAL(mouseRelease(QMouseEvent *)), this, SLOT(releaseSpectrum()));
}

int Nonequdistant::selectedIndex() const
{
    return qBound(0, harmonicBox->value() - 1, spectrumKeys.size() - 1);
}

void Nonequdistant::setParameter(int index, double value)
{
    // Writing a box makes it echo its value back here through the window; the
    // echo finds the value already stored, since everything lives on the
    // boxes' 0.1 grid.
    switch (index) {
    case 0: {
        // Held to the examples that exist, whoever calls.
        const int n = qBound(1, int(value), MaximumCount);
        harmonicBox->setMaximum(n);
        spectrumKeys.resize(n);
        spectrumValues.resize(n);
        const Example &example = examples[n - 1];
        titleLabel->setText(QString::fromUtf8(example.title));
        for (int i = 0; i < n; ++i) {
            spectrumKeys[i] = example.frequencies[i];
            spectrumValues[i] = example.amplitudes[i];
        }
        setControl(countBox, n);
        setParameter(1, 1.0);
        break;
    }
    case 1: {
        const int k = qBound(1, int(value), spectrumKeys.size());
        setControl(harmonicBox, k);
        setControl(frequencyBox, spectrumKeys.at(k - 1));
        setControl(amplitudeBox, spectrumValues.at(k - 1));
        break;
    }
    case 2: {
        const double v = qMin(qMax(value, 0.0), 5.0);
        spectrumKeys[selectedIndex()] = v;
        setControl(frequencyBox, v);
        break;
    }
    case 3: {
        const double v = qMin(qMax(value, 0.0), 1.0);
        spectrumValues[selectedIndex()] = v;
        setControl(amplitudeBox, v);
        break;
    }
    default:
        break;
    }
    redraw();
}

void Nonequdistant::redraw()
{
    if (!ready || echoing)
        return;

    const int n = spectrumKeys.size();
    spectrumPlot->clearGraphs();
    for (int i = 0; i < n; ++i) {
        QCPGraph *const harmonic = addGraph(spectrumPlot);
        harmonic->setData(QVector<double>{spectrumKeys.at(i)},
                          QVector<double>{spectrumValues.at(i)});
        harmonic->setLineStyle(QCPGraph::lsImpulse);
        harmonic->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 10));
        harmonic->setName(QString::number(i + 1));
        spectrumPen.setColor(harmonicColours[i]);
        harmonic->setPen(spectrumPen);
    }
    replot(spectrumPlot);

    timeSamples.resize(TimeSamples);
    signalSamples.resize(TimeSamples);
    const double step = 20.0 / (TimeSamples - 1);
    for (int i = 0; i < TimeSamples; ++i) {
        const double t = i * step - 10.0;
        double s = 0.0;
        for (int j = 0; j < n; ++j)
            s += std::cos(spectrumKeys.at(j) * TwoPi * t) * spectrumValues.at(j);
        timeSamples[i] = t;
        signalSamples[i] = s / n;
    }

    signalPlot->clearGraphs();
    addSignalGraph(timeSamples, signalSamples);
    replot(signalPlot);
    drawEnvelope();
}

Submode::EnvelopeShape Nonequdistant::envelopeShape() const
{
    // Beats repeat: the readout gives the period instead of widths.
    EnvelopeShape shape;
    shape.magnitudes =
        Envelope::ofHarmonics(spectrumKeys, spectrumValues, 1.0 / spectrumKeys.size(), timeSamples);
    shape.periodic = true;
    shape.spacing = Envelope::commonSpacing(spectrumKeys, spectrumValues);
    return shape;
}

void Nonequdistant::fillBaseband(QVector<std::complex<double>> &out) const
{
    Baseband::addHarmonics(spectrumKeys, spectrumValues, 1.0 / spectrumKeys.size(), out);
}

void Nonequdistant::pressSpectrum(QMouseEvent *event)
{
    const double x = spectrumPlot->xAxis->pixelToCoord(event->pos().x());
    const double y = spectrumPlot->yAxis->pixelToCoord(event->pos().y());
    // No early exit: of several markers in reach the highest-numbered one
    // ends up selected.
    for (int j = 0; j < spectrumKeys.size(); ++j) {
        const double dy = spectrumValues.at(j) - y;
        const double dx = spectrumKeys.at(j) - x;
        if (std::sqrt(dy * dy + dx * dx) < PickDistance) {
            setParameter(1, j + 1);
            dragging = true;
        }
    }
}

void Nonequdistant::moveSpectrum(QMouseEvent *event)
{
    if (!dragging)
        return;
    const double x = toTenth(spectrumPlot->xAxis->pixelToCoord(event->pos().x()));
    const double y = toTenth(spectrumPlot->yAxis->pixelToCoord(event->pos().y()));
    // The channel clamps, so a drag past the plot's edges stops at them.
    setParameter(2, x);
    setParameter(3, y);
}

void Nonequdistant::releaseSpectrum()
{
    dragging = false;
}
