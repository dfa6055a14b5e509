// A high-score list of 10 000 entries: reading it against reading the file's bytes alone, the
// display order against the selection sort it stands for, appending one entry, and opening the
// list window on it (read, sort, fill the grid, show and paint).
// bench/highscore.sh runs them and prints the medians, the ratio and the limits.

#include "results/highscorefile.h"
#include "results/ui/bestlistform.h"
#include "ui/messages.h"

#include <QApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int entryCount = 10000;

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "bench_highscore: %s\n", what);
    std::exit(1);
}

// A school's list after a few years: 30 pupils of a class on 15 computers, performances in steps
// of 5 %, so that many entries tie on performance and some on time as well.
HighScoreList schoolList()
{
    static const char* const first[] = {"Anna", "Ben", "Clara", "David", "Emma", "Felix", "Greta", "Hannes", "Ida",
        "Jonas", "Karla", "Lukas", "Mia", "Noah", "Özlem", "Paul"};
    static const char* const last[] = {"Müller", "Schröder", "Weiß", "Öztürk", "Becker", "Hoffmann"};
    QRandomGenerator random(2006);
    HighScoreList list;
    for (int i = 0; i < entryCount; ++i) {
        const int pupil = int(random.bounded(30));
        HighScoreEntry entry;
        entry.Name = QString::fromUtf8(first[pupil % 16]) + u' ' + QString::fromUtf8(last[pupil % 6]);
        entry.Rechner = QStringLiteral("RAUM204-PC%1").arg(random.bounded(1, 16), 2, 10, QLatin1Char('0'));
        entry.Beginn = 44000.3 + i * 0.1;
        entry.Dauer = int(random.bounded(40, 900)) * 1000 + int(random.bounded(1000));
        entry.Leistung = random.bounded(21) / 20.0;
        list.append(entry);
    }
    return list;
}

QTemporaryDir& folder()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        fixtureFailed("no temporary folder");
    return dir;
}

const QString& listFile()
{
    static const QString path = [] {
        const QString file = folder().filePath(QStringLiteral("Herz.hsc"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || !writeHighScoreList(out, schoolList()))
            fixtureFailed("cannot write the list");
        return file;
    }();
    return path;
}

class QuietMessages : public MessageService
{
public:
    MessageButton show(MessageKind, const QString&, const QList<MessageButton>& buttons) override
    {
        return buttons.isEmpty() ? MessageButton::None : buttons.first();
    }
};

void BM_ReadHighScoreFile(benchmark::State& state)
{
    HighScoreList list;
    for (auto _ : state) {
        if (!readHighScoreFile(listFile(), list) || list.size() != entryCount)
            fixtureFailed("the list does not read");
    }
}

void BM_ReadFileBytes(benchmark::State& state)
{
    for (auto _ : state) {
        QFile file(listFile());
        if (!file.open(QIODevice::ReadOnly))
            fixtureFailed("the list does not open");
        const QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes.constData());
    }
}

void BM_SortHighScoreList(benchmark::State& state)
{
    const HighScoreList unsorted = schoolList();
    for (auto _ : state) {
        state.PauseTiming();
        HighScoreList list = unsorted;
        list.detach();
        state.ResumeTiming();
        sortHighScoreList(list);
        benchmark::DoNotOptimize(list.constData());
    }
}

// The selection sort as the order is defined, scanning the rest of the list at every position.
void BM_SelectionSortAsDefined(benchmark::State& state)
{
    const HighScoreList unsorted = schoolList();
    for (auto _ : state) {
        state.PauseTiming();
        HighScoreList list = unsorted;
        list.detach();
        state.ResumeTiming();
        for (qsizetype i = 0; i < list.size(); ++i) {
            qsizetype best = i;
            for (qsizetype j = i + 1; j < list.size(); ++j) {
                if (list[j].Leistung > list[best].Leistung
                    || (list[j].Leistung == list[best].Leistung && list[j].Dauer < list[best].Dauer))
                    best = j;
            }
            list.swapItemsAt(i, best);
        }
        benchmark::DoNotOptimize(list.constData());
    }
}

void BM_AppendHighScoreEntry(benchmark::State& state)
{
    const QString file = folder().filePath(QStringLiteral("Anhang.hsc"));
    QFile::remove(file);
    if (!QFile::copy(listFile(), file))
        fixtureFailed("cannot copy the list");
    HighScoreEntry entry;
    entry.Name = QStringLiteral("Özlem Müller");
    entry.Rechner = QStringLiteral("RAUM204-PC07");
    entry.Beginn = 45000.5;
    entry.Dauer = 187000;
    entry.Leistung = 0.85;
    for (auto _ : state) {
        if (!appendHighScoreEntry(file, entry))
            fixtureFailed("the entry was not appended");
    }
}

// What "&Bestenliste..." does before the user sees the list: read, sort, fill the grid, show and
// paint the window (created once, as the main window keeps it).
void BM_OpenListWindow(benchmark::State& state)
{
    static QuietMessages messages;
    setMessageService(&messages);
    TBestListForm form;
    HighScoreList list;
    for (auto _ : state) {
        if (!readHighScoreFile(listFile(), list))
            fixtureFailed("the list does not read");
        sortHighScoreList(list);
        form.setEntries(list);
        form.show();
        form.repaint();
        QCoreApplication::processEvents();
        state.PauseTiming();
        form.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    setMessageService(nullptr);
}

} // namespace

BENCHMARK(BM_ReadHighScoreFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortHighScoreList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SelectionSortAsDefined)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_AppendHighScoreEntry)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenListWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    listFile();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
