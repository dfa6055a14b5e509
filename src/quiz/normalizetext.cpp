#include "quiz/normalizetext.h"

namespace {

// Trimming takes everything up to the blank, as control characters sneak in from pasted text.
bool isTrimmed(QChar c)
{
    return c.unicode() <= 0x20;
}

} // namespace

QString normalizeText(const QString& text)
{
    static const QString hyphenBreak = QStringLiteral("-\r\n");
    QString result = text;
    // Every step removes at least two characters, so the loop ends.
    for (qsizetype p = result.indexOf(hyphenBreak); p >= 0 && p + 3 < result.size(); p = result.indexOf(hyphenBreak)) {
        const QChar next = result.at(p + 3);
        if (next != next.toUpper())
            result.remove(p, 3);
        else
            result.remove(p + 1, 2);
    }
    result.replace(QLatin1Char('\n'), QLatin1Char(' '));
    result.replace(QLatin1Char('\r'), QLatin1Char(' '));
    result.replace(QStringLiteral("  "), QStringLiteral(" "));

    qsizetype first = 0;
    qsizetype last = result.size();
    while (first < last && isTrimmed(result.at(first)))
        ++first;
    while (last > first && isTrimmed(result.at(last - 1)))
        --last;
    return result.mid(first, last - first);
}

QString tileCaption(const QString& text)
{
    return normalizeText(text).replace(QStringLiteral(" | "), QStringLiteral("\r\n"));
}
