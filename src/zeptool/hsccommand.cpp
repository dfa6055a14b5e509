#include "zeptool/zeptool.h"

#include "common/filemessages.h"
#include "document/oledate.h"
#include "results/highscorefile.h"
#include "results/highscoretext.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <optional>

namespace {

// A local date and time in ISO form ("2024-05-03T09:15:00", also with a blank for the "T" or
// with a zone), or the stored form itself: days since 30 December 1899.
std::optional<double> parseStart(QString text)
{
    bool isNumber = false;
    const double days = QLocale::c().toDouble(text, &isNumber);
    if (isNumber)
        return std::isfinite(days) ? std::optional<double>(days) : std::nullopt;
    if (text.size() > 10 && text.at(10) == u' ')
        text[10] = u'T';
    const QDateTime time = QDateTime::fromString(text, Qt::ISODate);
    if (!time.isValid())
        return std::nullopt;
    return toOleDate(time);
}

int listFile(const QString& path, QIODevice& out, QIODevice& err)
{
    if (!QFileInfo::exists(path)) {
        writeConsoleText(err, fileMissingText(path) + u'\n');
        return ZeptoolFailed;
    }
    HighScoreList list;
    if (!retryHighScoreAccess([&] { return readHighScoreFile(path, list); })) {
        writeConsoleText(err, fileUnreadableText(path) + u'\n');
        return ZeptoolFailed;
    }
    sortHighScoreList(list);
    writeConsoleText(out, highScoreListText(list));
    return ZeptoolOk;
}

int addEntry(const QStringList& arguments, QIODevice& err)
{
    const std::optional<double> start = parseStart(arguments[2]);
    bool durationOk = false;
    const qint32 duration = arguments[3].toInt(&durationOk);
    bool performanceOk = false;
    const double performance = QLocale::c().toDouble(arguments[4], &performanceOk);
    if (!start || !durationOk || duration < 0 || !performanceOk || !(performance >= 0.0 && performance <= 1.0))
        return ZeptoolBadUsage;
    const QString& path = arguments[5];
    const HighScoreEntry entry = localHighScoreEntry(arguments[0], arguments[1], *start, duration, performance);
    if (!retryHighScoreAccess([&] { return appendHighScoreEntry(path, entry); })) {
        writeConsoleText(err, fileUnwritableText(path) + u'\n');
        return ZeptoolFailed;
    }
    return ZeptoolOk;
}

} // namespace

// zeptool hsc FILE.hsc: the list as the high-score window exports it.
// zeptool hsc --add NAME COMPUTER START DURATION_MS PERFORMANCE FILE.hsc: one entry appended as
// the program appends the result of a quiz.
int runHscCommand(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    if (arguments.size() == 1 && !arguments[0].startsWith(QLatin1String("--")))
        return listFile(arguments[0], out, err);
    if (arguments.size() == 7 && arguments[0] == QLatin1String("--add"))
        return addEntry(arguments.mid(1), err);
    return ZeptoolBadUsage;
}
