#include "markup.h"

#include "cardview/cardtext.h"
#include "cardview/cardview.h"
#include "common/textutil.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

enum class Tag {
    None,
    BoldOn,
    BoldOff,
    ItalicOn,
    ItalicOff,
    UnderlineOn,
    UnderlineOff,
    GapStart,
    GapEnd,
    Colour,
    ColourEnd,
    Rule,
    PositionX,
    RightAlign,
};

// Patterns in upper case; '#' stands for any digit and '$' for any hexadecimal digit.
struct TagPattern
{
    Tag tag;
    QLatin1StringView pattern;
    bool needsGaps;
};

// The order in which the tags are tried at each position.
constexpr TagPattern tagPatterns[] = {
    {Tag::BoldOn, QLatin1StringView("<B>"), false},
    {Tag::BoldOff, QLatin1StringView("</B>"), false},
    {Tag::ItalicOn, QLatin1StringView("<I>"), false},
    {Tag::ItalicOff, QLatin1StringView("</I>"), false},
    {Tag::UnderlineOn, QLatin1StringView("<U>"), false},
    {Tag::UnderlineOff, QLatin1StringView("</U>"), false},
    {Tag::GapStart, QLatin1StringView("<<"), true},
    {Tag::GapEnd, QLatin1StringView(">>"), true},
    {Tag::Colour, QLatin1StringView("<@COL=$$$$$$>"), false},
    {Tag::ColourEnd, QLatin1StringView("</@COL>"), false},
    {Tag::Rule, QLatin1StringView("<@LINIE>"), false},
    {Tag::PositionX, QLatin1StringView("<@POSX=##%>"), false},
    {Tag::RightAlign, QLatin1StringView("<@REB=##>"), false},
};

// Where a number tag keeps its two digits.
constexpr qsizetype positionDigits = 7;
constexpr qsizetype rightAlignDigits = 6;

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(char16_t c)
{
    return isAsciiDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Only ASCII letters fold: the tags are ASCII, and a letter such as the dotless i must not
// turn into one of them.
char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c;
}

bool matchesAt(const QString& text, qsizetype pos, QLatin1StringView pattern)
{
    if (pos + pattern.size() > text.size())
        return false;
    for (qsizetype k = 0; k < pattern.size(); ++k) {
        const char16_t c = text.at(pos + k).unicode();
        const char p = pattern.at(k).toLatin1();
        const bool fits = p == '#' ? isAsciiDigit(c) : p == '$' ? isHexDigit(c) : asciiUpper(c) == char16_t(p);
        if (!fits)
            return false;
    }
    return true;
}

bool isGapPunctuation(QChar c)
{
    return c == u'!' || c == u',' || c == u'.' || c == u':' || c == u';' || c == u'?';
}

// Lines end at CR LF, a lone CR or a lone LF; a break at the very end starts no further line.
QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.append(text.sliced(start, i - start));
        i += (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size())
        lines.append(text.sliced(start));
    return lines;
}

// Lines as Windows draws them: the end point is left out.
void drawHorizontalLine(QPainter& painter, int fromX, int toX, int y)
{
    if (toX > fromX)
        painter.drawLine(fromX, y, toX - 1, y);
}

// The state of one renderMarkup call. Positions are indexes into the trimmed text with its
// closing blank.
class MarkupLayout
{
public:
    MarkupLayout(MarkupCanvas& canvas, const QString& text)
        : m_canvas(canvas)
        , m_painter(*canvas.painter)
        , m_text(windowsTrimmed(text) + u' ')
        , m_contentEnd(m_text.size() - 1)
        , m_plainVisible(canvas.mode == 99 ? canvas.drawPlainText : canvas.mode != 2)
        , m_metrics(m_painter.font())
        , m_metricsF(m_painter.font())
    { }

    int run(int top);

private:
    void setUpFont();
    void applyFont();
    Tag tagAt(qsizetype pos) const;
    static qsizetype tagLength(Tag tag);
    int pendingWidth(qsizetype end);
    void drawSpan(qsizetype from, qsizetype to);
    void drawGap(const QString& gapText);
    void drawGapPiece(const QString& blankLine, const QString& answer, int minimumWidth);
    void breakLine();
    qsizetype skipBlanks(qsizetype pos) const;

    MarkupCanvas& m_canvas;
    QPainter& m_painter;
    const QString m_text;
    const qsizetype m_contentEnd; // the closing blank; only blanks from here on
    const bool m_plainVisible;

    QFont m_font;
    QFontMetrics m_metrics;
    QFontMetricsF m_metricsF;
    int m_zeroHeight = 0;
    int m_lineHeight = 0;

    int m_x = 0;
    int m_y = 0;
    qsizetype m_spanStart = 0;
    qsizetype m_lastBreak = -1; // -1: no break position on this line yet
    bool m_inGap = false;

    // Width of the span's text before m_measuredEnd, so that a long span is not measured
    // again from its start for every character.
    qsizetype m_measuredStart = -1;
    qsizetype m_measuredEnd = 0;
    qreal m_measuredWidth = 0;
};

void MarkupLayout::setUpFont()
{
    // "Keep" keeps the size of the painter's font; the family is always the card's Arial.
    const QFont current = m_painter.font();
    int characterHeight = current.pixelSize() > 0 ? current.pixelSize() : pointsToPixels(qRound(current.pointSizeF()));
    if (m_canvas.fontSize != 0)
        characterHeight = qAbs(pointsToPixels(m_canvas.fontSize));
    // A height in pixels wins over a size in points, as it does for a Windows font set after its size.
    if (m_canvas.fontHeight != 0)
        characterHeight = qAbs(m_canvas.fontHeight);
    m_font = cardFont(characterHeight);
    applyFont();
}

void MarkupLayout::applyFont()
{
    m_painter.setFont(m_font);
    m_metrics = QFontMetrics(m_font, m_painter.device());
    m_metricsF = QFontMetricsF(m_font, m_painter.device());
    m_measuredStart = -1;
}

Tag MarkupLayout::tagAt(qsizetype pos) const
{
    const QChar c = m_text.at(pos);
    if (c != u'<' && c != u'>')
        return Tag::None;
    const bool gapsKnown = m_canvas.mode > 0;
    for (const TagPattern& entry : tagPatterns) {
        if (entry.needsGaps && !gapsKnown)
            continue;
        if (matchesAt(m_text, pos, entry.pattern))
            return entry.tag;
    }
    return Tag::None;
}

qsizetype MarkupLayout::tagLength(Tag tag)
{
    for (const TagPattern& entry : tagPatterns) {
        if (entry.tag == tag)
            return entry.pattern.size();
    }
    return 0;
}

// Width of the pending span up to and including position end - 1. A span of ordinary length is
// measured whole, as it will be drawn; a very long one (a line without blanks and a wide limit)
// is measured in pieces, which may differ by the kerning at the piece boundaries but keeps
// the layout linear in the line's length.
int MarkupLayout::pendingWidth(qsizetype end)
{
    // Measuring costs about 2 microseconds a call and 0.1 a character: the tail after the measured
    // pieces stays short, so that a line of 100 000 characters takes well under a second.
    constexpr qsizetype wholeSpan = 128;
    constexpr qsizetype longestTail = 32;
    constexpr qsizetype piece = 16;
    const qsizetype length = end - m_spanStart;
    if (length <= wholeSpan)
        return m_metrics.horizontalAdvance(m_text.sliced(m_spanStart, length));
    if (m_measuredStart != m_spanStart) {
        m_measuredStart = m_spanStart;
        m_measuredEnd = m_spanStart;
        m_measuredWidth = 0;
    }
    while (end - m_measuredEnd > longestTail) {
        qsizetype size = piece;
        // A surrogate pair stays in one piece.
        if (m_text.at(m_measuredEnd + size - 1).isHighSurrogate())
            --size;
        m_measuredWidth += m_metricsF.horizontalAdvance(m_text.sliced(m_measuredEnd, size));
        m_measuredEnd += size;
    }
    return qRound(m_measuredWidth + m_metricsF.horizontalAdvance(m_text.sliced(m_measuredEnd, end - m_measuredEnd)));
}

void MarkupLayout::drawSpan(qsizetype from, qsizetype to)
{
    if (to <= from)
        return;
    const QString span = m_text.sliced(from, to - from);
    if (m_plainVisible) {
        m_painter.setPen(m_canvas.colour);
        m_painter.drawText(QPoint(m_x, m_y + m_metrics.ascent()), span);
    }
    m_x += m_metrics.horizontalAdvance(span);
}

void MarkupLayout::drawGap(const QString& gapText)
{
    const int minimumWidth = m_metrics.horizontalAdvance(QStringLiteral(" XX"));
    if (m_canvas.mode == 99) {
        const int width = std::max(m_metrics.horizontalAdvance(u' ' + gapText), minimumWidth);
        QList<DocObject>* objects = m_canvas.objects;
        qsizetype* cursor = m_canvas.gapCursor;
        if (objects && cursor) {
            while (*cursor >= 0 && *cursor < objects->size() && objects->at(*cursor).Typ != ObjectKind::ClozeGap)
                ++*cursor;
            if (*cursor >= 0 && *cursor < objects->size()) {
                // Without a card size there are no card fractions: the object keeps its place.
                if (m_canvas.rightLimit > 0 && m_canvas.cardHeight > 0) {
                    DocObject& object = (*objects)[*cursor];
                    object.Kx = object.Sx = (m_x + width / 2.0) / m_canvas.rightLimit;
                    object.Ky = object.Sy = double(m_y + m_metrics.height() + 4) / m_canvas.cardHeight;
                }
                ++*cursor;
            }
        }
        m_x += width;
        return;
    }

    // On a sheet a gap that does not fit the rest of its line starts the next one, and one
    // longer than a whole line goes on over the following lines, broken at its blanks (or
    // between characters): each piece its own blank line with its part of the answer.
    const QString blanks = QStringLiteral("   ");
    const int lineStart = m_canvas.left;
    const int wholeWidth = m_metrics.horizontalAdvance(blanks + gapText + blanks);
    if (m_x + wholeWidth > m_canvas.rightLimit && m_x > lineStart && wholeWidth <= m_canvas.rightLimit - lineStart)
        breakLine();
    if (m_x + wholeWidth <= m_canvas.rightLimit || gapText.isEmpty()) {
        drawGapPiece(blanks + gapText + blanks, blanks + gapText, minimumWidth);
        return;
    }
    const int trailing = m_metrics.horizontalAdvance(blanks);
    QString lead = blanks;
    qsizetype from = 0;
    for (;;) {
        // The longest piece that fits, leaving room for the blanks that end the gap.
        const int room = m_canvas.rightLimit - m_x - trailing;
        qsizetype cut = from;
        while (cut < gapText.size()) {
            const qsizetype next = cut + (gapText.at(cut).isHighSurrogate() && cut + 1 < gapText.size() ? 2 : 1);
            if (m_metrics.horizontalAdvance(lead + gapText.sliced(from, next - from)) > room)
                break;
            cut = next;
        }
        if (cut == gapText.size()) {
            drawGapPiece(lead + gapText.sliced(from) + blanks, lead + gapText.sliced(from), 0);
            return;
        }
        if (const qsizetype blank = gapText.lastIndexOf(u' ', cut); blank > from)
            cut = blank;
        if (cut == from) {
            if (m_x > lineStart) {
                breakLine();
                continue;
            }
            // A character wider than the line stands alone.
            cut = from + (gapText.at(from).isHighSurrogate() && from + 1 < gapText.size() ? 2 : 1);
        }
        drawGapPiece(lead + gapText.sliced(from, cut - from), lead + gapText.sliced(from, cut - from), 0);
        breakLine();
        from = cut;
        while (from < gapText.size() && gapText.at(from) == u' ')
            ++from;
        if (from == gapText.size())
            return;
        lead.clear();
    }
}

void MarkupLayout::drawGapPiece(const QString& blankLine, const QString& answer, int minimumWidth)
{
    const int width = std::max(m_metrics.horizontalAdvance(blankLine), minimumWidth);
    if (m_canvas.mode == 1 || m_canvas.mode == 3) {
        m_painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        drawHorizontalLine(m_painter, m_x, m_x + width, m_y + m_zeroHeight);
    }
    if (m_canvas.mode == 2 || m_canvas.mode == 3) {
        m_painter.setPen(QColor(255, 0, 0));
        m_painter.drawText(QPoint(m_x, m_y + m_metrics.ascent()), answer);
    }
    m_x += width;
}

void MarkupLayout::breakLine()
{
    m_x = m_canvas.left;
    m_y += m_lineHeight;
}

qsizetype MarkupLayout::skipBlanks(qsizetype pos) const
{
    while (pos < m_text.size() && m_text.at(pos) == u' ')
        ++pos;
    return pos;
}

int MarkupLayout::run(int top)
{
    m_painter.setBackgroundMode(Qt::TransparentMode);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.setPen(m_canvas.colour);
    setUpFont();

    m_zeroHeight = m_metrics.height();
    m_lineHeight = qRound(1.25 * m_zeroHeight);
    if (m_canvas.mode > 0)
        m_lineHeight = qRound(1.1 * m_lineHeight);
    m_y = top + qRound(1.25 * m_zeroHeight * 0.02 / 0.055);
    m_x = m_canvas.left;

    const qint64 rightLimit = m_canvas.rightLimit;
    qsizetype pos = 0;
    while (pos < m_text.size()) {
        const Tag tag = tagAt(pos);
        if (tag != Tag::None) {
            qsizetype next = pos + tagLength(tag);
            if (tag != Tag::GapEnd)
                drawSpan(m_spanStart, pos);
            switch (tag) {
            case Tag::BoldOn:
            case Tag::BoldOff:
                m_font.setBold(tag == Tag::BoldOn);
                applyFont();
                break;
            case Tag::ItalicOn:
            case Tag::ItalicOff:
                m_font.setItalic(tag == Tag::ItalicOn);
                applyFont();
                break;
            case Tag::UnderlineOn:
            case Tag::UnderlineOff:
                m_font.setUnderline(tag == Tag::UnderlineOn);
                applyFont();
                break;
            case Tag::GapStart:
                m_inGap = true;
                break;
            case Tag::GapEnd:
                drawGap(m_text.sliced(m_spanStart, pos - m_spanStart));
                // A sign directly after the gap belongs to its word and must not wrap alone.
                if (next < m_contentEnd && isGapPunctuation(m_text.at(next))) {
                    drawSpan(next, next + 1);
                    ++next;
                }
                m_inGap = false;
                break;
            case Tag::Colour:
            case Tag::ColourEnd:
                break;
            case Tag::Rule:
                m_painter.setPen(QPen(m_canvas.colour, 1, Qt::SolidLine));
                drawHorizontalLine(m_painter, m_x, m_canvas.rightLimit, m_y + m_lineHeight / 2 - 1);
                m_x = m_canvas.rightLimit;
                break;
            case Tag::PositionX: {
                const int percent = m_text.sliced(pos + positionDigits, 2).toInt();
                m_x = qRound(percent / 100.0 * m_canvas.rightLimit);
                break;
            }
            case Tag::RightAlign: {
                const int digits = m_text.sliced(pos + rightAlignDigits, 2).toInt();
                // The closing blank was added for the layout and is no part of a field.
                const qsizetype fieldEnd = std::min(next + digits, m_contentEnd);
                const int fieldWidth = m_metrics.horizontalAdvance(m_text.sliced(next, fieldEnd - next));
                m_x += digits * m_metrics.horizontalAdvance(u'0') - fieldWidth;
                drawSpan(next, fieldEnd);
                next = fieldEnd;
                break;
            }
            case Tag::None:
                break;
            }
            // Whatever a tag consumed (the gap's sign, the field) is drawn: a later wrap must
            // not go back into it.
            m_spanStart = next;
            m_lastBreak = next - 1;
            pos = next;
            continue;
        }

        // A surrogate pair is one character: it is measured whole and never split by a wrap.
        const bool pair
            = m_text.at(pos).isHighSurrogate() && pos + 1 < m_text.size() && m_text.at(pos + 1).isLowSurrogate();
        const qsizetype charEnd = pos + (pair ? 2 : 1);
        const int width = pendingWidth(charEnd);
        if (m_x + qint64(width) <= rightLimit) {
            if (m_text.at(pos) == u' ' && !m_inGap)
                m_lastBreak = pos;
            pos = charEnd;
            continue;
        }

        // Wrap. A break position that would leave this line empty gains nothing.
        const bool lineEmpty = m_x == m_canvas.left;
        qsizetype resume;
        if (m_lastBreak >= 0 && !(lineEmpty && m_lastBreak <= m_spanStart)) {
            drawSpan(m_spanStart, m_lastBreak);
            resume = m_lastBreak + 1;
        } else if (m_inGap || (lineEmpty && pos == m_spanStart)) {
            // A gap is never split (half of it would show as plain text), and a character
            // wider than a whole line has to stand somewhere: both overflow the limit.
            pos = charEnd;
            continue;
        } else {
            // No break position: the overflowing character starts the next line.
            drawSpan(m_spanStart, pos);
            resume = pos;
        }
        m_lastBreak = -1;
        if (resume >= m_contentEnd) {
            // Only blanks follow: they end the line as the closing break does.
            m_spanStart = m_text.size();
            break;
        }
        breakLine();
        m_spanStart = pos = skipBlanks(resume);
    }
    drawSpan(m_spanStart, m_text.size());
    breakLine();
    return m_y;
}

// One info-text line in black at x = 0 across the whole image.
int renderLineInto(QImage& image, const QString& line, int top, int fontSize)
{
    QPainter painter(&image);
    MarkupCanvas canvas;
    canvas.painter = &painter;
    canvas.rightLimit = image.width();
    canvas.colour = Qt::black;
    canvas.fontSize = fontSize;
    return renderMarkup(canvas, line, top);
}

} // namespace

int renderMarkup(MarkupCanvas& canvas, const QString& text, int top)
{
    if (!canvas.painter || !canvas.painter->isActive())
        return top;
    MarkupLayout layout(canvas, text);
    return layout.run(top);
}

QImage renderLinesToBitmap(const QStringList& lines, int width, int fontSize, const QColor& background)
{
    // A long info text grows the bitmap beyond its first 3000 rows; the bounds keep a runaway
    // text or width from taking the memory (64 Mi pixels are 256 MB).
    constexpr qint64 pixelBudget = qint64(64) << 20;
    constexpr auto format = QImage::Format_ARGB32_Premultiplied;
    if (width < 1 || width > 32767)
        return {};
    const int maximumHeight = int(std::min<qint64>(30000, pixelBudget / width));
    QImage work(width, std::min(3000, maximumHeight), format);
    if (work.isNull())
        return {};
    work.fill(background);

    int y = 0;
    for (const QString& line : lines) {
        if (y >= maximumHeight)
            break;
        int next = renderLineInto(work, line, y, fontSize);
        if (next > work.height() && work.height() < maximumHeight) {
            // The line did not fit: keep the lines above it and draw it again on a taller bitmap.
            QImage taller(width, std::min(maximumHeight, std::max(2 * work.height(), next)), format);
            if (!taller.isNull()) {
                taller.fill(background);
                QPainter painter(&taller);
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                painter.drawImage(QPoint(0, 0), work, QRect(0, 0, width, y));
                painter.end();
                work = std::move(taller);
                next = renderLineInto(work, line, y, fontSize);
            }
        }
        y = next;
    }
    return work.copy(0, 0, width, std::min(y, work.height()));
}

void drawClozeText(QImage& scene, double cardScale, TopicDocument& document, bool drawPlainText)
{
    if (document.lueckentext.isEmpty() || scene.isNull())
        return;
    QPainter painter(&scene);
    // Laid out in the scene's logical pixels, whatever its device pixel ratio.
    const QSize size = CardView::logicalSize(scene);
    qsizetype gapCursor = 0;
    MarkupCanvas canvas;
    canvas.painter = &painter;
    canvas.rightLimit = size.width();
    canvas.colour = Qt::black;
    canvas.mode = 99;
    canvas.fontHeight = -qRound(qBound(1.0, 22 * cardScale, 10000.0));
    canvas.left = qRound(0.035 * size.width());
    canvas.cardHeight = size.height();
    canvas.drawPlainText = drawPlainText;
    canvas.objects = &document.objects;
    canvas.gapCursor = &gapCursor;
    int y = qRound(0.01 * size.height());
    for (const QString& line : splitLines(document.lueckentext))
        y = renderMarkup(canvas, line, y);
}
