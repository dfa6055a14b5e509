#pragma once

#include <QObject>
#include <QPointer>

class CardEditOverlay;
class CardImage;
class ClozeTextEditorWindow;
class DocumentPropertiesDialog;
class LabelEditorWindow;
class QuestionsEditorWindow;
class TForm1;
class TopicEditor;

// The authoring functions of the program started with "--autor": a new topic from a picture,
// the label editor beside the card with its hand on the card, the document properties, undo and
// redo, and saving. Every change to the open topic goes through one TopicEditor and its undo
// stack; the window shows the menus and tells this controller when its document is replaced.
class AuthoringController : public QObject
{
    Q_OBJECT
public:
    AuthoringController(TForm1& window, CardImage* cardImage);
    ~AuthoringController() override;

    TopicEditor& editor() const { return *m_editor; }
    // True while the label editor is open: no quiz starts and no network exercise is joined.
    bool isEditingLabels() const;
    // True while the cloze-text editor is open, with the same consequences.
    bool isEditingClozeText() const;
    // True while the questions editor is open: its pages may change under a quiz.
    bool isEditingQuestions() const;
    // What a quiz or a network exercise asks before it starts: true (and the teacher is told to
    // close the open editor first) while one is open; false without authoring.
    static bool refusesWhileEditing(const AuthoringController* authoring);
    // The label editor and its layer over the card; nullptr while closed.
    LabelEditorWindow* labelEditor() const;
    CardEditOverlay* cardOverlay() const;
    // The cloze-text editor; nullptr while closed.
    ClozeTextEditorWindow* clozeEditor() const;
    // The questions editor; nullptr before it was first opened.
    QuestionsEditorWindow* questionsEditor() const;

    // Before the document is left: a cloze text or question rows typed but not applied are
    // applied or dropped as the teacher answers, and their editor closes; false when the teacher
    // cancels.
    bool settleTextEditors();
    // The window's document was replaced (read, closed, joined): the undo stack starts afresh.
    void documentReplaced();

    void newFromPicture();
    // Saves to the topic's file, or asks for one without; true when the topic is on disk.
    bool save();
    bool saveAs();
    void showProperties();
    // Opens the label editor, or closes it; false when it could not open (a quiz the pupil keeps,
    // a network exercise).
    bool setLabelEditorOpen(bool open);
    // Opens the cloze-text editor, or brings it to the front; false when it could not open, for
    // the same reasons as the label editor.
    bool openClozeEditor();
    // Opens the questions editor (or raises it); false when it could not open, as the label editor.
    bool openQuestionsEditor();

signals:
    void labelEditorOpenChanged(bool open);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool writeTo(const QString& path);
    // What an editor that changes the objects asks before it opens: no network exercise (said
    // so, naming editorName), and a running quiz only when the pupil may leave it (it is then
    // ended).
    bool mayOpenEditor(const QString& editorName);
    void showCardForEditing();
    void placeBesideWindow(QWidget* tool);
    void showQuestionPage(int page);
    void closeLabelEditor();
    void cardChanged();
    // What happened to the object at index (-1: to the list as a whole, such as a new order).
    enum class Change { Changed, Inserted, Removed };
    void objectsChanged(int index, Change change = Change::Changed);
    void uncoverAll(bool uncovered);
    // The covers numbered again, new objects included, as when the topic is read.
    void renumberCard();

    TForm1& m_window;
    CardImage* m_cardImage = nullptr;
    TopicEditor* m_editor = nullptr;
    QPointer<LabelEditorWindow> m_labelEditor;
    QPointer<CardEditOverlay> m_overlay;
    QPointer<ClozeTextEditorWindow> m_clozeEditor;
    QPointer<QuestionsEditorWindow> m_questionsEditor;
    DocumentPropertiesDialog* m_properties = nullptr;
};
