#include "commatext.h"

#include "common/textutil.h"

#include <QList>
#include <QStringView>

namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

bool needsQuotes(QStringView line)
{
    for (const QChar c : line) {
        if (isBlankOrControl(c) || c == u'"' || c == u',')
            return true;
    }
    return false;
}

QList<QStringView> splitLines(QStringView caption)
{
    QList<QStringView> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < caption.size()) {
        const QChar c = caption.at(i);
        if (c != u'\r' && c != u'\n') {
            ++i;
            continue;
        }
        lines.append(caption.sliced(start, i - start));
        i += (c == u'\r' && i + 1 < caption.size() && caption.at(i + 1) == u'\n') ? 2 : 1;
        start = i;
    }
    if (start < caption.size())
        lines.append(caption.sliced(start));
    return lines;
}

void skipBlanks(QStringView text, qsizetype& pos)
{
    while (pos < text.size() && isBlankOrControl(text.at(pos)))
        ++pos;
}

// The item from the opening quote at pos to its closing quote, with pos moved past it.
QString quotedItem(QStringView text, qsizetype& pos)
{
    QString item;
    ++pos;
    while (pos < text.size()) {
        const QChar c = text.at(pos++);
        if (c != u'"') {
            item += c;
        } else if (pos < text.size() && text.at(pos) == u'"') {
            item += c;
            ++pos;
        } else {
            break;
        }
    }
    return item;
}

} // namespace

QString toCommaText(const QString& caption)
{
    const QList<QStringView> lines = splitLines(caption);
    if (lines.size() == 1 && lines.front().isEmpty())
        return QStringLiteral("\"\"");
    QString text;
    text.reserve(caption.size() + 2 * lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += u',';
        const QStringView line = lines.at(i);
        if (!needsQuotes(line)) {
            text += line;
            continue;
        }
        text += u'"';
        for (const QChar c : line) {
            if (c == u'"')
                text += u'"';
            text += c;
        }
        text += u'"';
    }
    return text;
}

QString fromCommaText(const QString& stored)
{
    // The character 0 ends the text, as it ends the zero-terminated text that files made by
    // other programs were read from: what follows it is not part of the caption.
    QStringView text(stored);
    if (const qsizetype nul = text.indexOf(QChar(0)); nul >= 0)
        text.truncate(nul);

    QString caption;
    qsizetype pos = 0;
    bool first = true;
    skipBlanks(text, pos);
    while (pos < text.size()) {
        if (!first)
            caption += QStringLiteral("\r\n");
        first = false;
        if (text.at(pos) == u'"') {
            caption += quotedItem(text, pos);
        } else {
            const qsizetype start = pos;
            while (pos < text.size() && text.at(pos).unicode() > 32 && text.at(pos) != u',')
                ++pos;
            caption += text.sliced(start, pos - start);
        }
        skipBlanks(text, pos);
        if (pos < text.size() && text.at(pos) == u',') {
            ++pos;
            skipBlanks(text, pos);
        }
    }
    return windowsTrimmed(caption);
}

QString storedCaption(const QString& caption)
{
    // Written and read by the very functions the topic file uses, so the two can never drift.
    return fromCommaText(toCommaText(caption));
}
