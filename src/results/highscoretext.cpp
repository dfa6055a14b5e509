#include "results/highscoretext.h"

#include "document/oledate.h"

#include <cstdlib>

namespace {

// At least two digits, the sign in front of them, as printf's "%.2d" does.
QString twoDigits(qint64 value)
{
    const QString digits = QString::number(std::llabs(value)).rightJustified(2, u'0');
    return value < 0 ? u'-' + digits : digits;
}

} // namespace

QStringList highScoreHeader()
{
    return {QStringLiteral("Pos."), QStringLiteral("Name"), QStringLiteral("Rechner"), QStringLiteral("Leistung"),
        QStringLiteral("Zeit (Min:Sek)"), QStringLiteral("Datum/Uhrzeit (Ende)")};
}

QString highScorePerformanceText(double performance)
{
    double percent = performance * 100.0;
    // A stored negative zero is no result below zero.
    if (percent == 0)
        percent = 0;
    return QString::number(percent, 'f', 1) + QStringLiteral(" %");
}

QString highScoreDurationText(qint32 durationMs)
{
    const qint64 seconds = durationMs / 1000;
    return twoDigits(seconds / 60) + u':' + twoDigits(seconds % 60);
}

QString highScoreEndText(double end)
{
    return oleDateTimeText(end);
}

QString highScoreCellText(const HighScoreEntry& entry, int position, int column)
{
    switch (column) {
    case 0:
        return QString::number(position);
    case 1:
        return entry.Name;
    case 2:
        return entry.Rechner;
    case 3:
        return highScorePerformanceText(entry.Leistung);
    case 4:
        return highScoreDurationText(entry.Dauer);
    case 5:
        return highScoreEndText(entry.Ende);
    }
    return {};
}

QString plainTextCell(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return text;
}

QString highScoreListText(const HighScoreList& list)
{
    const QString lineEnd = QStringLiteral("\r\n");
    QString text = highScoreHeader().join(u'\t') + lineEnd;
    if (list.isEmpty())
        return text + QString(highScoreColumnCount - 1, u'\t') + lineEnd;
    for (qsizetype i = 0; i < list.size(); ++i) {
        for (int column = 0; column < highScoreColumnCount; ++column) {
            if (column > 0)
                text += u'\t';
            text += plainTextCell(highScoreCellText(list[i], int(i + 1), column));
        }
        text += lineEnd;
    }
    return text;
}
