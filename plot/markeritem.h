// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MARKERITEM_H
#define MARKERITEM_H

#include <qcustomplot.h>

// A line item that draws a level double-headed arrow (spike heads at both
// ends, a solid pen) as one filled outline: the shaft with its square caps,
// and each head grown as stroking its outline with the pen (mitred, as
// QCPLineEnding strokes it) grows it. QCPItemLine strokes the shaft and then
// each head's outline, and QPainter builds and fills a stroke outline for
// each of the three; the width markers move at every step of a drag. Any
// other line, and vector output, QCPItemLine draws as before.
class MarkerItem : public QCPItemLine
{
    Q_OBJECT

public:
    explicit MarkerItem(QCustomPlot *plot);

protected:
    void draw(QCPPainter *painter) override;
};

#endif // MARKERITEM_H
