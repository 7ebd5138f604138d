// SPDX-License-Identifier: GPL-3.0-or-later
#include "playhead.h"

#include <QPainter>
#include <qcustomplot.h>

#include <cmath>

namespace {

constexpr int Width = 2;
const QColor Colour(0, 130, 0);

} // namespace

Playhead::Playhead(QCustomPlot *plot) : QWidget(plot), plot(plot)
{
    setObjectName(QStringLiteral("playhead"));
    // It covers its rectangle entirely, so nothing under it is painted first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void Playhead::leave()
{
    // At a fractional scale (125 %, 150 %) the device pixels that Qt repaints
    // under a widget moving away can fall a pixel short of those it painted,
    // which would leave a trail of lines; a pixel more is repainted.
    if (isVisible())
        plot->update(geometry().adjusted(-1, -1, 1, 1));
}

void Playhead::moveTo(double t)
{
    leave();
    const QCPAxis *const time = plot->xAxis;
    if (!time->range().contains(t)) {
        hide();
        return;
    }
    const QRect area = time->axisRect()->rect();
    const int x = int(std::lround(time->coordToPixel(t))) - Width / 2;
    setGeometry(x, area.top(), Width, area.height());
    show();
}

void Playhead::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), Colour);
}
