// SPDX-License-Identifier: GPL-3.0-or-later
#include "markeritem.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

double signedArea(const QPolygonF &polygon)
{
    double twice = 0.0;
    for (int i = 0; i < polygon.size(); ++i) {
        const QPointF &a = polygon.at(i), &b = polygon.at((i + 1) % polygon.size());
        twice += a.x() * b.y() - b.x() * a.y();
    }
    return twice / 2;
}

// The outline that stroking the polygon with a pen this wide and filling it
// covers, with QPainter's miter joins (QCPLineEnding strokes its spikes so):
// every edge moved out by half the width, meeting the next at each concave
// corner and at each convex one within the miter limit, and cut square to
// the corner's bisector at the limit beyond it. Clockwise on the screen, as
// any other polygon this gives.
QPolygonF grown(const QPolygonF &polygon, double half, double miterLimit)
{
    const double area = signedArea(polygon);
    const int n = polygon.size();
    const auto direction = [&](int i) {
        const QPointF d = polygon.at((i + 1) % n) - polygon.at(i);
        return d / std::hypot(d.x(), d.y());
    };
    const auto outward = [area](QPointF d) {
        return area > 0 ? QPointF(d.y(), -d.x()) : QPointF(-d.y(), d.x());
    };
    // How far a miter may reach from the corner, as QStroker measures it.
    const double limit = miterLimit * half;
    QPolygonF out;
    for (int i = 0; i < n; ++i) {
        const QPointF corner = polygon.at(i);
        const QPointF in = direction((i + n - 1) % n), on = direction(i);
        const QPointF before = outward(in), after = outward(on);
        const double dot = before.x() * after.x() + before.y() * after.y();
        const QPointF miter = corner + half * (before + after) / (1 + dot);
        const bool convex = (in.x() * on.y() - in.y() * on.x() > 0) == (area > 0);
        const QPointF reach = miter - corner;
        if (!convex || std::hypot(reach.x(), reach.y()) <= limit) {
            out << miter;
            continue;
        }
        // Both moved edges run on past the corner to the cut.
        const QPointF bisector = reach / std::hypot(reach.x(), reach.y());
        const auto along = [](QPointF a, QPointF b) { return a.x() * b.x() + a.y() * b.y(); };
        const double last = (limit - half * along(before, bisector)) / along(in, bisector);
        const double first = (limit - half * along(after, bisector)) / along(-on, bisector);
        out << corner + half * before + std::max(0.0, last) * in
            << corner + half * after - std::max(0.0, first) * on;
    }
    if (area < 0)
        std::reverse(out.begin(), out.end());
    return out;
}

// QCPLineEnding's spike: its tip at the end, its barbs a length back and half
// its width out, its notch at 0.8 of the length; clockwise on the screen.
QPolygonF spike(QPointF tip, QPointF along, const QCPLineEnding &ending)
{
    const QPointF across(-along.y(), along.x());
    QPolygonF head(QVector<QPointF>{tip,
                                    tip - along * ending.length() + across * ending.width() / 2,
                                    tip - along * 0.8 * ending.length(),
                                    tip - along * ending.length() - across * ending.width() / 2});
    if (signedArea(head) < 0)
        std::reverse(head.begin(), head.end());
    return head;
}

} // namespace

MarkerItem::MarkerItem(QCustomPlot *plot) : QCPItemLine(plot) {}

void MarkerItem::draw(QCPPainter *painter)
{
    const QPointF from = start->pixelPosition(), to = end->pixelPosition();
    const QPen pen = mainPen();
    const bool spikes = mHead.style() == QCPLineEnding::esSpikeArrow &&
                        mTail.style() == QCPLineEnding::esSpikeArrow && !mHead.inverted() &&
                        !mTail.inverted();
    if (!spikes || from.y() != to.y() || from.x() == to.x() || pen.style() != Qt::SolidLine ||
        pen.capStyle() != Qt::SquareCap || pen.isCosmetic() ||
        pen.brush().style() != Qt::SolidPattern || !std::isfinite(from.x() + to.x() + from.y()) ||
        painter->modes().testFlag(QCPPainter::pmVectorized)) {
        QCPItemLine::draw(painter);
        return;
    }
    // Nothing where QCPItemLine would clip all of it away.
    const double reach =
        std::max({mHead.boundingDistance(), mTail.boundingDistance(), pen.widthF()});
    const QRectF within = QRectF(clipRect()).adjusted(-reach, -reach, reach, reach);
    if (from.y() < within.top() || from.y() > within.bottom() ||
        std::max(from.x(), to.x()) < within.left() || std::min(from.x(), to.x()) > within.right())
        return;
    const double half = pen.widthF() / 2;
    const QPointF along(to.x() > from.x() ? 1.0 : -1.0, 0.0);
    // The shaft with its square caps, and each head stroked and filled.
    const double left = std::min(from.x(), to.x()) - half;
    const double right = std::max(from.x(), to.x()) + half;
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.addRect(QRectF(QPointF(left, from.y() - half), QPointF(right, from.y() + half)));
    outline.addPolygon(grown(spike(from, -along, mTail), half, pen.miterLimit()));
    outline.closeSubpath();
    outline.addPolygon(grown(spike(to, along, mHead), half, pen.miterLimit()));
    outline.closeSubpath();
    applyDefaultAntialiasingHint(painter);
    painter->fillPath(outline, pen.brush());
}
