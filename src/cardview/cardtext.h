#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

// Text on the card is measured and drawn by one routine, so that a box always fits its text.
// Sizes are character heights in pixels (the em height, as Windows fonts give it with a
// negative height); "Arial" resolves to the metric-compatible Liberation Sans.

// The card's Arial of the given character height in pixels (at least 1).
QFont cardFont(int characterHeight, bool bold = false, bool italic = false, bool underline = false);

// The point size of Windows at 96 dots per inch as a character height in pixels.
int pointsToPixels(int points);

// Flags of the multi-line text routine: line breaks start new lines, "&" underlines the next
// character and "&&" shows one; with wordWrap words wrap at the rectangle's width.
int cardTextFlags(int alignment, bool wordWrap);

// The rectangle text needs when drawn from (0, 0) with the flags; width limits wrapping only.
QRect measureCardText(const QFont& font, const QString& text, int flags, int wrapWidth = 0);

// Draws text into rect (not clipped) with the flags, transparently, in the painter's pen colour.
void drawCardText(QPainter& painter, const QRect& rect, const QString& text, int flags);

// The tick (Wingdings code 252) and the cross (251) of the quiz and the drawing tools. Linux has no
// Wingdings; the same marks come from DejaVu Sans. Drawn in colour at points size, centred
// horizontally on x and vertically on y (top = y − text height / 2, truncated).
void drawGlyph(QPainter& painter, int x, const QColor& colour, int points, int wingdingsCode, int y);
