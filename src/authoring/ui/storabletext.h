#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QString>
#include <QValidator>

// Text fields of the topic editor. A topic stores its texts in Windows-1252, so a character
// outside it (an arrow, an emoji, most scripts) would come back from the file as "?". The fields
// refuse such a character where it is typed, pasted or dropped, and say which one they refused;
// the window shows unstorableHint() for it.

// A text of several lines: caption, info text, remark. Tab moves to the next control, since a
// tab in a caption would only show as a gap on the card.
class StorableTextEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit StorableTextEdit(QWidget* parent = nullptr);

signals:
    // Something typed, pasted or dropped held these characters; the field is unchanged.
    void refused(const QList<char32_t>& characters);
    // The keyboard focus left the field.
    void editingFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// For a one-line QLineEdit: an edit that would bring in such a character is refused whole.
class StorableTextValidator : public QValidator
{
    Q_OBJECT
public:
    explicit StorableTextValidator(QObject* parent = nullptr);
    State validate(QString& input, int& pos) const override;

signals:
    void refused(const QList<char32_t>& characters);
};

// "Das Zeichen „→“ kann ein Thema nicht speichern." or, for several, "Die Zeichen „→“ und „😀“
// kann ein Thema nicht speichern."
QString unstorableHint(const QList<char32_t>& characters);
