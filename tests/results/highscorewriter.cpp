// Appends entries to a high-score list as the program enters quiz results, for the tests of
// several programs sharing one list and of a writer killed in the middle of its work.
//
//   highscorewriter FILE TAG COUNT [GOFILE]
//
// Waits until GOFILE exists (when given), so that all writers of a test start together, then
// appends COUNT entries named "TAG-000", "TAG-001", ... (COUNT 0: without end). Entry i has
// Dauer i * 1000 + 7 and Leistung i / 1000, so a reader can tell a whole entry from a mixed one.
// A list held by another writer is tried again as the program does it (five attempts); when all
// five fail the entry is tried again from the start, as a user would press the button again.
// Prints "started" after the first entry and, at the end, how many attempts found the list busy.

#include "results/highscorefile.h"

#include <QFileInfo>
#include <QThread>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: highscorewriter FILE TAG COUNT [GOFILE]\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString tag = QString::fromLocal8Bit(argv[2]);
    const int count = QByteArray(argv[3]).toInt();
    if (argc == 5) {
        const QString go = QString::fromLocal8Bit(argv[4]);
        while (!QFileInfo::exists(go))
            QThread::usleep(500);
    }
    int busy = 0;
    for (int i = 0; count == 0 || i < count; ++i) {
        HighScoreEntry entry;
        entry.Name = QStringLiteral("%1-%2").arg(tag).arg(i, 3, 10, QLatin1Char('0'));
        entry.Rechner = QStringLiteral("Rechner ") + tag;
        entry.Beginn = 45000.5;
        entry.Dauer = i * 1000 + 7;
        entry.Leistung = i / 1000.0;
        int rounds = 0;
        while (!retryHighScoreAccess([&] {
            if (appendHighScoreEntry(file, entry))
                return true;
            ++busy;
            return false;
        })) {
            if (++rounds == 200) {
                std::fprintf(stderr, "highscorewriter: cannot append to %s\n", argv[1]);
                return 1;
            }
        }
        if (i == 0) {
            std::puts("started");
            std::fflush(stdout);
        }
    }
    std::printf("busy %d\n", busy);
    return 0;
}
