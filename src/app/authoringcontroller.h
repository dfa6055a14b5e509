#pragma once

#include <QObject>
#include <QPointer>

class CardEditOverlay;
class CardImage;
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
    // True while the questions editor is open: its pages may change under a quiz.
    bool isEditingQuestions() const;
    // What a quiz or a network exercise asks before it starts: true (and the teacher is told to
    // close the label or the questions editor first) while one is open; false without authoring.
    static bool refusesWhileEditing(const AuthoringController* authoring);
    // The label editor and its layer over the card; nullptr while closed.
    LabelEditorWindow* labelEditor() const;
    CardEditOverlay* cardOverlay() const;
    // The questions editor; nullptr before it was first opened.
    QuestionsEditorWindow* questionsEditor() const;

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
    // Opens the questions editor (or raises it); false when it could not open, as the label editor.
    bool showQuestionsEditor();

signals:
    void labelEditorOpenChanged(bool open);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool writeTo(const QString& path);
    // What an editor that changes the objects asks before it opens: no network exercise, and a
    // running quiz only when the pupil may leave it (it is then ended). editorName is said in
    // the refusal.
    bool mayOpenEditor(const QString& editorName);
    void showQuestionPage(int page);
    void closeLabelEditor();
    void placeBesideWindow();
    void cardChanged();
    // index: the one object that changed, -1 for changes to the list.
    void objectsChanged(int index);
    void uncoverAll(bool uncovered);

    TForm1& m_window;
    CardImage* m_cardImage = nullptr;
    TopicEditor* m_editor = nullptr;
    QPointer<LabelEditorWindow> m_labelEditor;
    QPointer<CardEditOverlay> m_overlay;
    QPointer<QuestionsEditorWindow> m_questionsEditor;
    DocumentPropertiesDialog* m_properties = nullptr;
};
