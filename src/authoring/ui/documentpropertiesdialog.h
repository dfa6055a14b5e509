#pragma once

#include "authoring/topiceditor.h"

#include <QDialog>

#include <array>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class StorableTextEdit;

// "Dokumenteigenschaften": title, author, remark, version, the white margins around the picture
// (in percent of the picture), the numbering style and the order of ordered numbering.
//
// The dialog applies its own result: OK hands properties() to TopicEditor::setProperties, one
// undo entry (none when nothing changed), and closes; "Abbrechen" changes nothing. Each time it
// is shown it starts from the open document's properties, so one dialog can be kept and reused.
class DocumentPropertiesDialog : public QDialog
{
    Q_OBJECT
public:
    // Margins the dialog offers, in percent of the picture: the editor takes up to ten times the
    // picture on each side.
    static constexpr double largestMarginPercent = 1000.0;

    // The editor outlives the dialog.
    explicit DocumentPropertiesDialog(TopicEditor& editor, QWidget* parent = nullptr);

    // What the fields say. A field the teacher left as it was shown gives back exactly the value
    // it was shown from (a margin with more decimals than the field shows, a numbering value
    // other than 0 or 1, a remark with single line feeds), so OK changes only what was changed.
    // The remark's lines end with CR LF.
    DocumentProperties properties() const;
    // Fills the fields; showing the dialog fills them from the document again.
    void setProperties(const DocumentProperties& properties);

    // Applies properties() through the editor and closes; stays open with a hint when a text
    // holds a character a topic cannot store.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showRefusal(const QList<char32_t>& characters);

    // What the fields showed right after setProperties, to tell which ones the teacher changed.
    struct Shown
    {
        QString titel;
        QString autor;
        QString bemerkung;
        QString vers;
        std::array<double, 4> margins {};
        int numbering = 0;
        int order = 0;
    };

    TopicEditor& m_editor;
    DocumentProperties m_loaded;
    Shown m_shown;

    QLineEdit* m_titleEdit = nullptr;
    QLineEdit* m_authorEdit = nullptr;
    QLineEdit* m_versionEdit = nullptr;
    StorableTextEdit* m_remarkEdit = nullptr;
    std::array<QDoubleSpinBox*, 4> m_marginSpins {};
    QComboBox* m_numberingCombo = nullptr;
    QComboBox* m_orderCombo = nullptr;
    QLabel* m_refusalHint = nullptr;
};
