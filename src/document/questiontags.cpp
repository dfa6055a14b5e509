#include "questiontags.h"

QString expandQuestionTags(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("<@flaggenfrage>"), QStringLiteral("Wie heißt das Land zu dieser Flagge?"));
    result.replace(QStringLiteral("<@euromünzfrage>"),
        QStringLiteral("Zu welchem Land der Eurozone gehört diese Seite der Münze?"));
    return result;
}

ImageTagCut cutImageTag(const QString& text)
{
    static const QString opening = QStringLiteral("<@img=");
    const qsizetype start = text.indexOf(opening);
    if (start < 0)
        return {text, {}};
    const qsizetype end = text.indexOf(u'>', start + opening.size());
    if (end < 0)
        return {text, {}};
    const QString name = text.mid(start + opening.size(), end - start - opening.size());
    return {text.left(start) + text.mid(end + 1), name};
}
