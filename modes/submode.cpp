// SPDX-License-Identifier: GPL-3.0-or-later
#include "submode.h"

#include "baseband.h"
#include "curvegraph.h"

#include <QDoubleSpinBox>
#include <QSpinBox>
#include <qcustomplot.h>

#include <utility>

namespace {

QPen curvePen(Qt::GlobalColor colour)
{
    return QPen(QBrush(colour, Qt::SolidPattern), 3, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}

} // namespace

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
    if (box->value() != value)
        box->setValue(value);
}

void Submode::setControl(QSpinBox *box, int value)
{
    if (box->value() != value)
        box->setValue(value);
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
