// The topic menu of a folder of 1000 topic files, measured side by side with what it cannot beat:
// reading the first 512 bytes of each file. Beside it the parts of the rebuild (the folder scan
// with its peeks, the sort) and the sort as it would be with a locale comparison per step, to
// show why the sort compares collation keys worked out beforehand.
// bench/topicmenu.sh runs them and prints the ratio.

#include "app/mainwindow.h"
#include "common/folders.h"
#include "document/topicfolder.h"
#include "document/zepformat.h"
#include "ui/messages.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int topicCount = 1000;

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "bench_topicmenu: %s\n", what);
    std::exit(1);
}

// Message boxes would wait for a click; the benchmark has nobody to click.
class QuietMessages : public MessageService
{
public:
    MessageButton show(MessageKind, const QString&, const QList<MessageButton>& buttons) override
    {
        return buttons.isEmpty() ? MessageButton::None : buttons.first();
    }
};

// 1000 topics with German names in mixed case, umlauts and digits, written in a shuffled order.
const QString& topicFolder()
{
    static QTemporaryDir folder;
    static const QString path = [] {
        if (!folder.isValid())
            fixtureFailed("no temporary folder");
        static const char* const words[] = {"Euro", "münzen", "Flaggen", "Länder", "Äpfel", "apfel", "Zahlen", "übung",
            "Karte", "Österreich", "Wasser", "kreislauf", "Bruch", "rechnen", "Vögel", "Bäume"};
        TopicDocument doc;
        doc.picture = QImage(16, 16, QImage::Format_ARGB32);
        doc.picture.fill(Qt::white);
        quint32 seed = 7;
        for (int i = 0; i < topicCount; ++i) {
            seed = seed * 1664525u + 1013904223u;
            const QString name = QString::fromUtf8(words[(seed >> 8) % 16])
                + QString::fromUtf8(words[(seed >> 16) % 16]) + QString::number((seed >> 4) % 1000)
                + QStringLiteral("-%1.zep").arg(i);
            doc.titel = QStringLiteral("Thema ") + name;
            QFile file(folder.filePath(name));
            if (!file.open(QIODevice::WriteOnly) || !writeTopicFile(file, doc))
                fixtureFailed("cannot write the topic folder");
        }
        return withTrailingSeparator(folder.path());
    }();
    return path;
}

void BM_RebuildTopicMenu(benchmark::State& state)
{
    static QuietMessages messages;
    setMessageService(&messages);
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    TForm1 window(options);
    folders().topicFolder = topicFolder();
    for (auto _ : state) {
        window.rebuildTopicMenu();
        if (window.topicList().size() != topicCount)
            fixtureFailed("the menu does not list every topic");
    }
    setMessageService(nullptr);
}

void BM_ScanTopicFolder(benchmark::State& state)
{
    for (auto _ : state) {
        const QList<TopicEntry> list = scanTopicFolder(topicFolder());
        benchmark::DoNotOptimize(list.size());
    }
}

// Only finding the names, without opening a file.
void BM_ListFolder(benchmark::State& state)
{
    for (auto _ : state) {
        QDirIterator it(topicFolder(), {QStringLiteral("*.zep")}, QDir::Files | QDir::Hidden | QDir::System);
        int n = 0;
        while (it.hasNext()) {
            it.next();
            n += int(it.fileName().size());
        }
        benchmark::DoNotOptimize(n);
    }
}

void BM_SortTopicList(benchmark::State& state)
{
    const QList<TopicEntry> scanned = scanTopicFolder(topicFolder());
    for (auto _ : state) {
        QList<TopicEntry> list = scanned;
        sortTopicList(list);
        benchmark::DoNotOptimize(list.data());
    }
}

// The same selection sort with the collator asked at every comparison.
void BM_SortComparingEachTime(benchmark::State& state)
{
    const QList<TopicEntry> scanned = scanTopicFolder(topicFolder());
    QCollator collator(QLocale(QLocale::German, QLocale::Germany));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    for (auto _ : state) {
        QList<TopicEntry> list = scanned;
        for (qsizetype r = 0; r < list.size(); ++r) {
            qsizetype p = r;
            for (qsizetype s = r + 1; s < list.size(); ++s) {
                if (collator.compare(list.at(s).sortKey, list.at(p).sortKey) < 0)
                    p = s;
            }
            list.swapItemsAt(r, p);
        }
        benchmark::DoNotOptimize(list.data());
    }
}

void BM_ReadFirst512Bytes(benchmark::State& state)
{
    const QStringList names = QDir(topicFolder()).entryList({QStringLiteral("*.zep")}, QDir::Files);
    char buffer[512];
    for (auto _ : state) {
        for (const QString& name : names) {
            QFile file(topicFolder() + name);
            if (!file.open(QIODevice::ReadOnly) || file.read(buffer, sizeof buffer) <= 0)
                fixtureFailed("a topic of the folder does not open");
        }
    }
}

} // namespace

BENCHMARK(BM_RebuildTopicMenu)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadFirst512Bytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScanTopicFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortTopicList)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SortComparingEachTime)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    topicFolder();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
