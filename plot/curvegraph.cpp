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
    // Dashes with flat ends are cut here, each dash drawn as a piece.
    const bool cutIntoDashes =
        pen.style() != Qt::SolidLine && pen.style() != Qt::NoPen && pen.capStyle() == Qt::FlatCap;
    return (pen.style() != Qt::SolidLine && !cutIntoDashes) || pen.widthF() <= 1.5 ||
           pen.isCosmetic() || pen.brush().style() != Qt::SolidPattern || !pen.brush().isOpaque();
}

// How far, in pixels, the cover of a join reaches along each segment. Less
// leaves the seam between two flat ends visible; more darkens the antialiased
// edge pixels that the cover and the segments both touch (tests/tst_look
// counts the pixels that differ from QPainter's stroking: fewest at 0.4).
constexpr double SeamCover = 0.4;
// How far, in pixels, a dashed curve may be straightened: a point that lies
// closer than this to the line between its neighbours is dropped, so that a
// smooth stretch becomes a few long segments with no joins to cover.
constexpr double DashTolerance = 0.4;
constexpr int MergedPoints = 32;

using Lines = QVarLengthArray<QLineF, 1024>;
using Joins = QVector<QPointF>; // six corners a join

// The pieces of one run of points without repeats (at least two): its
// segments with flat ends, pushed out by half the width for square caps, and
// over every join one small polygon. Where two flat ends meet, each covers
// part of the pixels on the seam and the seam would show as a faint line
// across the curve; a turn also leaves a notch on its outer side. The polygon
// fills both: it reaches a little back along each segment, between the
// segments' edges, and its outer side is the pen's bevel between the two outer
// corners.
void appendPieces(const QPointF *at, int count, double half, bool squareEnds, Lines &segments,
                  Joins &joins)
{
    const auto direction = [at](int from) {
        const QPointF d = at[from + 1] - at[from];
        return d / std::hypot(d.x(), d.y());
    };
    const int first = segments.size();
    for (int i = 0; i + 1 < count; ++i)
        segments.append(QLineF(at[i], at[i + 1]));
    if (squareEnds) {
        segments[first].setP1(at[0] - direction(0) * half);
        segments.last().setP2(at[count - 1] + direction(count - 2) * half);
    }
    QPointF incoming = direction(0);
    double incomingLength = QLineF(at[0], at[1]).length();
    for (int i = 1; i + 1 < count; ++i) {
        const QPointF outgoing = direction(i);
        const double outgoingLength = QLineF(at[i], at[i + 1]).length();
        const double turn = incoming.x() * outgoing.y() - incoming.y() * outgoing.x();
        // Normals to the outer side of the turn (either side when straight).
        const double outward = turn > 0 ? -half : half;
        const QPointF out1 = QPointF(-incoming.y(), incoming.x()) * outward;
        const QPointF out2 = QPointF(-outgoing.y(), outgoing.x()) * outward;
        const QPointF back = incoming * std::min(SeamCover, incomingLength / 2);
        const QPointF ahead = outgoing * std::min(SeamCover, outgoingLength / 2);
        joins << at[i] + out1 - back << at[i] + out1 << at[i] + out2 << at[i] + out2 + ahead
              << at[i] - out2 + ahead << at[i] - out1 - back;
        incoming = outgoing;
        incomingLength = outgoingLength;
    }
}

void drawPieces(QCPPainter *painter, QPen pen, const Lines &segments, const Joins &joins)
{
    pen.setCapStyle(Qt::FlatCap);
    painter->setPen(pen);
    painter->drawLines(segments.constData(), segments.size());
    painter->setPen(Qt::NoPen);
    painter->setBrush(pen.brush());
    for (int i = 0; i + 6 <= joins.size(); i += 6)
        painter->drawConvexPolygon(joins.constData() + i, 6);
    painter->setBrush(Qt::NoBrush);
}

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
            if (pen.style() == Qt::SolidLine)
                drawPiecewise(painter, lines.constData() + start, i - start);
            else
                drawDashed(painter, lines.constData() + start, i - start);
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
    Lines segments;
    Joins joins;
    joins.reserve(6 * at.size());
    appendPieces(at.constData(), at.size(), painter->pen().widthF() / 2, true, segments, joins);
    drawPieces(painter, painter->pen(), segments, joins);
}

void CurveGraph::drawDashed(QCPPainter *painter, const QPointF *points, int count) const
{
    // The curve straightened where that moves it by less than DashTolerance.
    QVarLengthArray<QPointF, 1024> at;
    for (int i = 0; i < count; ++i) {
        if (!at.isEmpty() && points[i] == at.last())
            continue;
        if (at.size() >= 2 && i + 1 < count) {
            // Drop the last kept point if it and every point since the one before it lie near
            // the straight line to this one.
            // A long straight stretch is kept in pieces of at most MergedPoints points.
            const QPointF &anchor = at[at.size() - 2];
            const QPointF d = points[i] - anchor;
            const double length = std::hypot(d.x(), d.y());
            bool straight = length > 0.0;
            int j = i - 1;
            for (; j >= 0 && j >= i - MergedPoints && straight && points[j] != anchor; --j)
                straight = std::fabs(d.x() * (points[j].y() - anchor.y()) -
                                     d.y() * (points[j].x() - anchor.x())) < DashTolerance * length;
            straight = straight && j >= i - MergedPoints;
            if (straight)
                at.removeLast();
        }
        at.append(points[i]);
    }
    if (at.size() < 2)
        return;

    const QPen pen = painter->pen();
    const double width = pen.widthF();
    QVector<qreal> pattern = pen.dashPattern();
    for (qreal &length : pattern)
        length *= width;
    if (pattern.size() < 2 || pattern.size() % 2)
        pattern = {4 * width, 2 * width};
    // Along the curve: the pattern's element now, and how much of it is left.
    int element = 0;
    double left = pattern.at(0);
    for (double skip = pen.dashOffset() * width; skip > 0;) {
        const double take = std::min(skip, left);
        skip -= take;
        left -= take;
        if (left <= 0) {
            element = (element + 1) % pattern.size();
            left = pattern.at(element);
        }
    }
    Lines segments;
    Joins joins;
    QVarLengthArray<QPointF, 64> dash;
    const auto endDash = [&] {
        if (dash.size() >= 2)
            appendPieces(dash.constData(), dash.size(), width / 2, false, segments, joins);
        dash.clear();
    };
    if (element % 2 == 0)
        dash.append(at[0]);
    for (int i = 0; i + 1 < at.size(); ++i) {
        const QPointF from = at[i], to = at[i + 1];
        const double length = QLineF(from, to).length();
        double done = 0;
        while (length - done > left) {
            done += left;
            const QPointF p = from + (to - from) * (done / length);
            if (element % 2 == 0) {
                dash.append(p);
                endDash();
            } else {
                dash.append(p);
            }
            element = (element + 1) % pattern.size();
            left = pattern.at(element);
        }
        left -= length - done;
        if (element % 2 == 0 && !dash.isEmpty() && to != dash.last())
            dash.append(to);
    }
    endDash();
    drawPieces(painter, pen, segments, joins);
}
