#pragma once

#include "document/topicdocument.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QPainter;

// The small line markup of info texts, cloze texts and worksheet texts:
//   <B> </B> <I> </I> <U> </U>   bold, italic, underline on and off
//   << ... >>                     a cloze gap (modes above 0 only; mode 0 shows them as written)
//   <@COL=rrggbb> </@COL>         accepted and removed; the text keeps the caller's colour
//   <@LINIE>                      a rule from the current x to the right limit
//   <@POSX=nn%>                   x moves to nn % of the right limit, also to the left
//   <@REB=nn>                     the next nn characters right-aligned in a field nn digits wide
// Tag names ignore case; nn are two digits. Anything else, including a lone "<", is text.
//
// Modes: 0 info text (no gaps); 1 gaps as blank lines; 2 only the gap texts, in red;
// 3 blank lines with the gap texts in red; 99 the cloze text of the card, whose gaps place the
// cloze objects (kind 3) instead of being drawn.

// Everything one renderMarkup call needs besides the text.
struct MarkupCanvas
{
    QPainter* painter = nullptr; // draws on the target; its font and pen are set by renderMarkup
    int rightLimit = 0; // pixels
    QColor colour = Qt::black;
    int mode = 0; // 0, 1, 2, 3 or 99
    int fontHeight = 0; // pixels; negative = character height (Windows convention); 0 = keep
    int fontSize = 0; // points; 0 = keep
    int left = 0;
    int cardHeight = 0; // mode 99: turns y into card fractions
    bool drawPlainText = true; // mode 99: plain text only when the "Illustration" layer is ticked or a quiz runs
    // Mode 99: the objects whose kind-3 entries are placed on the gaps, and the cursor walking
    // them. Either may be null: the gaps then place nothing.
    QList<DocObject>* objects = nullptr;
    qsizetype* gapCursor = nullptr;
};

// Draws one line of markup (wrapping as needed) with its top at `top`; returns the y below the
// last line. Lines start at canvas.left. Without an active painter nothing is laid out and
// `top` comes back.
int renderMarkup(MarkupCanvas& canvas, const QString& text, int top);

// Renders lines (one renderMarkup each, x = 0, black, Arial fontSize points) onto a bitmap
// `width` wide cleared to background and returns the used part (width × final y). The bitmap
// grows beyond its first 3000 rows when the text needs them, up to 30000 rows (fewer for a very
// wide bitmap); text below is cut. A null image for no lines or a width outside 1..32767.
QImage renderLinesToBitmap(const QStringList& lines, int width, int fontSize, const QColor& background);

// Draws document.lueckentext onto scene (when not empty) as the card does before drawing its
// objects, and places the document's cloze objects (kind 3, in list order) on its gaps: anchor
// and point on the middle of the gap just below the text. A gap beyond the last cloze object
// places nothing.
void drawClozeText(QImage& scene, double cardScale, TopicDocument& document, bool drawPlainText);
