// SPDX-License-Identifier: GPL-3.0-or-later
#include "submode.h"

#include "baseband.h"
#include "curvegraph.h"
#include "envelope.h"
#include "markeritem.h"
#include "textitem.h"

#include <QDoubleSpinBox>
#include <QScopedValueRollback>
#include <QSpinBox>
#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

namespace {

QPen curvePen(Qt::GlobalColor colour)
{
    return QPen(QBrush(colour, Qt::SolidPattern), 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

// What "Огибающая" puts on the plots besides the envelope's graphs.
const QString Readout = QStringLiteral("widthReadout");
const QString SpectrumMarker = QStringLiteral("spectrumWidthMarker");
const QString SpectrumLabel = QStringLiteral("spectrumWidthLabel");
const QString SignalMarker = QStringLiteral("signalWidthMarker");
const QString SignalLabel = QStringLiteral("signalWidthLabel");
// The envelope is measured where the signal plot shows it.
constexpr double Window = 10.0;

template <class T> T *findItem(const QCustomPlot *plot, const QString &name)
{
    for (int i = 0; i < plot->itemCount(); ++i) {
        if (plot->item(i)->objectName() == name)
            return qobject_cast<T *>(plot->item(i));
    }
    return nullptr;
}

void removeItems(QCustomPlot *plot, const QStringList &names)
{
    for (const QString &name : names) {
        if (QCPAbstractItem *const item = findItem<QCPAbstractItem>(plot, name))
            plot->removeItem(item);
    }
}

// Drawn above the graphs and the axes, with the legend: the static image
// (PlotBuffer) holds none of it.
template <class T, class Made = T> T *item(QCustomPlot *plot, const QString &name)
{
    if (T *const found = findItem<T>(plot, name))
        return found;
    T *const made = new Made(plot);
    made->setObjectName(name);
    made->setLayer(QStringLiteral("legend"));
    return made;
}

QCPItemText *text(QCustomPlot *plot, const QString &name, const QString &content)
{
    QCPItemText *const label = item<QCPItemText, TextItem>(plot, name);
    label->setFont(QFont(QStringLiteral("Sans Serif"), 15));
    label->setColor(Qt::black);
    label->setText(content);
    return label;
}

// A double-headed arrow from..to at the level, its value above it beside the
// right end, or beside the left end where the plot ends first.
void mark(QCustomPlot *plot, const QString &markerName, const QString &labelName, double from,
          double to, double level, const QString &value)
{
    QCPItemLine *const marker = item<QCPItemLine, MarkerItem>(plot, markerName);
    marker->setPen(QPen(Qt::black, 2));
    marker->setHead(QCPLineEnding(QCPLineEnding::esSpikeArrow, 12, 12));
    marker->setTail(QCPLineEnding(QCPLineEnding::esSpikeArrow, 12, 12));
    marker->start->setCoords(from, level);
    marker->end->setCoords(to, level);
    QCPItemText *const label = text(plot, labelName, value);
    const double room = plot->axisRect()->right() - plot->xAxis->coordToPixel(to);
    const bool right = room > TextItem::advance(label->font(), value) + 16;
    label->position->setType(QCPItemPosition::ptAbsolute);
    label->position->setParentAnchor(right ? marker->end : marker->start);
    label->position->setCoords(right ? 4 : -4, -2);
    label->setPositionAlignment((right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignBottom);
}

void readout(QCustomPlot *plot, const QString &content)
{
    QCPItemText *const label = text(plot, Readout, content);
    label->position->setType(QCPItemPosition::ptAxisRectRatio);
    label->position->setAxisRect(plot->axisRect());
    label->position->setCoords(1.0, 0.0);
    label->setPositionAlignment(Qt::AlignRight | Qt::AlignTop);
    label->setPadding(QMargins(10, 6, 10, 6));
    label->setBrush(Qt::white);
}

} // namespace

bool Submode::envelopeShown = false;

Submode::Submode(int kind, QCustomPlot *spectrumPlot, QCustomPlot *signalPlot, QLabel *titleLabel)
    : kind(kind), spectrumPlot(spectrumPlot), signalPlot(signalPlot),
      spectrumPen(curvePen(Qt::blue)), signalPen(curvePen(Qt::red)), titleLabel(titleLabel)
{}

Submode::~Submode() = default;

Baseband Submode::baseband() const
{
    QVector<std::complex<double>> grid(Baseband::Count);
    fillBaseband(grid);
    return Baseband(std::move(grid));
}

void Submode::setControl(QDoubleSpinBox *box, double value)
{
    if (box->value() != value) {
        const QScopedValueRollback<bool> echo(echoing, true);
        box->setValue(value);
    }
}

void Submode::setControl(QSpinBox *box, int value)
{
    if (box->value() != value) {
        const QScopedValueRollback<bool> echo(echoing, true);
        box->setValue(value);
    }
}

void Submode::replot(QCustomPlot *plot)
{
    // QCustomPlot keeps at most one queued replot per plot, whatever the
    // number of requests; it renders with the same pens and antialiasing.
    plot->replot(QCustomPlot::rpQueuedReplot);
}

QCPGraph *Submode::addGraph(QCustomPlot *plot)
{
    return CurveGraph::add(plot);
}

void Submode::addSignalGraph(const QVector<double> &times, const QVector<double> &values) const
{
    QCPGraph *const graph = addGraph(signalPlot);
    graph->setData(times, values, true);
    graph->setPen(signalPen);
}

void Submode::drawEnvelope() const
{
    const EnvelopeShape shape = envelopeShown ? envelopeShape() : EnvelopeShape();
    const int count = signalSamples.size();
    if (shape.magnitudes.size() != count || timeSamples.size() != count || count == 0) {
        removeItems(spectrumPlot, {SpectrumMarker, SpectrumLabel});
        removeItems(signalPlot, {SignalMarker, SignalLabel, Readout});
        return;
    }

    // Rounding aside, |b| is never below |Re b|; the curves must not cross.
    // (Plain pointers: the drawn spectrum's signal has 4097 samples.)
    QVector<double> magnitudes = shape.magnitudes;
    double *const magnitude = magnitudes.data();
    const double *const sample = signalSamples.constData();
    for (int j = 0; j < count; ++j)
        magnitude[j] = std::max(magnitude[j], std::fabs(sample[j]));
    const int first = qBound(0, shape.firstShown, count);
    const QVector<double> keys = timeSamples.mid(first);
    QVector<double> upper = magnitudes.mid(first), lower(upper.size());
    std::transform(upper.cbegin(), upper.cend(), lower.begin(), std::negate<double>());
    const QPen pen(QBrush(QColor(150, 0, 0)), 2, Qt::DashLine, Qt::FlatCap, Qt::BevelJoin);
    QVector<CurveGraph *> halves;
    for (const auto &[values, name] :
         {std::pair(&upper, "envelope"), std::pair(&lower, "-envelope")}) {
        CurveGraph *const graph = CurveGraph::add(signalPlot);
        graph->setData(keys, *values, true);
        graph->setPen(pen);
        graph->setName(QLatin1String(name));
        graph->removeFromLegend();
        graph->sendToBack();
        halves << graph;
    }
    // One half drawn as the other's mirror image, in one pass, its dashes
    // cut and rasterised while the spectrum renders.
    CurveGraph::pairAsMirrors(halves.at(0), halves.at(1));
    halves.at(0)->prepareDashes();

    if (shape.periodic) {
        removeItems(spectrumPlot, {SpectrumMarker, SpectrumLabel});
        removeItems(signalPlot, {SignalMarker, SignalLabel});
        readout(signalPlot, Envelope::periodText(shape.spacing));
        return;
    }
    mark(spectrumPlot, SpectrumMarker, SpectrumLabel, shape.spectrumFrom, shape.spectrumTo,
         shape.spectrumLevel, Envelope::frequencyText(shape.spectrumWidth));
    // The time samples rise: those within the window are one stretch.
    const auto begin = std::lower_bound(timeSamples.cbegin(), timeSamples.cend(), -Window - 1e-9);
    const auto end = std::upper_bound(begin, timeSamples.cend(), Window + 1e-9);
    const int from = int(begin - timeSamples.cbegin()), shownCount = int(end - begin);
    const QVector<double> times = timeSamples.mid(from, shownCount);
    const QVector<double> shown = magnitudes.mid(from, shownCount);
    const Envelope::Span span = Envelope::levelSpan(times, shown, shape.exact);
    if (span.closed())
        mark(signalPlot, SignalMarker, SignalLabel, span.from, span.to, Envelope::Level * span.peak,
             Envelope::timeText(span.width()));
    else
        removeItems(signalPlot, {SignalMarker, SignalLabel});
    readout(signalPlot, Envelope::widthsText(shape.spectrumWidth, span));
}
