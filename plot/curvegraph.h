// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef CURVEGRAPH_H
#define CURVEGRAPH_H

#include <QPointer>
#include <memory>
#include <optional>
#include <qcustomplot.h>

// A graph whose thick solid line is rasterised piecewise: every segment as a
// straight flat-ended line, every turn's bevel as a small triangle, and the
// ends pushed out by half the width for the square caps. The union is the
// outline QPainter strokes for the same pen, but drawn in pieces: QPainter
// stroking the polyline in one piece builds a single self-overlapping outline
// around the whole curve and fills it with the winding rule, which costs
// several times more for the dense zigzags of a wave packet or a beat, while
// flat-ended lines of a solid pen take the raster engine's direct line path.
//
// Pens, data, line styles, scatters and antialiasing stay as they are set;
// dashes with flat ends are cut out of the curve and, in the plot's own
// image, rasterised straight into it (QPainter's call for each short dash
// costs more than the dash), elsewhere drawn as pieces too; thin, other
// dashed, translucent and impulse lines are drawn by QCPGraph itself.
class CurveGraph : public QCPGraph
{
    Q_OBJECT

public:
    CurveGraph(QCPAxis *keyAxis, QCPAxis *valueAxis);
    ~CurveGraph() override;

    // A graph of this kind added to the plot's default axes, named as
    // QCustomPlot::addGraph() names its graphs.
    static CurveGraph *add(QCustomPlot *plot);

    // Every curve in the program stroked by QPainter in one piece, as before
    // this class: for comparing the two renderings and timing them.
    static void setPlainStroking(bool plain) { plainStroking = plain; }
    static bool isPlainStroking() { return plainStroking; }

    // Drawn first on its layer, under the graphs added before it.
    void sendToBack() { moveToLayer(layer(), true); }

    // Two graphs each of which is the other's mirror image about value 0 (the
    // envelope's halves: the same keys, the values negated, the same pen).
    // Where the first of them on the layer rasterises its dashes straight
    // into the plot's image, it draws the other's dashes as the mirror image
    // of its own in the same pass, and the other draws nothing itself in that
    // render.
    static void pairAsMirrors(CurveGraph *one, CurveGraph *other);

    // Cuts and rasterises the dashes of this graph and its mirror twin, as
    // they stand, on a worker thread, so that the next render, which would
    // otherwise do it, blends them in. Called once the data and pens are
    // set; the render takes the work only where it draws the very same
    // points with the same pen, and does it itself if the worker has not
    // begun.
    void prepareDashes();
    // Renders that found the dashes prepared for what they draw, since the
    // program began, whether the worker or the render itself did them.
    static int preparedRenders() { return preparedCount; }
    // Whether dashes are prepared ahead at all: for comparing the renders.
    static void setPreparingDashes(bool preparing) { preparingDashes = preparing; }

protected:
    void draw(QCPPainter *painter) override;
    void drawLinePlot(QCPPainter *painter, const QVector<QPointF> &lines) const override;

private:
    struct Ahead;

    // The device row (value 0) about which the twin is this graph's mirror
    // image, where it can be drawn so with lines in this render.
    std::optional<double> mirrorAxis(QCPPainter *painter, const QVector<QPointF> &lines) const;
    // The same, for the mapping to the device, as far as the graphs tell.
    std::optional<double> mirrorRow(const QTransform &map) const;
    // Blends the dashes prepared ahead for these lines, where there are.
    bool drawPrepared(QCPPainter *painter, const QVector<QPointF> &lines,
                      std::optional<double> mirror) const;

    void drawPiecewise(QCPPainter *painter, const QPointF *points, int count) const;
    // The same cut into the pen's dashes, with flat ends.
    // With its mirror image about that device row too, when given; false
    // where drawn by QPainter (and then without it).
    bool drawDashed(QCPPainter *painter, const QPointF *points, int count,
                    std::optional<double> mirror) const;

    static bool plainStroking;
    static int preparedCount;
    static bool preparingDashes;
    QPointer<CurveGraph> twin;
    std::shared_ptr<Ahead> ahead;
    // Drawn by the twin in the render under way.
    bool drawnByTwin = false;
};

#endif // CURVEGRAPH_H
