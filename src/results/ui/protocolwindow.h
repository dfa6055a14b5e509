#pragma once

#include "common/richtext.h"

#include <QDateTime>
#include <QDialog>

#include <functional>

class QTextEdit;
class TBitBtn2;
class TextureImage;
class TProtKomForm;

// Turns the lines of a protocol text into rich text and appends them to doc (emptied first
// when clearFirst). A line whose first five characters are "<tit>" in any case is a bold
// heading without the tag, followed by an empty 4-point line; every other line is regular
// body text. Every line is 9 points with one tab stop at 160 points, so the protocol's
// "label<TAB>value" lines form two columns. Lines end at CR LF, LF or CR; a break at the very
// end closes the last line and starts no further one.
void appendTaggedText(RichTextDocument& doc, const QString& text, bool clearFirst);

// The name an automatically saved protocol gets: "YYYYMMDD-hhmmss-<computer>-<counter>.rtf".
// Characters a file name cannot hold on either Windows or Linux are replaced by "_", so a
// strange host name can never point into another folder.
QString protocolFileName(const QDateTime& time, const QString& computer, int counter);

struct ProtocolFileResult
{
    bool saved = false;
    QString path; // the file written, or the name that failed
    QString errorText; // the system's reason after a failure
};

// Saves doc as RTF into folder (ending with a separator) under the first protocolFileName()
// for counter 0, 1, 2, ... that no file holds yet. Each name is created exclusively, so two
// computers saving into one shared folder in the same second never overwrite each other: the
// one that loses the name moves on to the next counter. A failed write removes the file it
// had created. Gives up after maxProtocolFileAttempts taken names.
ProtocolFileResult saveNewProtocolFile(
    const RichTextDocument& doc, const QString& folder, const QDateTime& time, const QString& computer);
inline constexpr int maxProtocolFileAttempts = 10000;

// The protocol window: the protocol of the last quiz as rich text, until the next quiz ends.
// Create it once with the main window; it starts empty. It prints, saves and copies the
// protocol and takes comments into it.
class TUebProtokollForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int clientWidth = 772;
    static constexpr int clientHeight = 486;
    static constexpr qreal bodyPointSize = 9;
    static constexpr qreal spacerPointSize = 4;
    static constexpr qreal tabStopPoints = 160;

    explicit TUebProtokollForm(QWidget* parent = nullptr);

    // Replaces the window's content with the protocol text (CR LF lines with "<tit>" headings).
    void setProtocol(const QString& protocolText);
    // appendTaggedText() on the window's content, shown at once.
    void appendTaggedText(const QString& text, bool clearFirst);

    // Shows the window modally and returns when it is closed.
    void showProtocol();

    // Saves the content into the protocol folder under a new generated name. After a failure
    // it shows the file-write message with the hint on the folder setting and returns false;
    // the caller just carries on.
    bool autoSaveProtocol();
    // The file the last successful autoSaveProtocol() wrote; empty before one.
    QString lastAutoSavePath() const { return m_lastAutoSavePath; }

    const RichTextDocument& richText() const { return m_protocol; }
    QTextEdit* richEdit() const { return m_richEdit; }
    TProtKomForm* commentDialog() const { return m_protKomForm; }

    // The buttons' actions.
    void addComment();
    void printProtocol();
    void saveProtocol();
    void copyProtocol();

    // Test seam: the clock that dates the automatic file names; an empty function restores
    // the local wall clock.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void refreshView();

    RichTextDocument m_protocol;
    QString m_lastAutoSavePath;
    std::function<QDateTime()> m_clock;
    bool m_placed = false;
    TextureImage* m_backImg = nullptr;
    QTextEdit* m_richEdit = nullptr;
    TBitBtn2* m_okBtn = nullptr;
    TProtKomForm* m_protKomForm = nullptr;
};
