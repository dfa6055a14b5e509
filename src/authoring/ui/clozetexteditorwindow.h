#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TopicEditor;

// The cloze-text editor: a tool window beside the card where a teacher writes the topic's cloze
// text with its gaps "<<Wort>>" and the card's markup, as `zeptool make` reads it. A button and
// Ctrl+G turn the selected word, or the word at the cursor, into a gap, and a gap at the cursor
// back into its word. Every problem of the text (a gap that is empty, nested, holds markup or is
// not closed in its line, a character a topic cannot store) is listed with its line and reason
// while the teacher types, and the text cannot be applied while there is one; the text itself
// keeps everything typed. A preview shows the card with the text laid out and its gaps numbered.
//
// "Übernehmen" puts the text with its gaps into the topic as one undo entry through the
// TopicEditor, asking first whether a topic of another kind should become a cloze text. When the
// topic's text changes from elsewhere (undo, redo, another topic), the field follows it unless it
// holds text not yet applied: that text stays, with a hint, and closing the window asks for it.
class ClozeTextEditorWindow : public QWidget
{
    Q_OBJECT
public:
    // How long typing must pause before the problems and the preview are worked out again.
    static constexpr int checkPauseMs = 250;

    // The editor outlives the window. With a parent the window is a tool window of it.
    explicit ClozeTextEditorWindow(TopicEditor& editor, QWidget* parent = nullptr);
    ~ClozeTextEditorWindow() override;

    // True when the field holds a text other than the topic's.
    bool hasUnappliedText() const;
    // Applies the field's text as described above; false when it has a problem, the teacher
    // cancelled, or it changes nothing.
    bool apply();
    // Turns the selection or the word at the cursor into a gap, or the gap at the cursor back
    // into its word, as one step of the field's own undo.
    void toggleGap();
    // Works out the problems and the preview now instead of after the typing pause.
    void refreshNow();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void topicTextChanged();
    void loadTopicText();
    void updateChecks();
    void updatePreview(const QString& stored, const QStringList& gaps);
    QString fieldText() const;

    TopicEditor& m_editor;
    // The topic's text the field was last filled from or applied: the field holds unapplied text
    // when its stored form differs from it.
    QString m_loadedText;
    QTimer m_checkPause;

    QPlainTextEdit* m_textEdit = nullptr;
    QPushButton* m_gapButton = nullptr;
    QListWidget* m_problemList = nullptr;
    QLabel* m_hint = nullptr;
    QLabel* m_preview = nullptr;
    QPushButton* m_applyButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};
