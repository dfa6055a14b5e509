// The topic commands of TForm1: opening the topics of the menu "&Quizauswahl", stepping through
// the list, changing the folder, and the link objects of a topic that lead to files, web pages
// and other topics. The menu's topic items are TopicMenu's.

#include "mainwindow.h"

#include "app/quizcontroller.h"

#include "app/linktargets.h"
#include "common/folders.h"
#include "document/ui/topicmenu.h"
#include "platform/desktopshell.h"
#include "ui/dialogservice.h"
#include "ui/messages.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {

// The fixed items at the top of "&Quizauswahl"; the topics follow them.
constexpr int fixedTopicMenuItems = 9;

QString folderOf(const QString& path)
{
    if (path.isEmpty())
        return {};
    return withTrailingSeparator(QDir::toNativeSeparators(QFileInfo(path).absolutePath()));
}

QString topicFolderMessage(int count)
{
    return QString::number(count)
        + QStringLiteral(" Themendokument(e) eingelesen.\r\nWählen Sie das gewünschte Dokument im Menü "
                         "\"Themenauswahl\".");
}

} // namespace

void TForm1::setUpTopicMenu()
{
    m_topicMenu = new TopicMenu(menuItem(QStringLiteral("Auswahl1"))->menu(), menuBar(), fixedTopicMenuItems);
    connect(m_topicMenu, &TopicMenu::topicChosen, this, &TForm1::chooseTopicItem);

    m_topicFileDialog.title = QStringLiteral("Dokument öffnen");
    m_topicFileDialog.filter = QStringLiteral("Zeporama - Dokument (*.zep)|*.zep|Alle Dateien (*.*)|*.*");
    m_topicFileDialog.defaultSuffix = QStringLiteral("zep");
}

const QList<TopicEntry>& TForm1::topicList() const
{
    return m_topicMenu->topics();
}

void TForm1::rebuildTopicMenu()
{
    const QString folder = m_document.filePath.isEmpty() ? folders().topicFolder : folderOf(m_document.filePath);
    m_document.topicIndex = m_topicMenu->rebuild(folder, m_document.filePath);
    showTitle();
}

void TForm1::layoutTopicColumns()
{
    m_topicMenu->layoutColumns();
}

void TForm1::openTopic(int index)
{
    if (index < 0 || index >= int(topicList().size()))
        return;
    if (!leaveQuizAndDocument())
        return;
    const QString path = topicList().at(index).path;
    m_topicFileDialog.fileName = path;
    readDocument(m_topicFileDialog.fileName, true);
    if (m_document.filePath == path) {
        m_topicMenu->tick(index);
        m_document.topicIndex = index;
        showTitle();
    }
}

void TForm1::chooseTopicItem(int index)
{
    openTopic(index);
    // The menu ticked the chosen item already; the tick belongs to the open topic, also when
    // opening failed or was refused.
    m_topicMenu->tick(m_document.topicIndex);
    // The quiz starts on whatever is open now, also when opening failed or was refused.
    m_quizController->startQuiz(0, 0);
}

void TForm1::nextTopic()
{
    if (m_cardMode != LearningCard)
        return;
    const int count = int(topicList().size());
    const int target = count == 0 ? -1 : qMin(m_document.topicIndex + 1, count - 1);
    if (target != m_document.topicIndex)
        openTopic(target);
}

void TForm1::previousTopic()
{
    if (m_cardMode != LearningCard)
        return;
    const int target = topicList().isEmpty() ? -1 : qMax(m_document.topicIndex - 1, 0);
    if (target != m_document.topicIndex)
        openTopic(target);
}

void TForm1::rereadTopicFolder()
{
    rebuildTopicMenu();
    showInfo(topicFolderMessage(int(topicList().size())));
}

void TForm1::chooseTopicFolder()
{
    const QString chosen
        = dialogService().folderName(this, QStringLiteral("Aktuellen Ordner wählen"), folders().topicFolder);
    if (chosen.isEmpty())
        return;
    folders().topicFolder = withTrailingSeparator(QDir::toNativeSeparators(chosen));
    m_topicFileDialog.folder = folders().topicFolder;
    closeDocument();
    showInfo(topicFolderMessage(int(topicList().size())));
}

void TForm1::goToStartPage()
{
    if (!leaveQuizAndDocument())
        return;
    if (!folders().startDocumentPath.isEmpty()) {
        readDocument(folders().startDocumentPath, true);
        rebuildTopicMenu();
        return;
    }
    folders().topicFolder = folders().baseTopicFolder;
    m_topicFileDialog.folder = folders().topicFolder;
    closeDocument();
}

void TForm1::showPreviousDocument()
{
    if (m_cardMode != LearningCard || m_document.previousPath.isEmpty())
        return;
    readDocument(m_document.previousPath, true);
    rebuildTopicMenu();
}

void TForm1::openWithDialog()
{
    if (!leaveQuizAndDocument())
        return;
    if (!m_document.filePath.isEmpty()) {
        m_topicFileDialog.folder = folderOf(m_document.filePath);
    } else {
        m_topicFileDialog.fileName.clear();
        m_topicFileDialog.folder = folders().topicFolder;
    }
    const QString chosen = dialogService().openFileName(this, m_topicFileDialog);
    if (chosen.isEmpty())
        return;
    m_topicFileDialog.fileName = chosen;
    readDocument(chosen, true);
    rebuildTopicMenu();
}

void TForm1::followDocumentLink(int index)
{
    if (index < 0 || index >= int(m_document.objects.size()))
        return;
    if (!confirmLeaveDocument())
        return;
    const QString caption = m_document.objects.at(index).Cap;
    // Captions written on Windows separate folders with "\"; both separators count.
    const QString relative = linkPathToLocal(caption);

    if (!caption.isEmpty() && (caption.endsWith(u'\\') || caption.endsWith(u'/'))) {
        const QString subfolder = folders().topicFolder + relative;
        if (QFileInfo(subfolder).isDir()) {
            folders().topicFolder = withTrailingSeparator(subfolder);
            m_topicFileDialog.folder = folders().topicFolder;
            closeDocument();
            return;
        }
    }

    const QString candidates[] = {folderOf(m_document.filePath) + relative, folders().baseTopicFolder + relative,
        folders().programFolder + relative, relative};
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isFile()) {
            readDocument(candidate, true);
            rebuildTopicMenu();
            return;
        }
    }
    showError(QStringLiteral("Die Datei \"%1\" existiert nicht.").arg(caption));
}

void TForm1::followWebLink(int index)
{
    if (index < 0 || index >= int(m_document.objects.size()))
        return;
    const QString caption = m_document.objects.at(index).Cap;
    const QString target = resolveLinkTarget(caption, folderOf(m_document.filePath));
    // A topic file from a shared folder must not be able to start a program by a click.
    if (target.isEmpty() || isProgramLink(target) || isMissingLocalTarget(target) || !desktopShell().open(target))
        showError(QStringLiteral("Die Datei oder Internet-Adresse \"%1\" kann nicht geöffnet werden.").arg(caption));
}
