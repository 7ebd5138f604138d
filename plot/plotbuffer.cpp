// SPDX-License-Identifier: GPL-3.0-or-later
#include "plotbuffer.h"

#include "plot.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// The layers of the static image, hidden in a render that starts from it,
// and the graphs' layer. Hiding a layer hides what belongs to its layerables
// on other layers too: the axes layer takes the grids with it, but the axis
// rectangle's layer, "background", or the graphs' layer, which holds the
// plot's layout, would take everything. The axis rectangle draws nothing
// without a background of its own.
const QString GridLayer = QStringLiteral("grid");
const QString AxesLayer = QStringLiteral("axes");
const QString GraphLayer = QStringLiteral("main");
// Where the layers above the static ones draw.
const QStringList AboveStatic{QStringLiteral("main"), QStringLiteral("legend"),
                              QStringLiteral("overlay")};

// Axis pixels in the graphs' reach are found tile by tile, so that the
// rectangles copied over the graphs hug the axis lines and ticks.
constexpr int Tile = 64;
// The width, in device pixels, of the columns in which a graph's extent is
// followed.
constexpr int Band = 64;
// Putting the static image back rectangle by rectangle moves a few bytes per
// nanosecond, filling the whole buffer well over ten; the static layers
// themselves draw quickly. Past this share of the buffer, a render draws all
// layers instead (scripts/bench shows where each render's time goes).
constexpr double MostlyDrawnOver = 0.2;

// An axis's coordinates in device pixels; a linear axis without a call for
// each point, which the columns of a long curve would spend most of their time
// on (to within rounding, which the margins cover).
class Pixels
{
public:
    Pixels(const QCPAxis *axis, double ratio) : axis(axis), ratio(ratio)
    {
        if (axis->scaleType() == QCPAxis::stLinear) {
            offset = axis->coordToPixel(0.0) * ratio;
            scale = axis->coordToPixel(1.0) * ratio - offset;
            linear = std::isfinite(offset) && std::isfinite(scale);
        }
    }
    double operator()(double coordinate) const
    {
        return linear ? offset + scale * coordinate : axis->coordToPixel(coordinate) * ratio;
    }

private:
    const QCPAxis *const axis;
    const double ratio;
    bool linear = false;
    double offset = 0.0;
    double scale = 0.0;
};

// A stretch of a graph's data, for a range-for.
struct Stretch
{
    QCPGraphDataContainer::const_iterator from, to;
    QCPGraphDataContainer::const_iterator begin() const { return from; }
    QCPGraphDataContainer::const_iterator end() const { return to; }
};

QCPPainter *painterOn(QImage *image)
{
    return new QCPPainter(image);
}

} // namespace

bool PlotBuffer::StaticKey::operator==(const StaticKey &other) const
{
    return size == other.size && ratio == other.ratio && axisRect == other.axisRect &&
           ticks == other.ticks && labels == other.labels && numbers == other.numbers &&
           pens == other.pens && fonts == other.fonts;
}

PlotBuffer::PlotBuffer(Plot *plot, const QSize &size, double ratio)
    : QCPAbstractPaintBuffer(size, ratio), plot(plot)
{
    reallocateBuffer();
}

void PlotBuffer::reallocateBuffer()
{
    setInvalidated();
    image = QImage(mSize * mDevicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(mDevicePixelRatio);
    // Shown as it is if a paint comes before the next render.
    image.fill(Qt::transparent);
    opaque = false;
    drawn = {image.rect()};
    drawnArea = qint64(image.width()) * image.height();
}

void PlotBuffer::setReusing(bool on)
{
    reusing = on;
}

void PlotBuffer::forget()
{
    staticImage = QImage();
    axesImage = QImage();
}

PlotBuffer::StaticKey PlotBuffer::currentKey() const
{
    StaticKey key;
    key.size = image.size();
    key.ratio = mDevicePixelRatio;
    QCPAxisRect *const rect = plot->axisRect();
    key.axisRect = rect->rect();
    for (QCPAxis *axis : rect->axes()) {
        const QCPGrid *const grid = axis->grid();
        key.ticks << axis->tickVector();
        key.labels << axis->tickVectorLabels() << axis->label();
        key.numbers << quintptr(axis->ticker().data()) << axis->rangeReversed() << axis->scaleType()
                    << axis->tickLabelSide() << axis->antialiased() << grid->antialiased()
                    << grid->antialiasedSubGrid() << grid->antialiasedZeroLine()
                    << axis->lowerEnding().style() << axis->upperEnding().style();
        key.numbers << axis->range().lower << axis->range().upper << axis->visible()
                    << axis->ticks() << axis->subTicks() << axis->tickLabels()
                    << axis->tickLengthIn() << axis->tickLengthOut() << axis->subTickLengthIn()
                    << axis->subTickLengthOut() << axis->offset() << axis->padding()
                    << axis->labelPadding() << axis->tickLabelPadding() << axis->tickLabelRotation()
                    << grid->visible() << grid->subGridVisible();
        key.pens << axis->basePen() << axis->tickPen() << axis->subTickPen()
                 << QPen(axis->labelColor()) << QPen(axis->tickLabelColor()) << grid->pen()
                 << grid->subGridPen() << grid->zeroLinePen();
        key.fonts << axis->labelFont() << axis->tickLabelFont();
    }
    key.pens << QPen(plot->backgroundBrush(), 0);
    // The layers: one buffer for all, in the order counted, and which show.
    for (int i = 0; i < plot->layerCount(); ++i) {
        const QCPLayer *const each = plot->layer(i);
        key.labels << each->name();
        key.numbers << each->visible() << (each->mode() == QCPLayer::lmLogical);
    }
    key.numbers << plot->antialiasedElements() << plot->notAntialiasedElements();
    return key;
}

void PlotBuffer::clear(const QColor &colour)
{
    clock.start();
    layer = 0;
    const QBrush background = plot->backgroundBrush();
    // A background picture is drawn under the buffer at every paint.
    opaque = background.style() == Qt::SolidPattern && background.isOpaque() &&
             plot->background().isNull();
    const QImage::Format format =
        opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied;
    if (image.format() != format) {
        image = QImage(image.size(), format);
        image.setDevicePixelRatio(mDevicePixelRatio);
        drawn = {image.rect()};
        drawnArea = qint64(image.width()) * image.height();
    }

    // A render whose static part differs from the image draws every layer,
    // as does the first after forget(); the image is made for the next.
    fromStatic = false;
    if (reusing && opaque) {
        const StaticKey key = currentKey();
        if (staticImage.isNull() || !(key == staticKey)) {
            staticUsable = makeStaticImages();
            staticKey = key;
        } else {
            fromStatic = staticUsable && cheaperThanDrawing();
        }
    }
    if (fromStatic) {
        // Only where the last render drew over the static part.
        copyFrom(staticImage, drawn, false);
        for (const QString &name : {GridLayer, AxesLayer}) {
            plot->layer(name)->setVisible(false);
            hidden << plot->layer(name);
        }
        ++reused;
    } else {
        image.fill(opaque ? background.color() : colour);
    }
    timings.start = clock.nsecsElapsed() * 1e-6;
}

QCPPainter *PlotBuffer::startPainting()
{
    return painterOn(&image);
}

void PlotBuffer::donePainting()
{
    if (plot->layer(layer)->name() == GraphLayer) {
        // What the next render puts back, whichever way this one is drawn:
        // elsewhere the buffer will hold what the static image holds.
        drawn = drawnRegion();
    }
    if (fromStatic && plot->layer(layer)->name() == GraphLayer) {
        // The axes layer comes after the graphs: its pixels over them.
        Rects over;
        for (const QRect &pixels : std::as_const(axisPixels)) {
            for (const QRect &rect : std::as_const(drawn)) {
                if (rect.intersects(pixels))
                    over << (rect & pixels);
            }
        }
        copyFrom(axesImage, over, true);
    }
    if (++layer == plot->layerCount()) {
        for (QCPLayer *const shown : std::as_const(hidden))
            shown->setVisible(true);
        hidden.clear();
        timings.layers = clock.nsecsElapsed() * 1e-6 - timings.start;
    }
}

void PlotBuffer::draw(QCPPainter *painter) const
{
    if (painter && painter->isActive())
        painter->drawImage(0, 0, image);
}

bool PlotBuffer::makeStaticImages()
{
    QCPAxisRect *const rect = plot->axisRect();
    // An axis rectangle with a background of its own would be drawn twice.
    if (rect->backgroundBrush().style() != Qt::NoBrush || !rect->background().isNull())
        return false;
    for (QCPLayer *const layer : {plot->layer(GridLayer), plot->layer(AxesLayer)}) {
        if (!layer || !layer->visible())
            return false;
    }
    // Every layer paints into this buffer, in turn; a layer with a buffer of
    // its own would upset the count.
    for (int i = 0; i < plot->layerCount(); ++i) {
        if (plot->layer(i)->mode() != QCPLayer::lmLogical)
            return false;
    }

    staticImage = QImage(image.size(), image.format());
    staticImage.setDevicePixelRatio(mDevicePixelRatio);
    staticImage.fill(plot->backgroundBrush().color());
    axesImage = QImage(image.size(), QImage::Format_ARGB32_Premultiplied);
    axesImage.setDevicePixelRatio(mDevicePixelRatio);
    axesImage.fill(Qt::transparent);
    QList<QCPLayerable *> drawnAbove{plot->legend};
    for (int i = 0; i < plot->plottableCount(); ++i)
        drawnAbove << plot->plottable(i);
    // Markers and texts change with the graphs.
    for (int i = 0; i < plot->itemCount(); ++i)
        drawnAbove << plot->item(i);
    QList<QCPLayerable *> grids;
    for (QCPAxis *const axis : rect->axes())
        grids << axis->grid();
    for (const auto &[target, hidden] :
         {std::pair(&staticImage, drawnAbove), std::pair(&axesImage, drawnAbove + grids)}) {
        const std::unique_ptr<QCPPainter> painter(painterOn(target));
        plot->drawWithout(painter.get(), hidden);
    }

    // Where the graphs can draw: QCustomPlot clips them to the axis
    // rectangle moved a pixel up.
    const QRect reach = QRectF(QRectF(rect->rect().translated(0, -1)).topLeft() * mDevicePixelRatio,
                               QSizeF(rect->rect().size()) * mDevicePixelRatio)
                            .toAlignedRect()
                            .adjusted(-2, -2, 2, 2) &
                        image.rect();
    axisPixels.clear();
    for (int top = reach.top(); top <= reach.bottom(); top += Tile) {
        for (int left = reach.left(); left <= reach.right(); left += Tile) {
            const QRect tile = QRect(left, top, Tile, Tile) & reach;
            QRect found;
            for (int y = tile.top(); y <= tile.bottom(); ++y) {
                const QRgb *const line = reinterpret_cast<const QRgb *>(axesImage.constScanLine(y));
                for (int x = tile.left(); x <= tile.right(); ++x) {
                    const int alpha = qAlpha(line[x]);
                    if (alpha == 0)
                        continue;
                    // Only opaque pixels replace what they are copied over
                    // as drawing them over it would.
                    if (alpha != 255)
                        return false;
                    found |= QRect(x, y, 1, 1);
                }
            }
            if (!found.isNull())
                axisPixels << found;
        }
    }
    return true;
}

Rects PlotBuffer::drawnRegion()
{
    Rects region;
    QList<const QCPGraph *> graphs;
    const QRectF reach = QRectF(plot->axisRect()->rect().translated(0, -1)).adjusted(-1, -1, 1, 1);
    for (const QString &name : AboveStatic) {
        const QCPLayer *const layer = plot->layer(name);
        if (!layer || !layer->visible())
            continue;
        for (QCPLayerable *const child : layer->children()) {
            if (!child->realVisibility() || child == plot->plotLayout())
                continue;
            // It draws only while the user drags out a rectangle, which the
            // plots do not let them do.
            if (const auto *const selection = qobject_cast<QCPSelectionRect *>(child)) {
                if (!selection->isActive())
                    continue;
            }
            if (const auto *const graph = qobject_cast<QCPGraph *>(child);
                graph && graph->brush().style() == Qt::NoBrush) {
                graphs << graph;
            } else if (qobject_cast<QCPAbstractPlottable *>(child)) {
                region << device(reach);
            } else if (qobject_cast<QCPLegend *>(child) ||
                       qobject_cast<QCPAbstractLegendItem *>(child)) {
                region << device(QRectF(plot->legend->outerRect()).adjusted(-2, -2, 2, 2));
            } else if (const auto *const text = qobject_cast<QCPItemText *>(child);
                       text && text->rotation() == 0) {
                // Its corners, padding included; the font's metrics on the
                // buffer may round a pixel differently.
                const QRectF box(text->topLeft->pixelPosition(),
                                 text->bottomRight->pixelPosition());
                region << device(box.normalized().adjusted(-3, -3, 3, 3) & reach);
            } else if (const auto *const line = qobject_cast<QCPItemLine *>(child)) {
                // The arrow heads reach their width either side, and the
                // pen's miters past the corners.
                const QPen pen = line->pen();
                const double stroke = pen.widthF() * (1 + pen.miterLimit()) + 2;
                const double across =
                    std::max(line->head().width(), line->tail().width()) / 2 + stroke;
                const QPointF from = line->start->pixelPosition(), to = line->end->pixelPosition();
                // A level line's heads lie along it; any other may point anywhere.
                const double along = from.y() == to.y() ? stroke
                                                        : across + std::max(line->head().length(),
                                                                            line->tail().length());
                const double up = from.y() == to.y() ? across : along;
                const QRectF box(from, to);
                region << device(box.normalized().adjusted(-along, -up, along, up) & reach);
            } else {
                // Anything else may draw anywhere.
                drawnArea = qint64(image.width()) * image.height();
                return {image.rect()};
            }
        }
    }
    const Rects curves = device(graphs, reach);
    // The area drawn over: the curves' rectangles share no pixel, and the few
    // others (markers, texts, the legend) count only where they lie outside
    // the curves'.
    drawnArea = 0;
    for (const QRect &rect : curves)
        drawnArea += qint64(rect.width()) * rect.height();
    for (const QRect &rect : std::as_const(region)) {
        qint64 outside = qint64(rect.width()) * rect.height();
        for (const QRect &curve : curves) {
            const QRect both = rect & curve;
            outside -= qint64(both.width()) * both.height();
        }
        drawnArea += std::max<qint64>(outside, 0);
    }
    return region + curves;
}

QRect PlotBuffer::device(const QRectF &logical) const
{
    const double ratio = mDevicePixelRatio;
    return QRectF(logical.topLeft() * ratio, logical.size() * ratio)
               .toAlignedRect()
               .adjusted(-1, -1, 1, 1) &
           image.rect();
}

Rects PlotBuffer::device(const QList<const QCPGraph *> &graphs, const QRectF &reach) const
{
    // Column by column, from the lowest to the highest pixel that a line
    // between two neighbouring points (or an impulse from 0, or a step)
    // covers there: a slow curve leaves most of the plot untouched. Where
    // the stretches of several curves overlap in a column (a signal and its
    // envelope), they become one, so that no pixel is counted twice.
    const double ratio = mDevicePixelRatio;
    const int columns = image.width() / Band + 1;
    // Per column: the top and bottom of each curve, in device pixels.
    QVector<QVector<std::array<double, 2>>> stretches(columns);
    for (const QCPGraph *const graph : graphs) {
        QVector<double> top(columns, qInf()), bottom(columns, -qInf());
        const bool impulses = graph->lineStyle() == QCPGraph::lsImpulse;
        const bool joined = graph->lineStyle() != QCPGraph::lsNone && !impulses;
        const Pixels key(graph->keyAxis(), ratio), value(graph->valueAxis(), ratio);
        // Far outside the plot all the same, and whole numbers from here on.
        const auto near = [](double pixel) { return qBound(-1e6, pixel, 1e6); };
        const double base = value(0.0);
        if (impulses && !std::isfinite(base))
            continue;
        // A pen, a scatter and the antialiasing reach beyond the points, up and
        // down as well as into the neighbouring columns.
        const QCPScatterStyle &scatter = graph->scatterStyle();
        const double margin =
            (graph->pen().widthF() + scatter.size() / 2 + scatter.pen().widthF() + 2.0) * ratio;
        // Columns by truncation, past an offset that keeps every clamped
        // pixel positive: floor() and the vector's checks would take most of
        // the time of a curve of thousands of points.
        constexpr int Shift = 1 << 16; // columns, more than 2e6 px
        const int lastColumn = columns - 1;
        const auto column = [lastColumn](double x) {
            const double at = std::clamp(x, -2e6, 2e6) * (1.0 / Band);
            return std::clamp(int(at + Shift) - Shift, 0, lastColumn);
        };
        double *const tops = top.data();
        double *const bottoms = bottom.data();
        // Each point, with the line from the one before it (or its impulse),
        // widens the columns that it reaches to its rows.
        // Only the points that can reach into the plot, and one more either
        // side: a long signal runs on far beyond the time axis.
        const QCPAxis *const keyAxis = graph->keyAxis();
        const QRect rect = keyAxis->axisRect()->rect();
        const double pad = margin / ratio + 1;
        const double a = keyAxis->pixelToCoord(rect.left() - pad);
        const double b = keyAxis->pixelToCoord(rect.right() + pad);
        const QCPGraphDataContainer &data = *graph->data();
        const bool bounded =
            keyAxis->orientation() == Qt::Horizontal && std::isfinite(a) && std::isfinite(b);
        const auto first = bounded ? data.findBegin(std::min(a, b)) : data.constBegin();
        const auto last = bounded ? data.findEnd(std::max(a, b)) : data.constEnd();
        double lastX = qQNaN(), lastY = qQNaN();
        for (const QCPGraphData &point : Stretch{first, last}) {
            const double x = key(point.key), y = value(point.value);
            if (!std::isfinite(x) || !std::isfinite(y)) {
                // It breaks the line, as QCPGraph draws it.
                lastX = qQNaN();
                continue;
            }
            const double atX = near(x), atY = near(y);
            double x0 = atX, x1 = atX, y0 = atY, y1 = atY;
            if (impulses) {
                y0 = std::min(atY, near(base));
                y1 = std::max(atY, near(base));
            } else if (joined && !std::isnan(lastX)) {
                x0 = std::min(x0, lastX), x1 = std::max(x1, lastX);
                y0 = std::min(y0, lastY), y1 = std::max(y1, lastY);
            }
            for (int c = column(x0 - margin), to = column(x1 + margin); c <= to; ++c) {
                tops[c] = std::min(tops[c], y0);
                bottoms[c] = std::max(bottoms[c], y1);
            }
            lastX = atX, lastY = atY;
        }
        for (int c = 0; c < columns; ++c) {
            if (top[c] <= bottom[c])
                stretches[c].append({top[c] - margin, bottom[c] + margin});
        }
    }
    const QRect clip = device(reach);
    Rects region;
    for (int c = 0; c < columns; ++c) {
        // Rows from top to bottom, overlapping ones joined: the rectangles of
        // one column, as those of different columns, share no pixel.
        std::sort(stretches[c].begin(), stretches[c].end());
        for (int i = 0; i < stretches[c].size();) {
            auto [from, to] = stretches[c][i];
            for (++i; i < stretches[c].size() && stretches[c][i][0] <= to; ++i)
                to = std::max(to, stretches[c][i][1]);
            const int top = int(std::floor(from)), bottom = int(std::ceil(to));
            region << (QRect(QPoint(c * Band, top), QPoint((c + 1) * Band - 1, bottom)) & clip);
        }
    }
    return region;
}

bool PlotBuffer::cheaperThanDrawing() const
{
    return drawnArea <= MostlyDrawnOver * image.width() * image.height();
}

void PlotBuffer::copyFrom(const QImage &source, const Rects &rects, bool blend)
{
    for (const QRect &rect : rects) {
        const QRect r = rect & image.rect();
        for (int y = r.top(); y <= r.bottom(); ++y) {
            auto *const to = reinterpret_cast<QRgb *>(image.scanLine(y)) + r.left();
            const auto *const from =
                reinterpret_cast<const QRgb *>(source.constScanLine(y)) + r.left();
            if (!blend) {
                std::memcpy(to, from, size_t(r.width()) * sizeof(QRgb));
                continue;
            }
            for (int x = 0; x < r.width(); ++x) {
                if (qAlpha(from[x]) == 255)
                    to[x] = from[x];
            }
        }
    }
}
