#include "quiz/spokentext.h"

#include "document/topicdocument.h"
#include "quiz/normalizetext.h"
#include "quiz/quizsession.h"

#include <QRegularExpression>

namespace {

// A markup tag of the card's texts ("<b>", "</i>"), which is shown, not read.
const QRegularExpression& markupTag()
{
    static const QRegularExpression tag(QStringLiteral("<[^<>]*>"));
    return tag;
}

} // namespace

QString spokenTargetName(const TopicDocument& document, int object, int number)
{
    if (object < 0 || object >= document.objects.size())
        return {};
    const DocObject& o = document.objects.at(object);
    const QString kind = o.Typ == ObjectKind::ClozeGap ? QStringLiteral("Lücke") : QStringLiteral("Position");
    if (o.displayNumber > 0)
        return kind + QLatin1Char(' ') + document.numberText(object);
    return number > 0 ? kind + QLatin1Char(' ') + QString::number(number) : kind;
}

QString spokenTileText(const QString& caption)
{
    QString text = normalizeText(caption);
    text.replace(QStringLiteral(" | "), QStringLiteral(" "));
    // Line breaks become spaces too.
    return text.simplified();
}

QString spokenPictureKind(const QString& pictureName)
{
    if (pictureName.isEmpty())
        return {};
    const QString file = pictureName.section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1).toLower();
    if (file.startsWith(QLatin1String("flagge")))
        return QStringLiteral("Flagge");
    if (file.startsWith(QLatin1String("muenze")) || file.startsWith(QLatin1String("münze")))
        return QStringLiteral("Münzseite");
    return QStringLiteral("Bild");
}

QString spokenClozeText(const TopicDocument& document, const QHash<int, int>& numbers)
{
    static const QRegularExpression gap(QStringLiteral("<<(.*?)>>"));
    const QList<DocObject>& objects = document.objects;
    // The gaps of the text belong to the cloze gap objects in document order, as the card draws them.
    qsizetype cursor = 0;
    const auto nextGap = [&]() -> int {
        while (cursor < objects.size() && objects.at(cursor).Typ != ObjectKind::ClozeGap)
            ++cursor;
        return cursor < objects.size() ? int(cursor++) : -1;
    };
    QString text = document.lueckentext;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString spoken;
    qsizetype from = 0;
    for (QRegularExpressionMatchIterator it = gap.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        spoken += text.mid(from, match.capturedStart() - from);
        const int object = nextGap();
        const bool filled = object >= 0
            && (objects.at(object).coverState == CoverState::Uncovered
                || objects.at(object).coverState == CoverState::Solved);
        spoken += filled  ? match.captured(1)
            : object >= 0 ? spokenTargetName(document, object, numbers.value(object))
                          : QStringLiteral("Lücke");
        from = match.capturedEnd();
    }
    spoken += text.mid(from);
    spoken.replace(markupTag(), QString());
    return spoken.simplified();
}

QString spokenQuestion(const QString& counterText, const QString& questionText, const QString& pictureName)
{
    QString question = questionText;
    question.replace(markupTag(), QString());
    question.replace(QStringLiteral(" | "), QStringLiteral(" "));
    QString spoken = counterText + QStringLiteral(": ") + question.simplified();
    const QString kind = spokenPictureKind(pictureName);
    if (!kind.isEmpty())
        spoken += QStringLiteral(" Bild: ") + kind;
    return spoken;
}

QList<SpokenItem> spokenItems(const QuizSession& quiz, const QRect& textArea,
    const std::function<QRect(int target)>& targetRect, int chosenTarget)
{
    QList<SpokenItem> items;
    const TopicDocument& document = quiz.document();
    if (document.DokTyp == DocType::ClozeText)
        items.append({QStringLiteral("text"), spokenClozeText(document, quiz.spokenNumbers()), textArea, false});
    if (document.DokTyp == DocType::SingleQuestions)
        return items;
    for (const int t : quiz.dropCandidates()) {
        items.append({QStringLiteral("Ziel %1").arg(t), spokenTargetName(document, t, quiz.spokenNumber(t)),
            targetRect(t), chosenTarget == t});
    }
    return items;
}
