// SPDX-License-Identifier: GPL-3.0-or-later
#include "textitem.h"

#include <QFontMetrics>
#include <QGlyphRun>

#include <cmath>

namespace {

// Characters whose glyphs follow one another as their advances say: the
// scripts of the program's texts, without joining, reordering or combining.
bool setOneByOne(const QString &text)
{
    for (const QChar c : text) {
        if (c.isSurrogate() || c.category() == QChar::Mark_NonSpacing ||
            c.category() == QChar::Mark_SpacingCombining || c.category() == QChar::Mark_Enclosing ||
            c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return false;
        switch (c.script()) {
        case QChar::Script_Common:
        case QChar::Script_Latin:
        case QChar::Script_Greek:
        case QChar::Script_Cyrillic:
            break;
        default:
            return false;
        }
        if (c.direction() == QChar::DirR || c.direction() == QChar::DirAL)
            return false;
    }
    // Latin ligatures that shaping would put in.
    for (const char *pair : {"ff", "fi", "fl", "ft", "fj"}) {
        if (text.contains(QLatin1String(pair)))
            return false;
    }
    return true;
}

struct Glyphs
{
    QVector<quint32> indexes;
    QVector<QPointF> advances;
    double width = 0.0;
    bool complete = false;
};

Glyphs glyphsOf(const QRawFont &raw, const QString &text)
{
    Glyphs glyphs;
    glyphs.indexes = raw.glyphIndexesForString(text);
    glyphs.complete =
        raw.isValid() && glyphs.indexes.size() == text.size() && !glyphs.indexes.contains(0u);
    if (!glyphs.complete)
        return glyphs;
    glyphs.advances = raw.advancesForGlyphIndexes(glyphs.indexes, QRawFont::KernedAdvances);
    for (const QPointF &step : std::as_const(glyphs.advances))
        glyphs.width += step.x();
    return glyphs;
}

} // namespace

TextItem::TextItem(QCustomPlot *plot) : QCPItemText(plot) {}

double TextItem::advance(const QFont &font, const QString &text)
{
    if (setOneByOne(text)) {
        const Glyphs glyphs = glyphsOf(QRawFont::fromFont(font), text);
        if (glyphs.complete)
            return glyphs.width;
    }
    return QFontMetrics(font).horizontalAdvance(text);
}

const TextItem::Line &TextItem::line() const
{
    const QFont font = mainFont();
    const int flags = Qt::TextDontClip | int(mTextAlignment);
    if (!cache.rect.isNull() && cache.text == mText && cache.flags == flags && cache.font == font)
        return cache;
    // The raw font serves every text in the same font.
    const QRawFont raw =
        cache.font == font && cache.raw.isValid() ? cache.raw : QRawFont::fromFont(font);
    cache = Line();
    cache.raw = raw;
    cache.text = mText;
    cache.font = font;
    cache.flags = flags;
    cache.simple = setOneByOne(mText);
    const QFontMetrics metrics(font);
    cache.height = metrics.height();
    cache.ascent = metrics.ascent();
    if (cache.simple) {
        const Glyphs glyphs = glyphsOf(cache.raw, mText);
        cache.simple = glyphs.complete;
        cache.glyphs = glyphs.indexes;
        cache.width = glyphs.width;
        QPointF at;
        for (const QPointF &step : std::as_const(glyphs.advances)) {
            cache.positions << at;
            at += step;
        }
    }
    if (!cache.simple) {
        cache.rect = metrics.boundingRect(0, 0, 0, 0, flags, mText);
        return cache;
    }
    // As boundingRect() places one line around (0, 0): aligned to it, then
    // widened to whole pixels.
    const double width = cache.width, height = cache.height;
    const double left = mTextAlignment & Qt::AlignRight     ? -width
                        : mTextAlignment & Qt::AlignHCenter ? -width / 2
                                                            : 0.0;
    const double top = mTextAlignment & Qt::AlignBottom    ? -height
                       : mTextAlignment & Qt::AlignVCenter ? -height / 2
                                                           : 0.0;
    cache.rect = QRectF(left, top, width, height).toAlignedRect();
    return cache;
}

QPointF TextItem::anchorPixelPosition(int anchorId) const
{
    if (!qFuzzyIsNull(mRotation))
        return QCPItemText::anchorPixelPosition(anchorId);
    // As QCPItemText places its corners, with the text measured once.
    QRectF box = line().rect.adjusted(-mPadding.left(), -mPadding.top(), mPadding.right(),
                                      mPadding.bottom());
    box.moveTopLeft(getTextDrawPoint(QPointF(0, 0), box, mPositionAlignment).toPoint());
    box.translate(position->pixelPosition());
    switch (anchorId) {
    case aiTopLeft:
        return box.topLeft();
    case aiTop:
        return QPointF(box.center().x(), box.top());
    case aiTopRight:
        return box.topRight();
    case aiRight:
        return QPointF(box.right(), box.center().y());
    case aiBottomRight:
        return box.bottomRight();
    case aiBottom:
        return QPointF(box.center().x(), box.bottom());
    case aiBottomLeft:
        return box.bottomLeft();
    case aiLeft:
        return QPointF(box.left(), box.center().y());
    default:
        return QCPItemText::anchorPixelPosition(anchorId);
    }
}

void TextItem::draw(QCPPainter *painter)
{
    const Line &set = line();
    painter->setFont(mainFont());
    // The glyphs are those of the screen's resolution, as the corners are.
    const QFontMetrics onDevice = painter->fontMetrics();
    if (!set.simple || !qFuzzyIsNull(mRotation) ||
        painter->modes().testFlag(QCPPainter::pmVectorized) || onDevice.height() != set.height ||
        onDevice.ascent() != set.ascent) {
        QCPItemText::draw(painter);
        return;
    }
    const QPointF pos = position->pixelPosition();
    QRect textRect = set.rect;
    QRect box =
        textRect.adjusted(-mPadding.left(), -mPadding.top(), mPadding.right(), mPadding.bottom());
    const QPoint topLeft = getTextDrawPoint(QPointF(0, 0), box, mPositionAlignment).toPoint();
    textRect.moveTopLeft(topLeft + QPoint(mPadding.left(), mPadding.top()));
    box.moveTopLeft(topLeft);
    const int clipPad = qCeil(mainPen().widthF());
    QTransform transform = painter->transform();
    transform.translate(pos.x(), pos.y());
    if (!transform.mapRect(box.adjusted(-clipPad, -clipPad, clipPad, clipPad))
             .intersects(painter->transform().mapRect(clipRect())))
        return;
    painter->setTransform(transform);
    if ((mainBrush().style() != Qt::NoBrush && mainBrush().color().alpha() != 0) ||
        (mainPen().style() != Qt::NoPen && mainPen().color().alpha() != 0)) {
        applyDefaultAntialiasingHint(painter);
        painter->setPen(mainPen());
        painter->setBrush(mainBrush());
        painter->drawRect(box);
    }
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(mainColor()));
    // Where drawText() puts the line in its rectangle.
    const double spare = textRect.width() - set.width;
    const double x = textRect.left() + (mTextAlignment & Qt::AlignRight     ? spare
                                        : mTextAlignment & Qt::AlignHCenter ? spare / 2
                                                                            : 0.0);
    QGlyphRun run;
    run.setRawFont(set.raw);
    run.setGlyphIndexes(set.glyphs);
    run.setPositions(set.positions);
    painter->drawGlyphRun(QPointF(x, textRect.top() + onDevice.ascent()), run);
}
