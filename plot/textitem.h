// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TEXTITEM_H
#define TEXTITEM_H

#include <QRawFont>
#include <qcustomplot.h>

// A text item that sets its line of text straight from the font's glyphs
// and kerned advances, instead of laying it out as a paragraph each time a
// render asks for it. QCPItemText lays its text out (itemising it by script
// and shaping each run) for each corner that the paint buffer asks for, for
// its box and once more for the glyphs: for a line of forty characters that
// costs several times more than drawing them, and the readouts change at every
// step of a drag. Where setting the glyphs one after the other might not give
// what shaping would (several lines, a rotation, characters of scripts that
// join or reorder, ligatures, a glyph the font lacks), and for vector output,
// QCPItemText does all as before.
class TextItem : public QCPItemText
{
    Q_OBJECT

public:
    explicit TextItem(QCustomPlot *plot);

    // How wide text is set in the font, in pixels, as this item sets it.
    static double advance(const QFont &font, const QString &text);

protected:
    void draw(QCPPainter *painter) override;
    QPointF anchorPixelPosition(int anchorId) const override;

private:
    // The text set on one line: its glyphs, where they go from the start of
    // the baseline, and the rectangle QFontMetrics::boundingRect gives it.
    struct Line
    {
        QString text;
        QFont font;
        int flags = 0;
        bool simple = false;
        QRawFont raw;
        QVector<quint32> glyphs;
        QVector<QPointF> positions;
        double width = 0.0;
        // The font's line at the screen's resolution, as the corners take it.
        int height = 0;
        int ascent = 0;
        QRect rect;
    };
    const Line &line() const;

    mutable Line cache;
};

#endif // TEXTITEM_H
