#include "cardtext.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

QFont cardFont(int characterHeight, bool bold, bool italic, bool underline)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(qMax(1, characterHeight));
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    // Measured and drawn sizes must agree exactly at every zoom: no hinting that moves glyphs
    // to whole pixels differently for measuring and drawing.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int pointsToPixels(int points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

int cardTextFlags(int alignment, bool wordWrap)
{
    // "&" underlines the next character and "&&" shows one, as Windows menus and labels do.
    int flags = Qt::TextShowMnemonic | Qt::AlignTop | Qt::TextDontClip;
    flags |= alignment == 1 ? Qt::AlignHCenter : alignment == 2 ? Qt::AlignRight : Qt::AlignLeft;
    if (wordWrap)
        flags |= Qt::TextWordWrap;
    return flags;
}

QRect measureCardText(const QFont& font, const QString& text, int flags, int wrapWidth)
{
    if (text.isEmpty())
        return {};
    const QFontMetrics metrics(font);
    const int width = (flags & Qt::TextWordWrap) ? qMax(1, wrapWidth) : 0;
    QRect rect = metrics.boundingRect(QRect(0, 0, width, 0), flags & ~(Qt::AlignHCenter | Qt::AlignRight), text);
    rect.moveTopLeft(QPoint(0, 0));
    return rect;
}

void drawCardText(QPainter& painter, const QRect& rect, const QString& text, int flags)
{
    painter.drawText(rect, flags, text);
}

void drawGlyph(QPainter& painter, int x, const QColor& colour, int points, int wingdingsCode, int y)
{
    const QChar mark = wingdingsCode == 252 ? QChar(0x2714)
        : wingdingsCode == 251              ? QChar(0x2718)
                                            : QChar(wingdingsCode);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pointsToPixels(points));
    const QFontMetrics metrics(font);
    const QString text(mark);
    const int width = metrics.horizontalAdvance(text);
    const int top = y - metrics.height() / 2;
    painter.save();
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(
        QRect(x - width / 2, top, width, metrics.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
    painter.restore();
}
