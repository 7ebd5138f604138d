// SPDX-License-Identifier: GPL-3.0-or-later
#include "drawing.h"

#include "baseband.h"
#include "envelope.h"

#include "fourier.h"
#include "spline.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <complex>

namespace {

constexpr int FrequencySamples = 501; // 0 to 5 Hz, shown on the spectrum plot
constexpr double FrequencyStep = 0.01;
// The transform sums the spectrum up to 40 Hz; above the drawn range it is 0.
constexpr int TransformedSamples = 4001;
constexpr int TransformSize = 4096;
// A transform of N samples spaced df apart repeats after 1 / df = 100 s and
// resolves it into N steps of 1 / (N df) s: -50 s to +50 s around t = 0.
constexpr double TimeStep = 1.0 / (TransformSize * FrequencyStep);
constexpr int TimeSamples = TransformSize + 1;

} // namespace

Drawing::Drawing(int kind, QCustomPlot *spectrumPlot, QCustomPlot *signalPlot,
                 QPushButton *clearButton, QLabel *titleLabel, QLabel *hintLabel)
    : QObject(), Submode(kind, spectrumPlot, signalPlot, titleLabel), clearButton(clearButton),
      hintLabel(hintLabel)
{
    titleLabel->setText(QStringLiteral("Произвольный спектр"));
    hintLabel->show();
    redraw();
    connect(spectrumPlot, &QCustomPlot::mousePress, this, &Drawing::startDrawing);
    connect(spectrumPlot, &QCustomPlot::mouseMove, this, &Drawing::moveDrawing);
    connect(spectrumPlot, &QCustomPlot::mouseRelease, this, &Drawing::endDrawing);
}

Drawing::~Drawing()
{
    hintLabel->hide();
    disconnect(spectrumPlot, &QCustomPlot::mousePress, this, &Drawing::startDrawing);
    disconnect(spectrumPlot, &QCustomPlot::mouseMove, this, &Drawing::moveDrawing);
    disconnect(spectrumPlot, &QCustomPlot::mouseRelease, this, &Drawing::endDrawing);
}

QPointF Drawing::pointAt(const QPoint &pixel) const
{
    double x = spectrumPlot->xAxis->pixelToCoord(pixel.x());
    double y = spectrumPlot->yAxis->pixelToCoord(pixel.y());
    if (x < 0.0)
        x = 0.0;
    else if (x > 5.0)
        x = 5.0;
    if (y > 1.0)
        y = 1.0;
    else if (y < 0.0)
        y = 0.0;
    return QPointF(x, y);
}

void Drawing::startDrawing(QMouseEvent *event)
{
    hintLabel->hide();
    const QPointF point = pointAt(event->pos());
    if (strokeDone || drawing)
        return;
    drawing = true;
    spectrumKeys.append(point.x());
    spectrumValues.append(point.y());
    redraw();
}

void Drawing::moveDrawing(QMouseEvent *event)
{
    const QPointF point = pointAt(event->pos());
    if (!drawing)
        return;
    // Only points right of the stroke so far are taken, so the knots stay
    // strictly increasing. A stroke cleared while the button is still held
    // has no points left and starts again with the next move.
    if (!spectrumKeys.isEmpty() && point.x() <= spectrumKeys.last())
        return;
    spectrumKeys.append(point.x());
    spectrumValues.append(point.y());
    redraw();
}

void Drawing::endDrawing()
{
    drawing = false;
    // A release with nothing drawn (one that arrives without a press on the
    // plot, or after the drawing was cleared mid-stroke) must not end a stroke:
    // an empty finished stroke would refuse every new one until the next
    // clearing, with nothing on screen to say why.
    if (spectrumKeys.isEmpty())
        return;
    strokeDone = true;
    computeSpline();
    redraw();
}

void Drawing::setParameter(int index, double value)
{
    if (index == 0 && value == 0.0) {
        spectrumKeys.resize(0);
        spectrumValues.resize(0);
        strokeDone = false;
        splineReady = false;
    }
    redraw();
}

void Drawing::computeSpline()
{
    if (splineReady || spectrumKeys.size() < 3)
        return;
    splineValues = spectrumValues;
    splineKnots = spectrumKeys;
    Spline::fitNatural(splineKnots, splineValues, splineSlopes, splineCurvatures,
                       splineThirdDerivatives);
    splineReady = true;
}

double Drawing::splineAt(double f) const
{
    return Spline::valueAt(splineKnots, splineValues, splineSlopes, splineCurvatures,
                           splineThirdDerivatives, f);
}

void Drawing::redraw()
{
    spectrumPlot->clearGraphs();
    QCPGraph *spectrum = addGraph(spectrumPlot);
    if (splineReady) {
        curveKeys.resize(FrequencySamples);
        curveValues.resize(FrequencySamples);
        for (int i = 0; i < FrequencySamples; ++i) {
            curveKeys[i] = i * FrequencyStep;
            curveValues[i] = splineAt(curveKeys[i]);
        }
        spectrum->setData(curveKeys, curveValues, true);
    } else {
        spectrum->setData(spectrumKeys, spectrumValues, true);
        // One or two points left by a finished stroke show as vertical lines.
        if (spectrumKeys.size() < 3 && strokeDone)
            spectrum->setLineStyle(QCPGraph::lsImpulse);
    }
    spectrum->setPen(spectrumPen);
    replot(spectrumPlot);

    signalPlot->clearGraphs();
    if (splineReady) {
        synthesise();
        addSignalGraph(timeSamples, signalSamples);
    }
    replot(signalPlot);
    drawEnvelope();
}

Submode::EnvelopeShape Drawing::envelopeShape() const
{
    // Nothing to measure until the stroke is done, nor on a spectrum that
    // never rises above 0.
    EnvelopeShape shape;
    if (!splineReady || signalScale <= 0.0)
        return shape;
    const Envelope::Span spectrum =
        Envelope::levelSpan(curveKeys, curveValues, [this](double f) { return splineAt(f); });
    if (spectrum.peak <= 0.0)
        return shape;
    // The transform's sums are b(t) itself: its imaginary parts come free.
    const int middle = TransformSize / 2;
    shape.magnitudes.resize(TimeSamples);
    for (int j = 0; j < TimeSamples; ++j) {
        // |b| of values near 1, where hypot's care for overflow only costs.
        const std::complex<double> b = transformBuffer.at(j < middle ? j + middle : j - middle);
        shape.magnitudes[j] = std::sqrt(b.real() * b.real() + b.imag() * b.imag()) * signalScale;
    }
    shape.spectrumWidth = spectrum.width();
    shape.spectrumFrom = spectrum.from;
    shape.spectrumTo = spectrum.to;
    shape.spectrumLevel = Envelope::Level * spectrum.peak;
    return shape;
}

void Drawing::fillBaseband(QVector<std::complex<double>> &out) const
{
    // The transform sums the spline's samples up to 5 Hz, where it ends.
    if (splineReady)
        Baseband::addHarmonics(curveKeys, curveValues, signalScale, out);
}

void Drawing::synthesise()
{
    // z[n] = S(n df) for n up to 4000, zero above; then Z[k] sums
    // S_n exp(2 pi i n k / N), and Z[k mod N] is the signal at t = k / (N df).
    // The table is built on the first stroke and serves every later one.
    static const Fourier::Twiddles twiddles(TransformSize);
    QVector<std::complex<double>> &z = transformBuffer;
    z.resize(TransformSize);
    for (int n = 0; n < TransformedSamples; ++n)
        z[n] = std::complex<double>(splineAt(n * FrequencyStep), 0.0);
    // The previous transform left its output above 40 Hz.
    std::fill(z.begin() + TransformedSamples, z.end(), std::complex<double>());
    Fourier::transform(z, twiddles);

    timeSamples.resize(TimeSamples);
    signalSamples.resize(TimeSamples);
    const int middle = TransformSize / 2;
    double largest = 0.0;
    for (int j = 0; j < TimeSamples; ++j) {
        timeSamples[j] = (j - middle) * TimeStep;
        // Negative times come from the upper half of the period.
        const int k = j < middle ? j + middle : j - middle;
        signalSamples[j] = z[k].real();
        largest = std::max(largest, std::fabs(signalSamples[j]));
    }
    // A stroke drawn entirely at 0 leaves the zero signal as it is.
    signalScale = largest > 0.0 ? 1.0 / largest : 0.0;
    if (largest > 0.0) {
        for (double &sample : signalSamples)
            sample /= largest;
    }
}
