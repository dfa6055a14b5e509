#include "textutil.h"

QString replaceAll(const QString& text, const QString& pattern, const QString& replacement)
{
    if (pattern.isEmpty())
        return text;
    QString result = text;
    result.replace(pattern, replacement, Qt::CaseSensitive);
    return result;
}

QString stripEmphasisTags(const QString& line)
{
    static const QString tags[] = {QStringLiteral("<b>"), QStringLiteral("</b>"), QStringLiteral("<i>"),
        QStringLiteral("</i>"), QStringLiteral("<u>"), QStringLiteral("</u>")};
    QString result = line;
    for (const QString& tag : tags) {
        // Removing one occurrence can join its neighbours into a new one ("<<b>b>").
        while (result.contains(tag, Qt::CaseInsensitive))
            result.remove(tag, Qt::CaseInsensitive);
    }
    return result;
}

QString windowsTrimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin);
}
