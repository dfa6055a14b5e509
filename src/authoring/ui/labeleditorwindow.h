#pragma once

#include <QList>
#include <QTimer>
#include <QWidget>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;
class QSpinBox;
class StorableTextEdit;
class TopicEditor;
struct ObjectProperties;

// The label editor: a tool window beside the card that lists every object of the open topic and
// edits the one selected. It changes the document only through the TopicEditor it is given, so
// every change is one undo entry, and it follows the editor's signals, so undo and redo from
// anywhere show here at once.
//
// Cloze gaps and the pages and buttons of single questions are listed greyed with a lock; they
// can be selected but not changed here.
//
// A caption is applied when its field loses the focus or after a short pause in typing, as one
// entry each; the choices (kind, placement, alignment, layer, leader line, size) apply at once.
// An object keeps a text: a field left empty gets its caption back, with a hint.
//
// Keys: Ctrl+D duplicates, Del deletes, Ctrl+Z undoes and Ctrl+Y or Ctrl+Shift+Z redo, anywhere in
// the window except in a text field, which keeps them for its own typing.
class LabelEditorWindow : public QWidget
{
    Q_OBJECT
public:
    // How long typing must pause before a caption is applied.
    static constexpr int captionPauseMs = 700;

    // The editor outlives the window. With a parent the window is a tool window of it.
    explicit LabelEditorWindow(TopicEditor& editor, QWidget* parent = nullptr);
    ~LabelEditorWindow() override;

    // The selected object's index, -1 for none.
    int selectedObject() const { return m_selected; }
    // Selects the object at index (the card's selection); -1 or an index outside the list
    // selects nothing. A caption still being typed for the previous object is applied first.
    void setSelectedObject(int index);

    // Applies a caption still being typed. Call before saving or anything else that reads the
    // document; the window does it itself before each of its own changes and when it is hidden.
    void applyPendingEdits();

signals:
    // The selected object is now the one at index (-1 none): chosen in the list or by
    // setSelectedObject, another object after the selected one was removed, or the same object
    // at a new index after a change to the list. Not emitted while the same object stays
    // selected at the same index.
    void selectionChanged(int index);

protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildList();
    void updateListItem(int index);
    void selectIndex(int index, bool applyPending);
    // Fills the fields from the selected object; otherObject replaces the caption field even
    // when the stored caption did not change.
    void showSelected(bool otherObject);
    void showCaption(bool replace);
    void updateControls();
    void updatePreview();
    void showRefusal(const QList<char32_t>& characters);
    void showHint(const QString& text);

    // Changes one property of the selected object as one entry, starting from its stored state.
    void applyProperty(void (*change)(ObjectProperties&, int), int value);
    void applyKind(int kind);
    // Applies the caption field as one entry. An emptied field is kept during a pause and
    // refused once finished (the field left, another action taken).
    void applyCaption(bool finished);
    void chooseLinkFile();

    void addNew();
    void duplicateSelected();
    void removeSelected();
    void moveSelected(int step);
    void listRowsMoved(int from, int to);

    void objectChanged(int index);
    void objectInserted(int index);
    void objectRemoved(int index);
    void objectReordered(int from, int to);
    void documentReset();

    TopicEditor& m_editor;
    int m_selected = -1;
    // The caption the field was last filled from or applied as (stored form): tells an undo
    // from outside, which replaces the field, from the window's own change, which leaves it.
    QString m_shownCaption;
    // The caption field holds typing not yet applied.
    bool m_captionDirty = false;
    bool m_filling = false;
    bool m_listMoving = false;
    QTimer m_captionPause;
    QTimer m_hintTimer;

    QListWidget* m_list = nullptr;
    QPushButton* m_upButton = nullptr;
    QPushButton* m_downButton = nullptr;
    QPushButton* m_newButton = nullptr;
    QPushButton* m_duplicateButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QAction* m_duplicateAction = nullptr;
    QAction* m_removeAction = nullptr;

    QWidget* m_fields = nullptr;
    QLabel* m_lockHint = nullptr;
    QComboBox* m_kindCombo = nullptr;
    StorableTextEdit* m_captionEdit = nullptr;
    QLabel* m_captionHint = nullptr;
    QLabel* m_refusalHint = nullptr;
    QPushButton* m_fileButton = nullptr;
    QScrollArea* m_previewArea = nullptr;
    QLabel* m_preview = nullptr;
    QComboBox* m_placementCombo = nullptr;
    QComboBox* m_alignmentCombo = nullptr;
    QComboBox* m_layerCombo = nullptr;
    QCheckBox* m_leaderLineCheck = nullptr;
    QSpinBox* m_sizeSpin = nullptr;
};
