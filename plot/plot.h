// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLOT_H
#define PLOT_H

#include "plotbuffer.h"

#include <qcustomplot.h>

// The spectrum and the signal plot of the work page: a QCustomPlot that lays
// itself out as soon as it is resized, renders at the pixel density of the
// screen it is shown on, and draws its background, grid and axes only when
// they change (see PlotBuffer).
class Plot : public QCustomPlot
{
    Q_OBJECT

public:
    explicit Plot(QWidget *parent = nullptr);
    ~Plot() override;

    // Renders once control is back in the event loop with every layer drawn
    // anew; the static image is made again from then on.
    void replotFully();
    // Whether renders may start from the static image; off, each draws all
    // layers. The tests and the benchmark compare both.
    void setStaticImageUsed(bool on);
    // Renders as QCustomPlot does by itself, as before this class: every
    // layer into a transparent buffer, the overlay into one of its own, both
    // blended over a fill at every paint. For the benchmark to compare.
    void setStockRendering(bool on);

    // Milliseconds of the last render and paint: starting the buffer (filled,
    // or the static image put back), drawing the layers, showing the buffer.
    struct Timings
    {
        double start = 0.0;
        double layers = 0.0;
        double paint = 0.0;
    };
    Timings lastTimings() const;
    // How many renders started from the static image.
    int staticImageRenders() const { return buffer->reusedRenders(); }

    QBrush backgroundBrush() const { return mBackgroundBrush; }
    // Draws all that a render would but the hidden layerables.
    void drawWithout(QCPPainter *painter, const QList<QCPLayerable *> &hidden);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Renders at the screen's device pixel ratio from the next replot on.
    void followScreen();

    QSharedPointer<PlotBuffer> buffer;
    QList<QSharedPointer<QCPAbstractPaintBuffer>> stockBuffers;
    bool stock = false;
    double paintTime = 0.0;
};

#endif // PLOT_H
