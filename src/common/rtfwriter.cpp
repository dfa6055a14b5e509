#include "rtfwriter.h"

#include "richtext.h"

#include "platform/cp1252.h"

#include <QIODevice>
#include <QSaveFile>

#include <cmath>
#include <optional>

namespace {

class RtfEmitter
{
public:
    QByteArray& bytes() { return m_out; }

    void controlWord(const char* word)
    {
        m_out += '\\';
        m_out += word;
        m_delimiterPending = true;
    }

    void controlWord(const char* word, int parameter)
    {
        controlWord(word);
        m_out += QByteArray::number(parameter);
    }

    // Braces and line ends end a control word by themselves.
    void raw(const char* text)
    {
        m_out += text;
        m_delimiterPending = false;
    }

    void text(QStringView text)
    {
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c == u'\t') {
                controlWord("tab");
            } else if (c == u'\\' || c == u'{' || c == u'}') {
                m_out += '\\';
                m_out += char(c);
                m_delimiterPending = false;
            } else if (QChar(c).category() == QChar::Other_Control) {
                // Rich text has no place for them, and raw CR or LF would be ignored anyway.
            } else if (c < 0x80) {
                if (m_delimiterPending)
                    m_out += ' ';
                m_out += char(c);
                m_delimiterPending = false;
            } else if (const auto byte = cp1252Byte(c)) {
                m_out += "\\'";
                m_out += QByteArray::number(uchar(*byte), 16).rightJustified(2, '0');
                m_delimiterPending = false;
            } else {
                i = unicodeEscapes(text, i);
            }
        }
    }

private:
    // Writes the characters from i on that the code page lacks, each UTF-16 unit (surrogate
    // halves too) as \uN with N signed 16-bit and "?" as the one fallback character, and
    // returns the index of the last one written. The group around them ends the fallback
    // visibly: some readers (unrtf among them) skip the whole following word instead of one
    // character, and would swallow the text after the escape.
    qsizetype unicodeEscapes(QStringView text, qsizetype i)
    {
        m_out += '{';
        for (; i < text.size(); ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < 0x80 || cp1252Byte(c) || QChar(c).category() == QChar::Other_Control)
                break;
            m_out += "\\u";
            m_out += QByteArray::number(qint16(c));
            m_out += '?';
        }
        m_out += '}';
        m_delimiterPending = false;
        return i - 1;
    }

    QByteArray m_out;
    bool m_delimiterPending = false;
};

int halfPoints(qreal points)
{
    return int(std::lround(points * 2));
}

int twips(qreal points)
{
    return int(std::lround(qBound(qreal(0.05), points, qreal(1584)) * 20));
}

// Emits only what changes, so the file reads like one a word processor writes.
class RtfFormatState
{
public:
    explicit RtfFormatState(RtfEmitter& emitter)
        : m_emitter(emitter)
    { }

    void apply(const RichTextFormat& format, int sizeInHalfPoints)
    {
        toggle(m_bold, format.bold, "b", "b0");
        toggle(m_italic, format.italic, "i", "i0");
        toggle(m_underline, format.underline, "ul", "ul0");
        setSize(sizeInHalfPoints);
    }

    void setSize(int sizeInHalfPoints)
    {
        if (sizeInHalfPoints != m_size)
            m_emitter.controlWord("fs", sizeInHalfPoints);
        m_size = sizeInHalfPoints;
    }

private:
    void toggle(bool& current, bool wanted, const char* on, const char* off)
    {
        if (current != wanted)
            m_emitter.controlWord(wanted ? on : off);
        current = wanted;
    }

    RtfEmitter& m_emitter;
    // An RTF reader starts plain; the size is written before the first text in any case.
    bool m_bold = false;
    bool m_italic = false;
    bool m_underline = false;
    int m_size = -1;
};

} // namespace

QByteArray toRtf(const RichTextDocument& doc)
{
    RtfEmitter rtf;
    rtf.raw("{");
    rtf.controlWord("rtf1");
    rtf.controlWord("ansi");
    rtf.controlWord("ansicpg", 1252);
    rtf.controlWord("deff", 0);
    // German, for the spelling and hyphenation of whoever edits the file further.
    rtf.controlWord("deflang", 1031);
    rtf.controlWord("uc", 1);
    rtf.raw("{");
    rtf.controlWord("fonttbl");
    rtf.raw("{");
    rtf.controlWord("f", 0);
    rtf.controlWord("fswiss");
    rtf.controlWord("fcharset", 0);
    // The semicolon ends the name in the font table.
    rtf.text(QString(doc.fontFamily()).remove(u';'));
    rtf.raw(";}}");
    rtf.controlWord("f", 0);
    rtf.raw("\r\n");

    RtfFormatState state(rtf);
    for (const RichTextParagraph& paragraph : doc.lineParagraphs()) {
        // \pard resets the paragraph's properties, so a tab stop never leaks into the next one.
        rtf.controlWord("pard");
        if (paragraph.format.tabStopPoints > 0)
            rtf.controlWord("tx", twips(paragraph.format.tabStopPoints));
        for (const RichTextRun& run : paragraph.runs) {
            state.apply(run.format, halfPoints(doc.pointSizeOf(paragraph.format, run.format)));
            rtf.text(run.text);
        }
        // The paragraph mark carries the paragraph's size: it sets the height of an empty line.
        state.setSize(halfPoints(doc.pointSizeOf(paragraph.format)));
        rtf.controlWord("par");
        rtf.raw("\r\n");
    }
    rtf.raw("}\r\n");
    return rtf.bytes();
}

bool writeRtf(const RichTextDocument& doc, QIODevice& device)
{
    if (!device.isWritable())
        return false;
    const QByteArray bytes = toRtf(doc);
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 count = device.write(bytes.constData() + written, bytes.size() - written);
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

bool saveRtf(const RichTextDocument& doc, const QString& path, QString* errorText)
{
    QSaveFile file(path);
    // Unbuffered, so a failing write shows at once: with a buffer, commit() (Qt 6.4) ignores a
    // failure of its last flush and renames a truncated file over the old one, reporting success.
    const bool saved = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && writeRtf(doc, file) && file.commit();
    if (!saved) {
        if (errorText)
            *errorText = file.errorString();
        file.cancelWriting();
    }
    return saved;
}
