#pragma once

#include "ui/dialogservice.h"
#include "worksheet/worksheetoutput.h"
#include "worksheet/worksheetpage.h"

#include <QDialog>
#include <QImage>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QScrollArea;
class QSpinBox;
class TRadioGroup2;

// The worksheet window "Arbeitsblatt": options on the left, the page's preview on the right, and
// the page saved as a metafile or PDF, copied, or printed. The page is composed afresh on every
// change and before every save, copy and print.
class TArbeitsblattForm : public QDialog
{
    Q_OBJECT
public:
    explicit TArbeitsblattForm(QWidget* parent = nullptr);

    // The topic the sheet is made of; not owned, it must outlive the window's use. Set before
    // each opening.
    void setDocument(const TopicDocument* document, const QString& pictureFolder);

    WorksheetOptions options() const;
    // Composes the page and shows it.
    void regenerate();
    const QImage& preview() const { return m_preview; }
    const WorksheetLayout& layout() const { return m_layout; }

    // The buttons' actions, with their dialogs.
    void saveMetafile();
    void savePdf();
    void copyToClipboard();
    void print();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layoutPreview();
    // The save dialog, then the extension checked against accepted, then the file written.
    void askAndSave(const FileDialogRequest& request, const QList<WorksheetFormat>& accepted);
    bool saveTo(const QString& path);

    const TopicDocument* m_document = nullptr;
    QString m_pictureFolder;
    QImage m_page; // the composed page, one pixel per unit
    QImage m_preview; // m_page resampled to the width shown
    WorksheetLayout m_layout;

    TRadioGroup2* m_modeRadio;
    QCheckBox* m_nameBox;
    QCheckBox* m_classBox;
    QCheckBox* m_dateBox;
    QLineEdit* m_titleEdit;
    QCheckBox* m_titleCheck;
    QPlainTextEdit* m_taskMemo;
    QCheckBox* m_answersCheck;
    QWidget* m_type2Panel;
    QSpinBox* m_fromQuestion;
    QScrollArea* m_scrollBox;
    QWidget* m_pagePanel;
    QLabel* m_pageImage;
    int m_panStartY = -1;
    int m_panStartScroll = 0;
};

// Where the save dialogs open: the folder worksheets were saved to last, else the topic's folder
// when it can be written, else the user's documents folder.
QString worksheetSaveFolder(const QString& lastFolder, const QString& topicPath);
// The name they offer, without extension: the topic's file name and the mode
// ("euro-flaggen-alle-arbeitsblatt", "…-loesung", "…-folie"); the mode alone without a topic file.
QString worksheetFileName(const QString& topicPath, WorksheetMode mode);
