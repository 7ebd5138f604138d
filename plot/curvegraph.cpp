// SPDX-License-Identifier: GPL-3.0-or-later
#include "curvegraph.h"

#include <QLineF>
#include <QPainter>
#include <QVarLengthArray>

#include <cmath>

namespace {

bool isFinite(const QPointF &p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Pens that QPainter strokes cheaply enough already, or whose look depends on
// the curve being one piece: a dash pattern runs on along the curve, and a
// translucent colour would show darker where the pieces overlap.
bool strokedInOnePiece(const QPen &pen)
{
    return pen.style() != Qt::SolidLine || pen.widthF() <= 1.5 || pen.isCosmetic() ||
           pen.brush().style() != Qt::SolidPattern || !pen.brush().isOpaque();
}

// How far, in pixels, the cover of a join reaches along each segment. Less
// leaves the seam between two flat ends visible; more darkens the antialiased
// edge pixels that the cover and the segments both touch (tests/tst_look
// counts the pixels that differ from QPainter's stroking: fewest at 0.4).
constexpr double SeamCover = 0.4;

} // namespace

bool CurveGraph::plainStroking = false;

CurveGraph::CurveGraph(QCPAxis *keyAxis, QCPAxis *valueAxis) : QCPGraph(keyAxis, valueAxis) {}

CurveGraph *CurveGraph::add(QCustomPlot *plot)
{
    // The plot registers and owns the graph.
    auto *const graph = new CurveGraph(plot->xAxis, plot->yAxis);
    graph->setName(QLatin1String("Graph ") + QString::number(plot->graphCount() - 1));
    return graph;
}

void CurveGraph::drawLinePlot(QCPPainter *painter, const QVector<QPointF> &lines) const
{
    const QPen pen = painter->pen();
    // Vector output (PDF, SVG) keeps the curve one path.
    if (plainStroking || strokedInOnePiece(pen) ||
        painter->modes().testFlag(QCPPainter::pmVectorized)) {
        QCPGraph::drawLinePlot(painter, lines);
        return;
    }
    applyDefaultAntialiasingHint(painter);
    // A point that is not finite breaks the line, as in QCPGraph.
    int start = 0;
    const int size = lines.size();
    for (int i = 0; i <= size; ++i) {
        if (i == size || !isFinite(lines.at(i))) {
            drawPiecewise(painter, lines.constData() + start, i - start);
            start = i + 1;
        }
    }
    painter->setPen(pen);
}

void CurveGraph::drawPiecewise(QCPPainter *painter, const QPointF *points, int count) const
{
    // Repeated points have no direction; a zero-length segment adds nothing.
    QVarLengthArray<QPointF, 1024> at;
    for (int i = 0; i < count; ++i) {
        if (at.isEmpty() || points[i] != at.last())
            at.append(points[i]);
    }
    if (at.size() < 2) {
        // A single point: QPainter draws its square cap.
        painter->drawPolyline(points, count);
        return;
    }

    QPen pen = painter->pen();
    const double half = pen.widthF() / 2;
    const auto direction = [&at](int from) {
        const QPointF d = at[from + 1] - at[from];
        return d / std::hypot(d.x(), d.y());
    };

    QVarLengthArray<QLineF, 1024> segments;
    for (int i = 0; i + 1 < at.size(); ++i)
        segments.append(QLineF(at[i], at[i + 1]));
    // Flat ends pushed out by half the width are the pen's square caps.
    segments.first().setP1(at.first() - direction(0) * half);
    segments.last().setP2(at.last() + direction(at.size() - 2) * half);
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
    painter->drawLines(segments.constData(), segments.size());

    // Where two flat ends meet, each covers part of the pixels on the seam and
    // the seam would show as a faint line across the curve; a turn also leaves
    // a notch on its outer side. One small polygon over every join fills both:
    // it reaches a pixel back along each segment, between the segments' edges,
    // and its outer side is the pen's bevel between the two outer corners.
    painter->setPen(Qt::NoPen);
    painter->setBrush(pen.brush());
    QPointF incoming = direction(0);
    double incomingLength = QLineF(at[0], at[1]).length();
    for (int i = 1; i + 1 < at.size(); ++i) {
        const QPointF outgoing = direction(i);
        const double outgoingLength = QLineF(at[i], at[i + 1]).length();
        const double turn = incoming.x() * outgoing.y() - incoming.y() * outgoing.x();
        // Normals to the outer side of the turn (either side when straight).
        const double outward = turn > 0 ? -half : half;
        const QPointF out1 = QPointF(-incoming.y(), incoming.x()) * outward;
        const QPointF out2 = QPointF(-outgoing.y(), outgoing.x()) * outward;
        const QPointF back = incoming * std::min(SeamCover, incomingLength / 2);
        const QPointF ahead = outgoing * std::min(SeamCover, outgoingLength / 2);
        const QPointF join[6] = {at[i] + out1 - back,  at[i] + out1,         at[i] + out2,
                                 at[i] + out2 + ahead, at[i] - out2 + ahead, at[i] - out1 - back};
        painter->drawConvexPolygon(join, 6);
        incoming = outgoing;
        incomingLength = outgoingLength;
    }
    painter->setBrush(Qt::NoBrush);
}
