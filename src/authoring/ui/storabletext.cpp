#include "authoring/ui/storabletext.h"

#include "platform/cp1252.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace {

// The character as the hint shows it; half of a surrogate pair has no glyph of its own.
QString shownCharacter(char32_t c)
{
    if (c >= 0xD800 && c <= 0xDFFF)
        return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    return QString::fromUcs4(&c, 1);
}

} // namespace

StorableTextEdit::StorableTextEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

void StorableTextEdit::keyPressEvent(QKeyEvent* event)
{
    const QList<char32_t> refusedCharacters = unstorableCharacters(event->text());
    if (!refusedCharacters.isEmpty()) {
        event->accept();
        emit refused(refusedCharacters);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void StorableTextEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QList<char32_t> refusedCharacters = unstorableCharacters(event->commitString());
    if (!refusedCharacters.isEmpty()) {
        // The composition ends without leaving anything in the text.
        QInputMethodEvent cleared;
        QPlainTextEdit::inputMethodEvent(&cleared);
        event->accept();
        emit refused(refusedCharacters);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void StorableTextEdit::insertFromMimeData(const QMimeData* source)
{
    // A paste is refused whole: dropping only the foreign characters would silently change what
    // the teacher copied.
    if (source && source->hasText()) {
        const QList<char32_t> refusedCharacters = unstorableCharacters(source->text());
        if (!refusedCharacters.isEmpty()) {
            emit refused(refusedCharacters);
            return;
        }
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void StorableTextEdit::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    emit editingFinished();
}

StorableTextValidator::StorableTextValidator(QObject* parent)
    : QValidator(parent)
{ }

QValidator::State StorableTextValidator::validate(QString& input, int&) const
{
    const QList<char32_t> refusedCharacters = unstorableCharacters(input);
    if (refusedCharacters.isEmpty())
        return Acceptable;
    // The line edit undoes the edit that brought them in; the window says why.
    emit const_cast<StorableTextValidator*>(this)->refused(refusedCharacters);
    return Invalid;
}

QString unstorableHint(const QList<char32_t>& characters)
{
    QStringList quoted;
    for (char32_t c : characters)
        quoted.append(QStringLiteral("„%1“").arg(shownCharacter(c)));
    if (quoted.size() == 1)
        return QStringLiteral("Das Zeichen %1 kann ein Thema nicht speichern.").arg(quoted.first());
    const QString last = quoted.takeLast();
    return QStringLiteral("Die Zeichen %1 und %2 kann ein Thema nicht speichern.")
        .arg(quoted.join(QStringLiteral(", ")), last);
}
