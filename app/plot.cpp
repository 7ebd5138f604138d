#include "plot.h"

Plot::Plot(QWidget *parent) : QCustomPlot(parent) {}

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
