#include "questionsource.h"

#include "common/textutil.h"
#include "document/objectlayout.h"
#include "platform/cp1252.h"

#include <QStringDecoder>

QString decodeSource(const QByteArray& bytes)
{
    // The decoder drops a leading byte order mark unless told to keep it.
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromCp1252(bytes);
}

SingleQuestion splitQuestionLine(const QString& line)
{
    const qsizetype separator = line.indexOf(QLatin1String("//"));
    if (separator < 0)
        return {windowsTrimmed(line), QStringLiteral("---")};
    return {windowsTrimmed(line.left(separator)), windowsTrimmed(line.mid(separator + 2))};
}

QString questionLine(const SingleQuestion& question)
{
    return question.question + QStringLiteral(" // ") + question.answer;
}

QList<SingleQuestion> documentQuestions(const TopicDocument& document)
{
    QList<SingleQuestion> questions;
    QString text = document.fragentext;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    for (const QString& line : text.split(u'\n')) {
        if (!windowsTrimmed(line).isEmpty())
            questions.append(splitQuestionLine(line));
    }
    return questions;
}

QString questionProblem(const SingleQuestion& question)
{
    if (question.question.isEmpty())
        return QStringLiteral("Die Frage vor \"//\" ist leer.");
    if (question.answer.isEmpty())
        return QStringLiteral("Die Antwort nach \"//\" ist leer.");
    // The reader empties every question text holding these words (pages of old files carried
    // their number there), so such a question would come back without its text.
    if (question.question.contains(QLatin1String("Frage Nr.")))
        return QStringLiteral("Eine Frage darf \"Frage Nr.\" nicht enthalten: das Programm liest sie als leer.");
    const qsizetype image = question.question.indexOf(QLatin1String("<@img="));
    if (image >= 0) {
        const qsizetype close = question.question.indexOf(u'>', image);
        if (close < 0)
            return QStringLiteral("Nach \"<@img=\" fehlt das schließende \">\".");
        if (close == image + 6)
            return QStringLiteral("In \"<@img=>\" fehlt der Name des Bildes.");
    }
    return {};
}

QString questionCellProblem(const QString& text)
{
    if (text.contains(QLatin1String("//")))
        return QStringLiteral("\"//\" trennt Frage und Antwort und darf in keinem Feld stehen.");
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n')
            return QStringLiteral("Eine Frage und eine Antwort stehen in einer Zeile, ohne Zeilenumbruch.");
        if (c.unicode() < 32)
            return QStringLiteral("Steuerzeichen (Code %1) sind nicht erlaubt.").arg(c.unicode());
    }
    const QList<char32_t> unstorable = unstorableCharacters(text);
    if (!unstorable.isEmpty()) {
        const char32_t code = unstorable.first();
        return QStringLiteral("Das Zeichen \"%1\" (U+%2) kann in einer Themendatei nicht gespeichert werden.")
            .arg(QString::fromUcs4(&code, 1), QString::number(uint(code), 16).toUpper().rightJustified(4, u'0'));
    }
    return {};
}

void putQuestions(TopicDocument& document, const QList<SingleQuestion>& questions, const QStringList& lines)
{
    QList<DocObject> objects;
    for (qsizetype i = 0; i < questions.size(); ++i) {
        const SingleQuestion& question = questions.at(i);
        objects.append(questionPageObjects(qint32(i + 1), question.question, question.answer));
    }
    if (!questions.isEmpty())
        objects.append(pageButtonObjects());
    for (const DocObject& object : std::as_const(document.objects)) {
        if (object.Typ < ObjectKind::Answer || object.Typ > ObjectKind::PageText)
            objects.append(object);
    }
    document.objects = objects;
    document.fragentext = lines.join(QStringLiteral("\r\n"));
    document.AnzFrageNummern = qint32(questions.size());
}
