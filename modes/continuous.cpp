// SPDX-License-Identifier: GPL-3.0-or-later
#include "continuous.h"

#include "baseband.h"
#include "envelope.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr double Pi = 3.141592653589793;
constexpr double TwoPi = 6.283185307179586;
constexpr double InverseE = 0.36787944117144233;
constexpr int FrequencySamples = 501;
constexpr int TimeSamples = 1001;

} // namespace

Continuous::Continuous(int kind, QDoubleSpinBox *centreBox, QDoubleSpinBox *widthBox,
                       QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QLabel *titleLabel,
                       QLabel *widthCaption)
    : Submode(kind, spectrumPlot, signalPlot, titleLabel), centreBox(centreBox), widthBox(widthBox),
      widthCaption(widthCaption)
{
    centreBox->setValue(3.0);
    ready = true;
    // The controller forwards nothing while we are being built, so these
    // settings draw nothing until the redraw below.
    switch (kind) {
    case Gaussian:
        widthCaption->setText(QStringLiteral("Ширина по уровню e<sup>-1</sup>"));
        titleLabel->setText(QStringLiteral("Гауссов спектр"));
        widthBox->setValue(0.6);
        break;
    case Rectangular:
        widthCaption->setText(QStringLiteral("Ширина"));
        titleLabel->setText(QStringLiteral("Прямоугольный спектр"));
        widthBox->setValue(0.4);
        break;
    case Lorentzian:
        widthCaption->setText(QStringLiteral("Ширина по уровню e<sup>-1</sup>"));
        titleLabel->setText(QStringLiteral("Лоренцовский спектр"));
        widthBox->setValue(0.3);
        break;
    default:
        break;
    }
    redraw();
}

double Continuous::lineParameter(double w) const
{
    switch (kind) {
    case Gaussian:
        return w / (2 * std::sqrt(2.0));
    case Lorentzian:
        // With sqrt(e - 1) the density falls to 1/e at f0 +- w/2.
        return w / (std::sqrt(1.718281828459045) * 2.0);
    default:
        return w;
    }
}

double Continuous::spectrumAt(double f0, double p, double f) const
{
    switch (kind) {
    case Gaussian:
        return std::exp((f - f0) * (f - f0) / (p * (-2.0) * p));
    case Rectangular:
        // Both edges inclusive; the exact form of the bounds decides the edge samples.
        return (f <= 0.5 * p + f0 && f >= f0 - 0.5 * p) ? 1.0 : 0.0;
    case Lorentzian:
        return 1.0 / ((f - f0) * (f - f0) / p / p + 1.0);
    default:
        return 0.0;
    }
}

void Continuous::setParameter(int index, double value)
{
    if (index == 0)
        setControl(centreBox, value);
    else if (index == 1)
        setControl(widthBox, value);
    redraw();
}

void Continuous::redraw()
{
    if (!ready || echoing)
        return;

    const double f0 = centreBox->value();
    const double p = lineParameter(widthBox->value());
    spectrumKeys.resize(FrequencySamples);
    spectrumValues.resize(FrequencySamples);
    for (int i = 0; i < FrequencySamples; ++i) {
        spectrumKeys[i] = i * 0.01;
        spectrumValues[i] = spectrumAt(f0, p, spectrumKeys[i]);
    }

    spectrumPlot->clearGraphs();
    QCPGraph *line = addGraph(spectrumPlot);
    // The keys rise by construction; saying so spares QCustomPlot a sort.
    line->setData(spectrumKeys, spectrumValues, true);
    line->setPen(spectrumPen);
    if (kind == Rectangular)
        line->setLineStyle(QCPGraph::lsStepRight);

    if (kind == Gaussian || kind == Lorentzian) {
        // The level at which the width is measured.
        const QVector<double> levelKeys{0, 1, 2, 3, 4, 5};
        const QVector<double> levelValues(levelKeys.size(), InverseE);
        QPen levelPen(Qt::red, 2);
        levelPen.setStyle(Qt::DashLine);
        levelPen.setColor(QColor(255, 0, 0, 158));
        QCPGraph *level = addGraph(spectrumPlot);
        level->setData(levelKeys, levelValues, true);
        level->setPen(levelPen);
    }
    replot(spectrumPlot);

    signalPlot->clearGraphs();
    buildSignal();
    replot(signalPlot);
    drawEnvelope();
}

Submode::EnvelopeShape Continuous::envelopeShape() const
{
    // The envelope the signal is built with; the sinc's lobes below 0 are
    // drawn as their magnitude, and the Lorentzian's from its start at t = 0.
    EnvelopeShape shape;
    const double f0 = centreBox->value();
    const double w = widthBox->value();
    const double p = lineParameter(w);
    shape.magnitudes.resize(timeSamples.size());
    for (int i = 0; i < timeSamples.size(); ++i)
        shape.magnitudes[i] = std::fabs(envelope(timeSamples.at(i), p, w));
    if (kind == Lorentzian)
        shape.firstShown = int(std::lower_bound(timeSamples.begin(), timeSamples.end(), 0.0) -
                               timeSamples.begin());
    shape.exact = [this, p, w](double t) { return std::fabs(envelope(t, p, w)); };
    // The width box holds the line's full width at e^-1, the rectangle's full width.
    shape.spectrumWidth = w;
    shape.spectrumFrom = f0 - 0.5 * w;
    shape.spectrumTo = f0 + 0.5 * w;
    shape.spectrumLevel = InverseE;
    return shape;
}

double Continuous::envelope(double t, double p, double w) const
{
    switch (kind) {
    case Gaussian:
        return std::exp(p * p * t * t * (-2.0) * Pi * Pi);
    case Rectangular:
        // The sinc's removable zero: t is exactly 0 at the middle sample.
        return t == 0.0 ? 1.0 : std::sin((w * Pi) * t) / (t * (w * Pi));
    case Lorentzian:
        return t >= 0.0 ? std::exp(std::fabs(t) * (p * (-TwoPi))) : 0.0;
    default:
        return 0.0;
    }
}

void Continuous::fillBaseband(QVector<std::complex<double>> &out) const
{
    const double f0 = centreBox->value();
    const double w = widthBox->value();
    const double p = lineParameter(w);
    for (int j = 0; j < out.size(); ++j) {
        const double t = Baseband::timeOf(j);
        out[j] += envelope(t, p, w) * std::polar(1.0, t * (f0 * TwoPi));
    }
}

void Continuous::buildSignal()
{
    // Kept for the envelope.
    QVector<double> &t = timeSamples;
    QVector<double> &y = signalSamples;
    t.fill(0.0, TimeSamples);
    y.fill(0.0, TimeSamples);
    const double dt = 20.0 / (TimeSamples - 1);
    const double f0 = centreBox->value();
    const double w = widthBox->value();
    const double p = lineParameter(w);
    for (int i = 0; i < TimeSamples; ++i) {
        t[i] = i * dt - 10.0;
        const double carrier = std::cos(t[i] * (f0 * TwoPi));
        // Before the Lorentzian's start the signal is 0, not -0.
        y[i] = kind == Lorentzian && t[i] < 0.0 ? 0.0 : envelope(t[i], p, w) * carrier;
    }

    addSignalGraph(t, y);
}
