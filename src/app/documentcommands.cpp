// The open topic's commands of the main window: reading, writing, closing and mailing a topic
// file, the document type, and the question about unsaved changes.

#include "mainwindow.h"

#include "app/authoringcontroller.h"
#include "app/quizcontroller.h"

#include "authoring/topiceditor.h"
#include "cardview/ui/cardcontrols.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "platform/mailclient.h"
#include "platform/sharedfile.h"
#include "ui/mailform.h"
#include "ui/messages.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QSaveFile>

namespace {

// The hourglass for as long as a file is read or written.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void TForm1::checkDocTypeItem(DocType type)
{
    static const char* const items[] = {"DokTypBildbeschriftung1", "DokTypLueckentext1", "DokTypEinzelfragen1"};
    // Types other than the three named ones have no item; the tick stays where it is.
    const int index = int(type);
    if (index < 0 || index >= 3)
        return;
    if (QAction* item = menuItem(QString::fromLatin1(items[index])))
        item->setChecked(true);
}

TForm1::TopicRead TForm1::readTopicWithMessages(const QString& path, TopicDocument& document, bool sharedFolder)
{
    if (!QFileInfo::exists(path)) {
        showFileMissing(path);
        return TopicRead::Missing;
    }
    ZepReadStatus status = ZepReadStatus::ReadError;
    {
        WaitCursor wait;
        if (sharedFolder) {
            // Only a regular file of a topic's size: not through a link, not a planted pipe.
            if (std::optional<QByteArray> bytes = readSharedFile(path, maxSharedTopicSize)) {
                QBuffer buffer(&*bytes);
                buffer.open(QIODevice::ReadOnly);
                status = readTopicFile(buffer, document);
            }
        } else {
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                status = readTopicFile(file, document);
        }
    }
    if (status != ZepReadStatus::Ok) {
        for (const QString& text : zepReadFailureTexts(status, path))
            showError(text);
        return TopicRead::Unreadable;
    }
    return TopicRead::Ok;
}

bool TForm1::readDocument(QString path, bool adoptFolder)
{
    TopicDocument read;
    const TopicRead result = readTopicWithMessages(path, read);
    if (result == TopicRead::Missing)
        return false;
    if (result == TopicRead::Unreadable) {
        m_document.resetDocument();
        checkDocTypeItem(DocType::ImageLabelling);
        closeDocument();
        return false;
    }
    adoptDocument(std::move(read), path, adoptFolder);
    return true;
}

void TForm1::adoptDocument(TopicDocument&& read, const QString& path, bool adoptFolder)
{
    // The open document's run-time state starts afresh, but for the path of the file it held.
    m_document.resetDocument();
    read.previousPath = m_document.previousPath;
    m_document = std::move(read);
    m_document.filePath = path;
    m_cardView.forgetLastPoint();
    checkDocTypeItem(m_document.DokTyp);
    m_document.topicIndex = -1;
    m_cardControls->setZoom(0);
    m_cardControls->applyNumbering(m_cardControls->numberingMode(), false);
    if (adoptFolder) {
        folders().topicFolder = withTrailingSeparator(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
        showCardView();
    }
    clearCardMarks();
    m_document.modified = false;
    if (m_authoringController)
        m_authoringController->documentReplaced();
    showTitle();
}

bool TForm1::writeDocument(const QString& path, bool adoptPath)
{
    WaitCursor wait;
    // The whole file is put together first and then replaces any file at path in one step, so
    // that a failed write never leaves a damaged topic where a good one was.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool written = writeTopicFile(buffer, m_document);
    if (written) {
        QSaveFile file(path);
        written = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size()
            && file.commit();
    }
    if (!written) {
        showFileUnwritable(path);
        return false;
    }
    if (adoptPath) {
        m_document.filePath = path;
        m_document.modified = false;
    }
    return true;
}

void TForm1::closeDocument()
{
    m_document.picture = m_basePicture;
    m_document.objects.clear();
    clearHighScoreList();
    m_document.resetDocument();
    if (m_authoringController)
        m_authoringController->documentReplaced();
    m_cardView.forgetLastPoint();
    checkDocTypeItem(DocType::ImageLabelling);
    if (!m_firstActivation)
        layoutCard();
    rebuildTopicMenu();
    m_startInfoPan->setVisible(!m_firstActivation);
    showTitle();
}

void TForm1::closeDocumentCommand()
{
    if (leaveQuizAndDocument())
        closeDocument();
}

void TForm1::sendByMail()
{
    TMailForm* dialog = mailDialog();
    if (!dialog)
        return;
    // The message carries the topic's file as it is on disk, not the document in memory.
    const QString path = m_document.filePath;
    if (path.isEmpty()) {
        showInfo(m_document.modified ? MailTexts::notSaved : MailTexts::noTopic);
        return;
    }
    if (!QFileInfo(path).isFile()) {
        showError(MailTexts::fileGone(path));
        return;
    }
    if (m_document.modified && !askYesNo(MailTexts::unsavedChanges(path)))
        return;

    dialog->prepare(m_document.titel, path);
    if (dialog->exec() != QDialog::Accepted)
        return;
    MailResult result;
    {
        // Starting the mail program may take a few seconds.
        WaitCursor wait;
        result = mailClient().send(dialog->request());
    }
    if (result.status == MailStatus::NoMailProgram)
        showInfo(result.message);
    else if (!result.handedOver())
        showError(result.message);
}

void TForm1::setDocType(DocType type)
{
    if (m_document.DokTyp == type)
        return;
    if (m_authoringController) {
        m_authoringController->editor().setDocType(type); // one undoable change
    } else {
        m_document.DokTyp = type;
        m_document.modified = true;
    }
    checkDocTypeItem(type);
    if (type == DocType::ClozeText && m_document.lueckentext.isEmpty()) {
        showInfo(QStringLiteral("Es wurde noch kein Lückentext definiert. Um einen Lückentext zu erstellen, wählen "
                                "Sie den Menüpunkt \"Autorenfunktion | Lückentext bearbeiten\"."));
    } else if (type == DocType::SingleQuestions && m_document.fragentext.isEmpty()) {
        showInfo(QStringLiteral("Es wurden noch keine Einzelfragen definiert. Um Einzelfragen zu erstellen, wählen "
                                "Sie den Menüpunkt \"Autorenfunktion | Einzelfragen bearbeiten\"."));
    }
}

bool TForm1::leaveQuizAndDocument()
{
    if (!m_quizController->mayLeaveQuiz() || !confirmLeaveDocument())
        return false;
    // A quiz on the topic being replaced goes with it, feedback and clock included.
    if (m_cardMode == QuizRunning)
        m_quizController->leaveQuiz();
    return true;
}

bool TForm1::confirmLeaveDocument()
{
    if (m_authoringController && !m_authoringController->settleTextEditors())
        return false;
    if (!m_document.modified)
        return true;
    const QString question = m_document.filePath.isEmpty()
        ? QStringLiteral("Änderungen speichern?")
        : QStringLiteral("Änderungen unter \"%1\" speichern?").arg(m_document.filePath);
    switch (askYesNoCancel(question)) {
    case MessageButton::Yes:
        // Goes on only once the changes are on disk: a failed save keeps the topic open.
        return saveDocumentForAuthoring();
    case MessageButton::No:
        return true;
    default:
        return false;
    }
}
