// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLOTBUFFER_H
#define PLOTBUFFER_H

#include <QElapsedTimer>
#include <QImage>
#include <qcustomplot.h>

class Plot;

// Rectangles of device pixels; where a marker or a text lies over a curve,
// the same pixels are copied twice, which costs less than splitting them.
using Rects = QVector<QRect>;

// The one paint buffer of a Plot: an image in device pixels into which
// QCustomPlot draws every layer, in order, at each render.
//
// Between two interactions most of a plot stays as it was: the background,
// the grid, the axes with their ticks and labels. The buffer keeps an image of
// them (the static image) and, for a render whose static part comes out the
// same (the same size, pixel ratio, axis rectangle, ranges, ticks and pens),
// puts it back only where the last render drew something else: the graphs and
// the legend. (What the key compares is listed in currentKey(); anything else
// that changes the static layers needs forget().) It then lets QCustomPlot
// draw just the graphs and the legend,
// and between the two copies back from a second image the few axis pixels that
// reach into the graphs' rectangle, which the axes layer draws over the
// graphs. Every pixel is the one that drawing all layers gives: below the
// graphs the buffer holds the same bytes, and the axis pixels copied over them
// are opaque, as QCustomPlot draws axes without antialiasing (checked each time
// the images are made; otherwise every render draws all layers).
//
// A buffer filled with the plot's background colour, where that is opaque, is
// shown without blending and without a fill under it.
class PlotBuffer : public QCPAbstractPaintBuffer
{
public:
    PlotBuffer(Plot *plot, const QSize &size, double ratio);

    void clear(const QColor &colour) override;
    QCPPainter *startPainting() override;
    void donePainting() override;
    void draw(QCPPainter *painter) const override;

    // Whether renders may start from the static image; off, every render
    // draws all layers, as QCustomPlot does.
    void setReusing(bool on);
    // The static image is made again at the next render.
    void forget();
    // The buffer covers all it is drawn over.
    bool isOpaque() const { return opaque; }

    struct Timings
    {
        double start = 0.0;  // ms: the buffer filled, or the static image put back
        double layers = 0.0; // ms: the layers drawn
    };
    Timings lastTimings() const { return timings; }
    int reusedRenders() const { return reused; }

protected:
    void reallocateBuffer() override;

private:
    // What the static layers are drawn from, once the layout is updated.
    struct StaticKey
    {
        QSize size;
        double ratio = 0.0;
        QRect axisRect;
        QVector<QVector<double>> ticks;
        QVector<QString> labels;
        QVector<double> numbers;
        QVector<QPen> pens;
        QVector<QFont> fonts;
        bool operator==(const StaticKey &other) const;
    };
    StaticKey currentKey() const;

    // Makes the static image and the image of the axes alone; false where
    // they cannot stand in for drawing the layers.
    bool makeStaticImages();
    // Where the layers above the static ones will draw, in device pixels; sets
    // drawnArea.
    Rects drawnRegion();
    // A rectangle of the plot in device pixels, widened to whole pixels and
    // one more; where the graphs draw, in device pixels, within reach.
    QRect device(const QRectF &logical) const;
    Rects device(const QList<const QCPGraph *> &graphs, const QRectF &reach) const;
    // Whether putting the static image back where the last render drew costs
    // less than drawing every layer.
    bool cheaperThanDrawing() const;
    void copyFrom(const QImage &source, const Rects &rects, bool blend);

    Plot *const plot;
    QImage image;
    bool opaque = false;
    bool reusing = true;

    // The static image, the axes alone in the graphs' reach, the rectangles
    // in which those have pixels, and what the static image was made from.
    QImage staticImage;
    QImage axesImage;
    QVector<QRect> axisPixels;
    StaticKey staticKey;
    bool staticUsable = false;

    // In the render under way.
    bool fromStatic = false;
    int layer = 0;
    QList<QCPLayer *> hidden;
    Rects drawn;
    qint64 drawnArea = 0; // pixels of drawn, each counted once
    QElapsedTimer clock;
    Timings timings;
    int reused = 0;
};

#endif // PLOTBUFFER_H
