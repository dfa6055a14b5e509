#include "richtext.h"

#include <cmath>

namespace {

bool isUsableSize(qreal points)
{
    return std::isfinite(points) && points > 0;
}

qreal clampedSize(qreal points)
{
    return qBound(RichTextDocument::MinPointSize, points, RichTextDocument::MaxPointSize);
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

// Control characters would make the HTML invalid; the tab is text here.
QString htmlText(QStringView text)
{
    QString kept;
    kept.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\t' || c.category() != QChar::Other_Control)
            kept += c;
    }
    return kept.toHtmlEscaped();
}

// A family name goes into a quoted CSS string inside an attribute: characters that could end
// either are left out rather than escaped, no real font name contains them.
QString cssFamily(const QString& family)
{
    QString name;
    for (QChar c : family) {
        if (!QStringView(u"'\"\\<>&;{}").contains(c) && c.category() != QChar::Other_Control)
            name += c;
    }
    return name;
}

QString cssSize(qreal points)
{
    return QString::number(points) + QStringLiteral("pt");
}

} // namespace

QStringList splitRichTextLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text.at(i)))
            continue;
        lines += text.mid(start, i - start);
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    lines += text.mid(start);
    return lines;
}

void RichTextDocument::setFontFamily(const QString& family)
{
    m_fontFamily = family.trimmed().isEmpty() ? QStringLiteral("Arial") : family;
}

void RichTextDocument::setDefaultPointSize(qreal points)
{
    if (isUsableSize(points))
        m_defaultPointSize = points;
}

void RichTextDocument::addParagraph(const RichTextParagraph& paragraph)
{
    m_paragraphs += paragraph;
}

void RichTextDocument::addParagraph(
    const QString& text, const RichTextFormat& format, const RichTextParagraphFormat& paragraphFormat)
{
    for (const QString& line : splitRichTextLines(text)) {
        RichTextParagraph paragraph;
        paragraph.format = paragraphFormat;
        if (!line.isEmpty())
            paragraph.runs += RichTextRun {line, format};
        m_paragraphs += paragraph;
    }
}

QList<RichTextParagraph> RichTextDocument::lineParagraphs() const
{
    QList<RichTextParagraph> result;
    result.reserve(m_paragraphs.size());
    for (const RichTextParagraph& paragraph : m_paragraphs) {
        RichTextParagraph current;
        current.format = paragraph.format;
        for (const RichTextRun& run : paragraph.runs) {
            const QStringList lines = splitRichTextLines(run.text);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (i > 0) {
                    result += current;
                    current.runs.clear();
                }
                if (!lines.at(i).isEmpty())
                    current.runs += RichTextRun {lines.at(i), run.format};
            }
        }
        result += current;
    }
    return result;
}

qreal RichTextDocument::pointSizeOf(const RichTextParagraphFormat& paragraphFormat) const
{
    return clampedSize(isUsableSize(paragraphFormat.pointSize) ? paragraphFormat.pointSize : m_defaultPointSize);
}

qreal RichTextDocument::pointSizeOf(const RichTextParagraphFormat& paragraphFormat, const RichTextFormat& format) const
{
    return isUsableSize(format.pointSize) ? clampedSize(format.pointSize) : pointSizeOf(paragraphFormat);
}

QString RichTextDocument::toPlainText() const
{
    QStringList lines;
    for (const RichTextParagraph& paragraph : lineParagraphs()) {
        QString line;
        for (const RichTextRun& run : paragraph.runs)
            line += run.text;
        lines += line;
    }
    return lines.join(u'\n');
}

QString RichTextDocument::toHtml() const
{
    QString html = QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head>\n");
    html += QStringLiteral("<body style=\"font-family:'%1'; font-size:%2;\">\n")
                .arg(cssFamily(m_fontFamily), cssSize(clampedSize(m_defaultPointSize)));
    for (const RichTextParagraph& paragraph : lineParagraphs()) {
        const qreal paragraphSize = pointSizeOf(paragraph.format);
        // Without content an HTML paragraph collapses to nothing: the break keeps the empty line
        // for browsers and word processors, the Qt property stops QTextDocument from reading a
        // second line out of that break.
        const bool empty = paragraph.runs.isEmpty();
        html += QStringLiteral("<p style=\"%1margin-top:0px; margin-bottom:0px; white-space:pre-wrap; font-size:%2;\">")
                    .arg(empty ? QStringLiteral("-qt-paragraph-type:empty; ") : QString(), cssSize(paragraphSize));
        if (empty)
            html += QStringLiteral("<br />");
        for (const RichTextRun& run : paragraph.runs) {
            const qreal runSize = pointSizeOf(paragraph.format, run.format);
            QString open;
            QString close;
            if (runSize != paragraphSize) {
                open += QStringLiteral("<span style=\"font-size:%1;\">").arg(cssSize(runSize));
                close.prepend(QStringLiteral("</span>"));
            }
            if (run.format.bold) {
                open += QStringLiteral("<b>");
                close.prepend(QStringLiteral("</b>"));
            }
            if (run.format.italic) {
                open += QStringLiteral("<i>");
                close.prepend(QStringLiteral("</i>"));
            }
            if (run.format.underline) {
                open += QStringLiteral("<u>");
                close.prepend(QStringLiteral("</u>"));
            }
            html += open + htmlText(run.text) + close;
        }
        html += QStringLiteral("</p>");
    }
    // Nothing after the last paragraph, not even a line end: QTextDocument would take a blank
    // between or behind paragraphs as text of the paragraph before.
    html += QStringLiteral("</body></html>");
    return html;
}
