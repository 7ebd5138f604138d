// SPDX-License-Identifier: GPL-3.0-or-later
#include "curvegraph.h"

#include <QLineF>
#include <QPainter>
#include <QThreadPool>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>

namespace {

bool isFinite(const QPointF &p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// A step's length, for the pixel-sized steps of a curve, where hypot's care
// for overflow only costs.
double lengthOf(const QPointF &step)
{
    return std::sqrt(step.x() * step.x() + step.y() * step.y());
}

// Exactly the same point. QPointF's == is fuzzy, and in the dashed curve's
// inner loops it cost more than the tests it guards.
bool same(const QPointF &a, const QPointF &b)
{
    return a.x() == b.x() && a.y() == b.y();
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

// qInf() is a call into QtCore, in the rasteriser's inner loops.
constexpr double Infinity = std::numeric_limits<double>::infinity();

// Device pixels beyond which the dashes are left to QPainter.
constexpr double FarOut = 1e6;

// floor() and ceil() of a pixel coordinate (well within an int), without the
// library call that they are on the baseline x86-64.
int floorOf(double x)
{
    const int i = int(x);
    return i - (x < i);
}

int ceiling(double x)
{
    const int i = int(x);
    return i + (x > i);
}

double clamped(double coverage)
{
    return std::clamp(coverage, 0.0, 1.0);
}

// An opaque colour over what is there, by coverage a of 255, channel by
// channel (premultiplied formats: the alpha channel takes the same rule),
// rounded to nearest: two channels at a time, (v + 128 + (v + 128) / 256) / 256
// being v / 255 rounded for every v up to 255 * 255.
QRgb over(QRgb colour, QRgb under, uint a)
{
    const uint b = 255 - a;
    const auto mix = [a, b](uint c, uint u) {
        const uint v = c * a + u * b + 0x00800080u;
        return ((v + ((v >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    };
    return mix(colour & 0x00ff00ffu, under & 0x00ff00ffu) |
           (mix((colour >> 8) & 0x00ff00ffu, (under >> 8) & 0x00ff00ffu) << 8);
}

// Where dashes can be rasterised straight into the image the painter paints
// on: an opaque, antialiased pen into a 32-bit image of its own, through a
// scaling at most and a clip rectangle.
struct RasterTarget
{
    QImage *image = nullptr;
    QTransform map;
    QRect clip;
    QRgb colour = 0;
};

std::optional<RasterTarget> rasterTarget(QPainter *painter)
{
    QPaintDevice *const device = painter->device();
    if (!device || device->devType() != QInternal::Image)
        return std::nullopt;
    auto *const image = static_cast<QImage *>(device);
    const QTransform map = painter->deviceTransform();
    const QBrush brush = painter->pen().brush();
    // A shared image would be copied by bits(), away from the painter.
    if ((image->format() != QImage::Format_RGB32 &&
         image->format() != QImage::Format_ARGB32_Premultiplied) ||
        !image->isDetached() || !painter->testRenderHint(QPainter::Antialiasing) ||
        painter->compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter->opacity() != 1.0 || map.type() > QTransform::TxScale || map.m11() <= 0 ||
        map.m11() != map.m22() || brush.style() != Qt::SolidPattern || !brush.isOpaque())
        return std::nullopt;
    QRect clip = image->rect();
    if (painter->hasClipping()) {
        const QRegion region = painter->clipRegion();
        if (region.rectCount() > 1)
            return std::nullopt;
        clip &= map.mapRect(region.boundingRect());
    }
    return RasterTarget{image, map, clip, brush.color().rgba()};
}

// Pixel numbers must stay well within an int; QPainter clips far points.
bool nearby(const QTransform &map, const QPointF *points, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!isFinite(points[i]))
            continue;
        const QPointF at = map.map(points[i]);
        if (!(std::fabs(at.x()) < FarOut && std::fabs(at.y()) < FarOut))
            return false;
    }
    return true;
}

// The dashes of a run of points: every dash's points, one after the other,
// and where each ends.
struct Dashes
{
    QVector<QPointF> points;
    QVector<int> ends;
};

// A pen's dashes along the curve, in logical pixels.
struct DashStyle
{
    double width = 0;
    QVector<qreal> pattern;
    double offset = 0;

    explicit DashStyle(const QPen &pen) : width(pen.widthF()), offset(pen.dashOffset() * width)
    {
        pattern = pen.dashPattern();
        for (qreal &length : pattern)
            length *= width;
        if (pattern.size() < 2 || pattern.size() % 2)
            pattern = {4 * width, 2 * width};
    }

    bool operator==(const DashStyle &other) const
    {
        return width == other.width && pattern == other.pattern && offset == other.offset;
    }
};

// Blends the rasteriser's coverage straight into the rows of an image.
struct Blender
{
    uchar *bits;
    qsizetype stride;
    QRgb colour;
    QRgb *line = nullptr;

    void row(int y) { line = reinterpret_cast<QRgb *>(bits + y * stride); }
    void pixel(int x, uint a)
    {
        QRgb &at = line[x];
        at = a == 255 ? colour : over(colour, at, a);
    }
};

// The coverage of the pixels that the rasteriser blends, in the order it
// blends them, to be blended later, clipped then.
struct Coverage
{
    struct Run
    {
        int y, x, count, from;
    };
    QVector<Run> runs;
    QVector<uchar> alpha;
};

struct Recorder
{
    Coverage &coverage;
    int y = 0;

    void row(int at) { y = at; }
    void pixel(int x, uint a)
    {
        if (!coverage.runs.isEmpty()) {
            Coverage::Run &last = coverage.runs.last();
            if (last.y == y && last.x + last.count == x) {
                ++last.count;
                coverage.alpha.append(uchar(a));
                return;
            }
        }
        coverage.runs.append({y, x, 1, int(coverage.alpha.size())});
        coverage.alpha.append(uchar(a));
    }
};

void blend(const RasterTarget &target, const Coverage &coverage)
{
    const QRect &clip = target.clip;
    Blender blender{target.image->bits(), target.image->bytesPerLine(), target.colour};
    const uchar *const alpha = coverage.alpha.constData();
    for (const Coverage::Run &run : coverage.runs) {
        if (run.y < clip.top() || run.y > clip.bottom())
            continue;
        blender.row(run.y);
        const int to = std::min(run.x + run.count - 1, clip.right());
        for (int x = std::max(run.x, clip.left()); x <= to; ++x)
            blender.pixel(x, alpha[run.from + x - run.x]);
    }
}

// Rasterises the dashes (in logical pixels, mapped to the device), half
// wide, within clip; with mirror, also their mirror image about that device
// row. Each pixel's coverage of 255 goes to the sink, row by row. A pixel is
// covered by a piece of a dash as far as its centre lies within half a pixel
// more than half the width of the piece's centre line (so the ink across the
// line is the width's), flat at the dash's two ends and round at its turns;
// the most of the dash's pieces counts, so pieces meeting at a turn leave no
// seam. QPainter takes about a microsecond for each short line and more for
// each join; this takes a fraction of that, which a curve of a thousand points
// cut into some hundred dashes needs.
template <typename Sink>
void rasteriseDashes(const Dashes &dashes, const QTransform &map, const QRect &clip, double half,
                     std::optional<double> mirror, Sink &sink)
{
    const QVector<QPointF> &points = dashes.points;
    const QVector<int> &ends = dashes.ends;
    const double h = half * map.m11();

    // A piece is covered within reach of its centre line: reach across it, and
    // along it half a pixel past a flat end, reach past a round one.
    const double reach = h + 0.5;
    struct Piece
    {
        QPointF from, to, along;
        double length;
        // The sides of where it may cover, the rows each spans and the
        // column at which it crosses a row, as x0 + (y - y0) * slope.
        struct Side
        {
            double top, bottom, x0, y0, slope;
        };
        std::array<Side, 4> sides;
        int sideCount;
        // The rows whose centres it may cover.
        int fromRow, toRow;
    };
    QVarLengthArray<Piece, 16> pieces;
    // Per row, kept from one to the next: where each piece may cover, and the
    // most of them at each pixel.
    QVarLengthArray<std::pair<int, int>, 16> spans;
    QVarLengthArray<double, 512> covers;
    const auto device = [&](const QPointF &point, bool mirrored) {
        const QPointF at = map.map(point);
        return mirrored ? QPointF(at.x(), 2 * *mirror - at.y()) : at;
    };
    for (int n = 0; n < (mirror ? 2 : 1) * ends.size(); ++n) {
        // Each dash, then its mirror image.
        const int d = n % ends.size(), first = d > 0 ? ends.at(d - 1) : 0;
        const bool mirrored = n >= ends.size();
        pieces.clear();
        for (int i = first; i + 1 < ends.at(d); ++i) {
            const QPointF from = device(points.at(i), mirrored);
            const QPointF to = device(points.at(i + 1), mirrored);
            const QPointF step = to - from;
            const double length = lengthOf(step);
            if (length > 0)
                pieces.append({from, to, step / length, length, {}, 0, 0, -1});
        }
        const int last = pieces.size() - 1;
        double top = Infinity, bottom = -Infinity;
        for (int k = 0; k <= last; ++k) {
            Piece &p = pieces[k];
            const QPointF across(-p.along.y() * reach, p.along.x() * reach);
            const QPointF a = p.from - p.along * (k == 0 ? 0.5 : reach);
            const QPointF b = p.to + p.along * (k == last ? 0.5 : reach);
            const std::array<QPointF, 4> corners{a + across, b + across, b - across, a - across};
            double pieceTop = Infinity, pieceBottom = -Infinity;
            for (int e = 0; e < 4; ++e) {
                const QPointF &u = corners[e], &v = corners[(e + 1) % 4];
                pieceTop = std::min(pieceTop, u.y());
                pieceBottom = std::max(pieceBottom, u.y());
                // A level side lies along a row: the others meet it there.
                if (u.y() != v.y())
                    p.sides[p.sideCount++] = {std::min(u.y(), v.y()), std::max(u.y(), v.y()), u.x(),
                                              u.y(), (v.x() - u.x()) / (v.y() - u.y())};
            }
            p.fromRow = ceiling(pieceTop - 0.5);
            p.toRow = floorOf(pieceBottom - 0.5);
            top = std::min(top, pieceTop);
            bottom = std::max(bottom, pieceBottom);
        }
        if (last < 0)
            continue;
        const int fromRow = std::max(clip.top(), ceiling(top - 0.5));
        const int toRow = std::min(clip.bottom(), floorOf(bottom - 0.5));
        for (int y = fromRow; y <= toRow; ++y) {
            const double py = y + 0.5;
            // Where each piece may cover on this row: its outline crossed.
            spans.resize(pieces.size());
            int left = clip.right() + 1, right = clip.left() - 1;
            for (int k = 0; k <= last; ++k) {
                double lo = Infinity, hi = -Infinity;
                const Piece &p = pieces[k];
                if (y < p.fromRow || y > p.toRow) {
                    spans[k] = {1, 0};
                    continue;
                }
                for (int e = 0; e < p.sideCount; ++e) {
                    const auto &side = p.sides[e];
                    if (py < side.top || py > side.bottom)
                        continue;
                    const double x = side.x0 + (py - side.y0) * side.slope;
                    lo = std::min(lo, x);
                    hi = std::max(hi, x);
                }
                if (lo > hi) {
                    spans[k] = {1, 0};
                    continue;
                }
                spans[k] = {std::max(clip.left(), ceiling(lo - 0.5)),
                            std::min(clip.right(), floorOf(hi - 0.5))};
                left = std::min(left, spans[k].first);
                right = std::max(right, spans[k].second);
            }
            if (left > right)
                continue;
            sink.row(y);
            const auto blend = [&sink](int x, double cover) {
                const uint a = uint(cover * 255 + 0.5);
                if (a != 0)
                    sink.pixel(x, a);
            };
            if (last == 0) {
                // Most dashes are one straight piece: its cover straight into
                // the row, the same numbers as below with nothing to compare.
                const Piece &p = pieces[0];
                const double dy = py - p.from.y();
                const double dyAlong = dy * p.along.y(), dyAcross = dy * p.along.x();
                for (int x = left; x <= right; ++x) {
                    const double dx = x + 0.5 - p.from.x();
                    const double t = dx * p.along.x() + dyAlong;
                    double c = clamped(reach - std::fabs(dx * p.along.y() - dyAcross));
                    c *= clamped(t + 0.5);
                    c *= clamped(p.length - t + 0.5);
                    blend(x, c);
                }
                continue;
            }
            // Each piece over its own stretch of the row, the most of them
            // kept for each pixel.
            covers.resize(right - left + 1);
            std::fill(covers.begin(), covers.end(), 0.0);
            for (int k = 0; k <= last; ++k) {
                const Piece &p = pieces[k];
                const double dy = py - p.from.y();
                for (int x = spans[k].first; x <= spans[k].second; ++x) {
                    const double px = x + 0.5;
                    const double dx = px - p.from.x();
                    const double t = dx * p.along.x() + dy * p.along.y();
                    double c;
                    if (t < 0 && k > 0) {
                        c = reach - std::sqrt(dx * dx + dy * dy);
                    } else if (t > p.length && k < last) {
                        const double ex = px - p.to.x(), ey = py - p.to.y();
                        c = reach - std::sqrt(ex * ex + ey * ey);
                    } else {
                        c = clamped(reach - std::fabs(dx * p.along.y() - dy * p.along.x()));
                        if (k == 0)
                            c *= clamped(t + 0.5);
                        if (k == last)
                            c *= clamped(p.length - t + 0.5);
                    }
                    double &cover = covers[x - left];
                    cover = std::max(cover, clamped(c));
                }
            }
            for (int x = left; x <= right; ++x)
                blend(x, covers[x - left]);
        }
    }
}

// A run of points (without breaks) cut into the style's dashes.
Dashes cutIntoDashes(const QPointF *points, int count, const DashStyle &style)
{
    // The curve straightened where that moves it by less than DashTolerance,
    // and how far along the curve as given each point kept lies: the dashes
    // are measured out along the curve as given, or each straightened stretch
    // would shift the later dashes a little more away from where QPainter
    // puts them.
    QVarLengthArray<QPointF, 1024> at;
    QVarLengthArray<double, 1024> arc;
    double along = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            along += lengthOf(points[i] - points[i - 1]);
        if (!at.isEmpty() && same(points[i], at.last()))
            continue;
        if (at.size() >= 2 && i + 1 < count) {
            // Drop the last kept point if it and every point since the one before it lie near
            // the straight line to this one.
            // A long straight stretch is kept in pieces of at most MergedPoints points.
            const QPointF &anchor = at[at.size() - 2];
            const QPointF d = points[i] - anchor;
            const double length = lengthOf(d);
            bool straight = length > 0.0;
            int j = i - 1;
            for (; j >= 0 && j >= i - MergedPoints && straight && !same(points[j], anchor); --j)
                straight = std::fabs(d.x() * (points[j].y() - anchor.y()) -
                                     d.y() * (points[j].x() - anchor.x())) < DashTolerance * length;
            straight = straight && j >= i - MergedPoints;
            if (straight) {
                at.removeLast();
                arc.removeLast();
            }
        }
        at.append(points[i]);
        arc.append(along);
    }
    Dashes dashes;
    if (at.size() < 2)
        return dashes;

    const QVector<qreal> &pattern = style.pattern;
    // Along the curve: the pattern's element now, and how much of it is left.
    int element = 0;
    double left = pattern.at(0);
    for (double skip = style.offset; skip > 0;) {
        const double take = std::min(skip, left);
        skip -= take;
        left -= take;
        if (left <= 0) {
            element = (element + 1) % pattern.size();
            left = pattern.at(element);
        }
    }
    QVarLengthArray<QPointF, 64> dash;
    const auto endDash = [&] {
        if (dash.size() >= 2) {
            for (const QPointF &point : std::as_const(dash))
                dashes.points << point;
            dashes.ends << dashes.points.size();
        }
        dash.clear();
    };
    if (element % 2 == 0)
        dash.append(at[0]);
    for (int i = 0; i + 1 < at.size(); ++i) {
        const QPointF from = at[i], to = at[i + 1];
        const double length = arc[i + 1] - arc[i];
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
        if (element % 2 == 0 && !dash.isEmpty() && !same(to, dash.last()))
            dash.append(to);
    }
    endDash();
    return dashes;
}

// Every run of the lines (broken where a point is not finite, as QCPGraph
// breaks them) cut and rasterised as the render would, recorded; none where
// the render would leave a run to QPainter.
std::optional<Coverage> coverLines(const QVector<QPointF> &lines, const DashStyle &style,
                                   const QTransform &map, const QRect &area,
                                   std::optional<double> mirror)
{
    Coverage coverage;
    Recorder recorder{coverage};
    const int size = lines.size();
    for (int i = 0, start = 0; i <= size; ++i) {
        if (i < size && isFinite(lines.at(i)))
            continue;
        const Dashes dashes = cutIntoDashes(lines.constData() + start, i - start, style);
        if (!dashes.ends.isEmpty()) {
            if (!nearby(map, dashes.points.constData(), dashes.points.size()))
                return std::nullopt;
            rasteriseDashes(dashes, map, area, style.width / 2, mirror, recorder);
        }
        start = i + 1;
    }
    return coverage;
}

// One worker: the dashes of one render at a time, beside the GUI thread.
struct AheadPool : QThreadPool
{
    AheadPool() { setMaxThreadCount(1); }
};
Q_GLOBAL_STATIC(AheadPool, aheadPool)

} // namespace

// The work handed to the worker: what it is done for, and what it gives.
struct CurveGraph::Ahead
{
    enum State { Pending, Running, Done, Given };

    Ahead(QVector<QPointF> lines, const QPen &pen, const QTransform &map, const QRect &area,
          std::optional<double> mirror)
        : lines(std::move(lines)), style(pen), map(map), area(area), mirror(mirror)
    {}

    void run()
    {
        int expected = Pending;
        if (!state.compare_exchange_strong(expected, Running))
            return;
        coverage = coverLines(lines, style, map, area, mirror);
        {
            const std::lock_guard<std::mutex> lock(mutex);
            state = Done;
        }
        done.notify_all();
    }

    // Work not begun is given up: the worker leaves it.
    void drop()
    {
        int expected = Pending;
        state.compare_exchange_strong(expected, Given);
    }

    // Whether the worker has done it, waiting while it works on it; work it
    // has not begun is given up, for the render to do itself.
    bool take()
    {
        int expected = Pending;
        if (state.compare_exchange_strong(expected, Given) || expected == Given)
            return false;
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [this] { return state == Done; });
        return true;
    }

    const QVector<QPointF> lines;
    const DashStyle style;
    const QTransform map;
    const QRect area;
    const std::optional<double> mirror;
    std::optional<Coverage> coverage;
    std::atomic<int> state = Pending;
    std::mutex mutex;
    std::condition_variable done;
};

bool CurveGraph::plainStroking = false;
int CurveGraph::preparedCount = 0;
bool CurveGraph::preparingDashes = true;

CurveGraph::CurveGraph(QCPAxis *keyAxis, QCPAxis *valueAxis) : QCPGraph(keyAxis, valueAxis) {}

CurveGraph::~CurveGraph()
{
    // A submode's redraw replaces its graphs, often before the worker comes
    // to their dashes.
    if (ahead)
        ahead->drop();
}

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
    const std::optional<double> mirror =
        pen.style() == Qt::SolidLine ? std::nullopt : mirrorAxis(painter, lines);
    if (pen.style() != Qt::SolidLine && drawPrepared(painter, lines, mirror)) {
        if (mirror)
            twin->drawnByTwin = true;
        return;
    }
    // A point that is not finite breaks the line, as in QCPGraph.
    int start = 0;
    const int size = lines.size();
    bool mirrored = bool(mirror);
    for (int i = 0; i <= size; ++i) {
        if (i == size || !isFinite(lines.at(i))) {
            if (pen.style() == Qt::SolidLine)
                drawPiecewise(painter, lines.constData() + start, i - start);
            else
                mirrored &= drawDashed(painter, lines.constData() + start, i - start, mirror);
            start = i + 1;
        }
    }
    // Every run was rasterised with its mirror image: the twin is drawn.
    if (mirrored)
        twin->drawnByTwin = true;
    painter->setPen(pen);
}

void CurveGraph::draw(QCPPainter *painter)
{
    if (drawnByTwin) {
        drawnByTwin = false;
        return;
    }
    QCPGraph::draw(painter);
}

void CurveGraph::pairAsMirrors(CurveGraph *one, CurveGraph *other)
{
    one->twin = other;
    other->twin = one;
}

std::optional<double> CurveGraph::mirrorAxis(QCPPainter *painter,
                                             const QVector<QPointF> &lines) const
{
    // Drawn straight into the image, every point within reach.
    const auto target = rasterTarget(painter);
    if (!target || !nearby(target->map, lines.constData(), lines.size()))
        return std::nullopt;
    return mirrorRow(target->map);
}

std::optional<double> CurveGraph::mirrorRow(const QTransform &map) const
{
    const CurveGraph *const other = twin.data();
    if (!other || !other->realVisibility() || other->layer() != layer() || selected() ||
        other->selected() || other->keyAxis() != keyAxis() || other->valueAxis() != valueAxis() ||
        keyAxis()->orientation() != Qt::Horizontal ||
        valueAxis()->scaleType() != QCPAxis::stLinear || other->pen() != pen() ||
        other->lineStyle() != lineStyle() || other->antialiased() != antialiased() ||
        !scatterStyle().isNone() || !other->scatterStyle().isNone() ||
        brush().style() != Qt::NoBrush || other->brush().style() != Qt::NoBrush)
        return std::nullopt;
    // The twin must still be to come on the layer, and be this one mirrored.
    const QList<QCPLayerable *> children = layer()->children();
    const auto self = std::find(children.begin(), children.end(), this);
    if (std::find(self, children.end(), other) == children.end())
        return std::nullopt;
    const QCPGraphDataContainer &mine = *data(), &theirs = *other->data();
    if (mine.size() != theirs.size())
        return std::nullopt;
    // Only the points that either draws: those in the key axis' range and one
    // either side, as QCPGraph takes them (the drawn spectrum's 100 s of
    // signal for the plot's 20).
    const QCPRange range = keyAxis()->range();
    const auto from = mine.findBegin(range.lower), to = mine.findEnd(range.upper);
    for (auto a = from, b = theirs.constBegin() + (from - mine.constBegin()); a != to; ++a, ++b) {
        if (a->key != b->key || a->value != -b->value)
            return std::nullopt;
    }
    return map.map(QPointF(0, valueAxis()->coordToPixel(0))).y();
}

void CurveGraph::prepareDashes()
{
    // The first of the pair on the layer draws both.
    CurveGraph *graph = this;
    if (CurveGraph *const other = twin.data(); other && other->layer() == layer()) {
        const QList<QCPLayerable *> children = layer()->children();
        if (children.indexOf(other) < children.indexOf(this))
            graph = other;
    }
    if (graph->ahead)
        graph->ahead->drop();
    graph->ahead.reset();
    const QPen pen = graph->pen();
    QCustomPlot *const plot = graph->parentPlot();
    if (!preparingDashes || plainStroking || strokedInOnePiece(pen) ||
        pen.style() == Qt::SolidLine || !plot || !graph->keyAxis() || !graph->valueAxis() ||
        graph->lineStyle() != lsLine || graph->selected() || graph->dataCount() == 0 ||
        aheadPool.isDestroyed())
        return;
    // The lines as QCPGraph::draw() takes them for an unselected graph.
    QVector<QPointF> lines;
    graph->getLines(&lines, QCPDataRange(0, graph->dataCount()).adjusted(-1, 1));
    if (lines.size() < 2)
        return;
    // An antialiasing QCPPainter shifts everything by half a logical pixel.
    const double ratio = plot->bufferDevicePixelRatio();
    const QTransform map =
        QTransform::fromTranslate(0.5, 0.5) * QTransform::fromScale(ratio, ratio);
    // Within a little more than where the render clips them.
    const QRect area =
        map.mapRect(QRectF(graph->clipRect())).toAlignedRect().adjusted(-2, -2, 2, 2);
    const std::optional<double> mirror =
        nearby(map, lines.constData(), lines.size()) ? graph->mirrorRow(map) : std::nullopt;
    const auto job = std::make_shared<Ahead>(std::move(lines), pen, map, area, mirror);
    graph->ahead = job;
    aheadPool()->start([job] { job->run(); });
}

bool CurveGraph::drawPrepared(QCPPainter *painter, const QVector<QPointF> &lines,
                              std::optional<double> mirror) const
{
    if (!ahead || !preparingDashes)
        return false;
    const auto target = rasterTarget(painter);
    const Ahead &job = *ahead;
    if (!target || job.mirror != mirror || job.map != target->map ||
        !job.area.contains(target->clip) || !(job.style == DashStyle(painter->pen())) ||
        job.lines.size() != lines.size() ||
        !std::equal(lines.cbegin(), lines.cend(), job.lines.cbegin(), same))
        return false;
    ++preparedCount;
    if (!ahead->take() || !job.coverage)
        return false;
    blend(*target, *job.coverage);
    return true;
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

bool CurveGraph::drawDashed(QCPPainter *painter, const QPointF *points, int count,
                            std::optional<double> mirror) const
{
    const QPen pen = painter->pen();
    const Dashes dashes = cutIntoDashes(points, count, DashStyle(pen));
    if (dashes.ends.isEmpty())
        return true;
    if (const auto target = rasterTarget(painter);
        target && nearby(target->map, dashes.points.constData(), dashes.points.size())) {
        Blender blender{target->image->bits(), target->image->bytesPerLine(), target->colour};
        rasteriseDashes(dashes, target->map, target->clip, pen.widthF() / 2, mirror, blender);
        return true;
    }
    Lines segments;
    Joins joins;
    for (int d = 0, from = 0; d < dashes.ends.size(); from = dashes.ends.at(d++))
        appendPieces(dashes.points.constData() + from, dashes.ends.at(d) - from, pen.widthF() / 2,
                     false, segments, joins);
    drawPieces(painter, pen, segments, joins);
    return false;
}
