#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Character attributes of one run of text. Sizes are in points; 0 means the run takes the
// size of its paragraph (and that one, when it has none, the document's).
struct RichTextFormat
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    qreal pointSize = 0;

    bool operator==(const RichTextFormat&) const = default;
};

struct RichTextRun
{
    QString text;
    RichTextFormat format;

    bool operator==(const RichTextRun&) const = default;
};

struct RichTextParagraphFormat
{
    // Size of the runs that have none of their own and of the paragraph mark, so an empty
    // paragraph is exactly as high as this size (the small spacer lines under headings rely
    // on it). 0: the document's size.
    qreal pointSize = 0;
    // One left tab stop, in points from the left margin; 0 or less: none, readers then use
    // their default stops.
    qreal tabStopPoints = 0;

    bool operator==(const RichTextParagraphFormat&) const = default;
};

struct RichTextParagraph
{
    QList<RichTextRun> runs;
    RichTextParagraphFormat format;

    bool operator==(const RichTextParagraph&) const = default;
};

// The program's rich text: what the info window and the protocol window show, print, copy
// and save. It holds paragraphs of formatted runs in one font family; the formats are the
// few a protocol or info text needs (bold, italic, underline, size, one tab stop).
//
// Text may contain tabs. A line break inside a run (CR LF, LF, CR or a Unicode line or
// paragraph separator) ends its paragraph in every output, the next line continuing with the
// same formats; control characters other than the tab are left out of RTF and HTML.
class RichTextDocument
{
public:
    static constexpr qreal DefaultPointSize = 10;
    // Sizes outside this range are clamped when the text is written (the RTF limit).
    static constexpr qreal MinPointSize = 1;
    static constexpr qreal MaxPointSize = 1638;

    QString fontFamily() const { return m_fontFamily; }
    // An empty family keeps "Arial".
    void setFontFamily(const QString& family);
    qreal defaultPointSize() const { return m_defaultPointSize; }
    // Sizes that are not positive numbers are ignored.
    void setDefaultPointSize(qreal points);

    const QList<RichTextParagraph>& paragraphs() const { return m_paragraphs; }
    void addParagraph(const RichTextParagraph& paragraph);
    // Adds one paragraph per line of text, each a single run in the given formats; an empty
    // text adds one empty paragraph.
    void addParagraph(
        const QString& text, const RichTextFormat& format = {}, const RichTextParagraphFormat& paragraphFormat = {});

    // Removes all paragraphs; the font family and default size stay.
    void clear() { m_paragraphs.clear(); }
    // True when there is no paragraph at all; a document of one empty line is not empty.
    bool isEmpty() const { return m_paragraphs.isEmpty(); }

    // The text without formats, paragraphs joined with "\n", tabs kept.
    QString toPlainText() const;
    // An HTML page for QTextDocument (printing) and the clipboard's HTML flavour: bold,
    // italic, underline and sizes are kept, tabs survive through white-space:pre-wrap. The
    // tab stop has no HTML form and is lost.
    QString toHtml() const;

    // The paragraphs as every output sees them: line breaks inside runs split their
    // paragraphs, empty runs are gone.
    QList<RichTextParagraph> lineParagraphs() const;

    // Effective sizes in points, within MinPointSize..MaxPointSize.
    qreal pointSizeOf(const RichTextParagraphFormat& paragraphFormat) const;
    qreal pointSizeOf(const RichTextParagraphFormat& paragraphFormat, const RichTextFormat& format) const;

private:
    QString m_fontFamily = QStringLiteral("Arial");
    qreal m_defaultPointSize = DefaultPointSize;
    QList<RichTextParagraph> m_paragraphs;
};

// Splits at CR LF, LF, CR, U+2028 and U+2029; a text without breaks gives one line.
QStringList splitRichTextLines(const QString& text);
