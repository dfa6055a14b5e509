#include "quiz/quizscoring.h"

int gradeOf(double score)
{
    for (int grade = 1; grade <= 6; ++grade) {
        if (score >= gradeThresholds[grade])
            return grade;
    }
    return 6;
}

QString ratingText(int grade)
{
    switch (grade) {
    case 1:
        return QStringLiteral("sehr gut");
    case 2:
        return QStringLiteral("gut");
    case 3:
        return QStringLiteral("befriedigend");
    case 4:
        return QStringLiteral("ausreichend");
    case 5:
        return QStringLiteral("mangelhaft");
    case 6:
        return QStringLiteral("ungenügend");
    default:
        return {};
    }
}

QString percentText(double fraction)
{
    // 'f' never groups thousands and always writes a point, whatever the default locale is.
    return QString::number(fraction * 100.0, 'f', 1) + QStringLiteral(" %");
}

QString clockText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString durationText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = seconds / 60 % 60;
    QString text;
    if (hours > 0)
        text += QString::number(hours) + QStringLiteral(" Std. ");
    if (minutes > 0 || hours > 0)
        text += QString::number(minutes) + QStringLiteral(" Min. ");
    text += QString::number(seconds % 60) + QStringLiteral(" Sek.");
    return text.trimmed();
}
