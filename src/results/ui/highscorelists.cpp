#include "results/ui/highscorelists.h"

#include "common/folders.h"
#include "platform/systeminfo.h"
#include "quiz/quizsession.h"
#include "results/ui/bestlistform.h"
#include "ui/messages.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace {

// The hourglass while the file is being waited for; gone again before any message appears.
class WaitCursor
{
public:
    WaitCursor()
        : m_shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (m_shown)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor() { restore(); }
    void restore()
    {
        if (m_shown)
            QGuiApplication::restoreOverrideCursor();
        m_shown = false;
    }

private:
    bool m_shown;
};

} // namespace

bool loadHighScoreList(HighScoreList& list, const QString& fileName, bool network)
{
    list.clear();
    if (!QFileInfo::exists(fileName)) {
        showInfo(network ? HighScoreTexts::noEntriesNetwork : HighScoreTexts::noEntriesIndividual);
        return false;
    }
    WaitCursor cursor;
    const bool read = retryHighScoreAccess([&] { return readHighScoreFile(fileName, list); });
    cursor.restore();
    if (!read)
        showFileUnreadable(fileName, network ? HighScoreTexts::readHintNetwork : HighScoreTexts::readHintIndividual);
    return read;
}

bool saveHighScoreResult(const HighScoreEntry& entry, const QString& fileName, bool network)
{
    WaitCursor cursor;
    const bool saved = retryHighScoreAccess([&] { return appendHighScoreEntry(fileName, entry); });
    cursor.restore();
    if (!saved)
        showFileUnwritable(fileName, network ? QString() : HighScoreTexts::writeHintIndividual);
    return saved;
}

bool saveHighScoreResult(const QuizSession& session)
{
    if (!session.mayEnterHighScores())
        return false;
    const HighScoreEntry entry = localHighScoreEntry(
        session.participantName, computerName(), session.startTime, session.elapsedMs, session.overallScore);
    return saveHighScoreResult(entry, highScoreFileName(folders(), session.document().filePath, false), false);
}

void showHighScoreList(TBestListForm& form, HighScoreList& list, const TopicDocument& document, bool network)
{
    if (!network && document.filePath.isEmpty()) {
        showInfo(QuizTexts::nothingSelected);
        return;
    }
    // After a missing or unreadable file the window shows the empty list.
    loadHighScoreList(list, highScoreFileName(folders(), document.filePath, network), network);
    sortHighScoreList(list);
    form.setWindowTitle(HighScoreTexts::captionPrefix + document.titel);
    form.setEntries(list);
    form.exec();
}
