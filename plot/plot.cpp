// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot.h"

#include <QElapsedTimer>

#include <utility>

Plot::Plot(QWidget *parent) : QCustomPlot(parent)
{
    buffer = QSharedPointer<PlotBuffer>::create(this, viewport().size(), bufferDevicePixelRatio());
    setStockRendering(false);
}

Plot::~Plot() = default;

void Plot::replotFully()
{
    buffer->forget();
    replot(rpQueuedReplot);
}

void Plot::setStaticImageUsed(bool on)
{
    buffer->setReusing(on);
}

void Plot::setStockRendering(bool on)
{
    if (on == stock && !mPaintBuffers.isEmpty())
        return;
    stock = on;
    // The overlay, which the program leaves empty, would have a buffer of its
    // own, cleared and blended over the rest at every paint.
    layer(QStringLiteral("overlay"))->setMode(on ? QCPLayer::lmBuffered : QCPLayer::lmLogical);
    // QCustomPlot keeps the buffers it has and makes its own where none is;
    // its own are kept too, for the next comparison.
    if (on) {
        mPaintBuffers = stockBuffers;
        for (const auto &stockBuffer : std::as_const(stockBuffers))
            stockBuffer->setDevicePixelRatio(bufferDevicePixelRatio());
    } else {
        stockBuffers = mPaintBuffers;
        stockBuffers.removeAll(buffer);
        mPaintBuffers = {buffer};
        buffer->setSize(viewport().size());
        buffer->forget();
    }
}

Plot::Timings Plot::lastTimings() const
{
    const PlotBuffer::Timings render = buffer->lastTimings();
    return {render.start, render.layers, paintTime};
}

void Plot::drawWithout(QCPPainter *painter, const QList<QCPLayerable *> &hidden)
{
    QList<QCPLayerable *> shown;
    for (QCPLayerable *const hiding : hidden) {
        if (hiding->visible()) {
            hiding->setVisible(false);
            shown << hiding;
        }
    }
    draw(painter);
    for (QCPLayerable *const showing : std::as_const(shown))
        showing->setVisible(true);
}

bool Plot::event(QEvent *event)
{
    // A window moved to a screen of another scale.
    if (event->type() == QEvent::ScreenChangeInternal)
        followScreen();
    return QCustomPlot::event(event);
}

void Plot::resizeEvent(QResizeEvent *)
{
    // QCustomPlot renders at once when it is resized, which happens when the
    // work page is first shown: the submode being built there asks for its own
    // render a moment later, so the first visit would draw every plot twice.
    // The new size is laid out at once instead, so that pixels and coordinates
    // convert right away, and the render joins the submode's.
    followScreen();
    setViewport(rect());
    for (const auto phase :
         {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins, QCPLayoutElement::upLayout})
        plotLayout()->update(phase);
    replot(rpQueuedReplot);
}

void Plot::paintEvent(QPaintEvent *event)
{
    QElapsedTimer clock;
    clock.start();
    // Until the next render a resized buffer covers less than the plot, and
    // QCustomPlot fills the rest.
    if (!stock && buffer->isOpaque() && buffer->size() == viewport().size()) {
        // The buffer holds the background already.
        QCPPainter painter(this);
        buffer->draw(&painter);
    } else {
        QCustomPlot::paintEvent(event);
    }
    paintTime = clock.nsecsElapsed() * 1e-6;
}

void Plot::followScreen()
{
    // QCustomPlot reads the ratio once, when it is made, before it knows the
    // screen its window will be shown on.
    const double ratio = devicePixelRatioF();
    if (bufferDevicePixelRatio() != ratio) {
        setBufferDevicePixelRatio(ratio);
        replot(rpQueuedReplot);
    }
}
