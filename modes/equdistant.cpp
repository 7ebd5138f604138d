// SPDX-License-Identifier: GPL-3.0-or-later
#include "equdistant.h"

#include "baseband.h"
#include "envelope.h"

#include <QDoubleSpinBox>
#include <QLabel>
#include <QMouseEvent>
#include <QSpinBox>
#include <QVarLengthArray>
#include <qcustomplot.h>

#include <cmath>

namespace {

constexpr double TwoPi = 6.283185307179586;
// The frequency range of the spectrum plot, which the packet must not leave.
constexpr double LowestFrequency = 0.0;
constexpr double HighestFrequency = 5.0;
// How close, in Hz, a press must come to a harmonic to grab it.
constexpr double PickDistance = 0.03;

} // namespace

double Equdistant::halfWidth(int count, double step)
{
    return ((count + 1) % 2) * step * 0.5 + (count / 2) * step;
}

bool Equdistant::fits(int count, double centre, double step)
{
    const double w = halfWidth(count, step);
    return !(centre + w > HighestFrequency || centre - w < LowestFrequency);
}

Equdistant::Equdistant(int kind, QSpinBox *countBox, QDoubleSpinBox *centreBox,
                       QDoubleSpinBox *stepBox, QCustomPlot *spectrumPlot, QCustomPlot *signalPlot,
                       QLabel *titleLabel)
    : QObject(), Submode(kind, spectrumPlot, signalPlot, titleLabel), countBox(countBox),
      centreBox(centreBox), stepBox(stepBox), lastCentre(centreBox->value()),
      lastStep(stepBox->value())
{
    // The fit tests read what an earlier packet left in the boxes; when a
    // default does not fit with it, the box keeps its value, which that packet
    // had accepted.
    if (fits(countBox->value(), 4.0, stepBox->value())) {
        setControl(centreBox, 4.0);
        lastCentre = 4.0;
    } else {
        setControl(centreBox, lastCentre);
    }
    redraw();
    if (fits(countBox->value(), centreBox->value(), 0.02)) {
        setControl(stepBox, 0.02);
        lastStep = 0.02;
    } else {
        setControl(stepBox, lastStep);
    }
    redraw();
    setParameter(0, 20.0);

    ready = true;
    spectrumPen.setWidth(1);
    redraw();
    titleLabel->setText(QStringLiteral("Волновой пакет"));

    connect(spectrumPlot, SIGNAL(mousePress(QMouseEvent *)), this,
            SLOT(pressSpectrum(QMouseEvent *)));
    connect(spectrumPlot, SIGNAL(mouseMove(QMouseEvent *)), this,
            SLOT(moveSpectrum(QMouseEvent *)));
    connect(spectrumPlot, SIGNAL(mouseRelease(QMouseEvent *)), this, SLOT(releaseSpectrum()));
}

Equdistant::~Equdistant()
{
    disconnect(spectrumPlot, SIGNAL(mousePress(QMouseEvent *)), this,
               SLOT(pressSpectrum(QMouseEvent *)));
    disconnect(spectrumPlot, SIGNAL(mouseMove(QMouseEvent *)), this,
               SLOT(moveSpectrum(QMouseEvent *)));
    disconnect(spectrumPlot, SIGNAL(mouseRelease(QMouseEvent *)), this, SLOT(releaseSpectrum()));
    signalPlot->xAxis->setRange(-10.0, 10.0);
}

void Equdistant::setParameter(int index, double value)
{
    // A write to a box comes back here through the window with the box's
    // rounded value and is judged again by the same rule before this call
    // goes on.
    switch (index) {
    case 0: {
        const int n = int(value);
        if (fits(n, centreBox->value(), stepBox->value()))
            setControl(countBox, n);
        else
            setControl(countBox, spectrumKeys.size()); // the N now drawn
        break;
    }
    case 1:
        if (fits(countBox->value(), value, stepBox->value())) {
            setControl(centreBox, value);
            // The box rounds to its decimals, and the echo judges the rounded
            // value again: a drag's 0.4 - 0.1 = 0.30000000000000004 can fit
            // where 0.3 does not and is sent back. What counts as accepted is
            // what the box kept, or a later refusal would restore a packet
            // that does not fit.
            lastCentre = centreBox->value();
        } else {
            setControl(centreBox, lastCentre);
        }
        break;
    case 2:
        if (fits(countBox->value(), centreBox->value(), value)) {
            setControl(stepBox, value);
            lastStep = stepBox->value(); // as for the centre
        } else {
            setControl(stepBox, lastStep);
        }
        break;
    default:
        break;
    }
    redraw();
}

void Equdistant::redraw()
{
    if (!ready || echoing)
        return;

    spectrumKeys.resize(countBox->value());
    spectrumValues.resize(countBox->value());
    const int n = spectrumKeys.size();
    const double a = centreBox->value();
    const double b = stepBox->value();
    for (int i = 0; i < n; ++i) {
        // An even count has no harmonic on the centre: its middle pair sits
        // half a step either side.
        spectrumKeys[i] = (b * 0.5) * ((n + 1) % 2) + (a + b * (i - n / 2));
        spectrumValues[i] = 1.0;
    }

    spectrumPlot->clearGraphs();
    QCPGraph *const spectrum = addGraph(spectrumPlot);
    // The keys rise by construction; saying so spares QCustomPlot a sort.
    spectrum->setData(spectrumKeys, spectrumValues, true);
    spectrum->setLineStyle(QCPGraph::lsImpulse);
    spectrum->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, 6));
    spectrum->setPen(spectrumPen);
    replot(spectrumPlot);

    // 20 s at 50 samples per second, both ends included.
    const int m = int(20.0 * 50.0 + 1.0);
    timeSamples.resize(m);
    signalSamples.resize(m);
    const double dt = 20.0 / (timeSamples.size() - 1);
    for (int j = 0; j < m; ++j)
        timeSamples[j] = j * dt - 10.0;

    // The packet is redrawn on every pick and every step of a drag, and the
    // cosines are nearly all its cost. Products are formed left to right, so
    // key * TwoPi can be taken once per harmonic. The samples mirror about
    // t = 0, and cos(-x) is cos(x) bit for bit, so a later sample whose time
    // is exactly minus its mirror's has the same sum, term by term in the
    // same order. Rounding leaves about half the pairs exact; a sample whose
    // time is not gets its own sum.
    QVarLengthArray<double, 64> angular(n); // the count box allows at most 50
    for (int k = 0; k < n; ++k)
        angular[k] = spectrumKeys.at(k) * TwoPi;
    const double *const w = angular.constData();
    const double *const v = spectrumValues.constData();
    const double *const t = timeSamples.constData();
    double *const s = signalSamples.data();
    for (int j = 0; j < m; ++j) {
        const int mirror = m - 1 - j;
        if (mirror < j && t[mirror] == -t[j]) {
            s[j] = s[mirror];
            continue;
        }
        double sum = 0.0;
        for (int k = 0; k < n; ++k)
            sum = std::cos(w[k] * t[j]) * v[k] + sum;
        s[j] = sum / n;
    }

    signalPlot->clearGraphs();
    addSignalGraph(timeSamples, signalSamples);
    replot(signalPlot);
    drawEnvelope();
}

Submode::EnvelopeShape Equdistant::envelopeShape() const
{
    EnvelopeShape shape;
    // The lines are all of height 1, one step apart.
    const int count = spectrumKeys.size();
    const double step = stepBox->value();
    shape.magnitudes = Envelope::ofPacket(count, step, timeSamples);
    shape.exact = [count, step](double t) { return Envelope::ofPacketAt(count, step, t); };
    // Each line stands for a band one step wide: the packet is a rectangle
    // N steps wide, sampled.
    shape.spectrumWidth = spectrumKeys.size() * step;
    shape.spectrumFrom = spectrumKeys.first() - 0.5 * step;
    shape.spectrumTo = spectrumKeys.last() + 0.5 * step;
    shape.spectrumLevel = Envelope::Level;
    return shape;
}

void Equdistant::fillBaseband(QVector<std::complex<double>> &out) const
{
    Baseband::addHarmonics(spectrumKeys, spectrumValues, 1.0 / spectrumKeys.size(), out);
}

void Equdistant::pressSpectrum(QMouseEvent *event)
{
    const double x = spectrumPlot->xAxis->pixelToCoord(event->pos().x());
    // The lowest index wins where several harmonics are in reach.
    for (int i = 0; i < spectrumKeys.size(); ++i) {
        if (std::fabs(spectrumKeys.at(i) - x) < PickDistance) {
            dragging = true;
            heldIndex = i;
            return;
        }
    }
}

void Equdistant::moveSpectrum(QMouseEvent *event)
{
    if (!dragging)
        return;
    // The count can be lowered from the keyboard while the button is held;
    // the harmonic held then no longer exists.
    if (heldIndex < 0 || heldIndex >= spectrumKeys.size()) {
        releaseSpectrum();
        return;
    }
    const double x = spectrumPlot->xAxis->pixelToCoord(event->pos().x());
    // Whole tenths keep the centre on the grid of its box; a shift that would
    // leave 0..5 Hz is refused as a whole by the fit rule.
    const double d = std::round((x - spectrumKeys.at(heldIndex)) * 10.0) / 10.0;
    setParameter(1, centreBox->value() + d);
}

void Equdistant::releaseSpectrum()
{
    dragging = false;
    heldIndex = -1;
}
