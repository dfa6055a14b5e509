// The high-score list file: its bytes, reading with missing keys and cut-off or damaged data,
// the display order against the selection it stands for, appends that fail midway, and many
// programs appending to one list at once.

#include "common/folders.h"
#include "document/binaryio.h"
#include "platform/filelock.h"
#include "results/highscorefile.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <csignal>
#include <limits>
#include <thread>

#include <sys/resource.h>

namespace {

HighScoreEntry entry(const QString& name, double leistung, qint32 dauer, double beginn = 45000.25)
{
    HighScoreEntry e;
    e.Name = name;
    e.Rechner = QStringLiteral("PC-") + name;
    e.Beginn = beginn;
    e.Dauer = dauer;
    e.Leistung = leistung;
    e.Ende = highScoreEnd(beginn, dauer);
    return e;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A list file put together field by field.
class Bytes
{
public:
    Bytes()
        : m_buffer(&m_bytes)
        , m_out(m_buffer)
    {
        m_buffer.open(QIODevice::WriteOnly);
    }
    Bytes& text(const QString& value)
    {
        m_out.writeString(value);
        return *this;
    }
    Bytes& number(qint32 value)
    {
        m_out.writeInt32(value);
        return *this;
    }
    Bytes& real(double value)
    {
        m_out.writeDouble(value);
        return *this;
    }
    Bytes& header(const char* keys = highScoreKeyList)
    {
        return text(QString::fromLatin1(highScoreMagic)).text(QString::fromLatin1(keys));
    }
    Bytes& fullEntry(const HighScoreEntry& e)
    {
        return text(e.Name).text(e.Rechner).real(e.Beginn).number(e.Dauer).real(e.Leistung);
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    QBuffer m_buffer;
    BinaryWriter m_out;
};

bool parse(const QByteArray& bytes, HighScoreList& list)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readHighScoreList(buffer, list);
}

// The order as a plain selection sort gives it: for each position, scan the rest of the list
// for the best entry, the earlier of two equal ones staying best, and exchange.
void selectionSort(HighScoreList& list)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        qsizetype best = i;
        for (qsizetype j = i + 1; j < list.size(); ++j) {
            if (list[j].Leistung > list[best].Leistung
                || (list[j].Leistung == list[best].Leistung && list[j].Dauer < list[best].Dauer))
                best = j;
        }
        list.swapItemsAt(i, best);
    }
}

QStringList names(const HighScoreList& list)
{
    QStringList result;
    for (const HighScoreEntry& e : list)
        result.append(e.Name);
    return result;
}

// Restores the file size limit however the test ends.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        // Beyond the limit a write fails with EFBIG instead of ending the process.
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old {};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(HighScoreEntry)

class TestHighScoreFile : public QObject
{
    Q_OBJECT

private slots:
    void newFileHoldsHeaderAndOneEntry();
    void blankNames_data();
    void blankNames();
    void endTime_data();
    void endTime();
    void missingKeys_data();
    void missingKeys();
    void badHeaders_data();
    void badHeaders();
    void manyEntriesRoundTrip();
    void cutOffListsReadAndTakeTheNextEntry();
    void damagedListIsNotAppendedTo();
    void appendTakesTheFileOwnKeyList();
    void failedAppendLeavesFileAsItWas_data();
    void failedAppendLeavesFileAsItWas();
    void appendNeverCreatesTheFolder();
    void fileNames_data();
    void fileNames();
    void sortExample();
    void sortMatchesSelection();
    void busyFileFailsAndRetryWaits();
    void retryFindsTheFileFreed();
    void sixteenWritersAppendEveryEntry();
    void killedWriterLeavesReadableList();
};

void TestHighScoreFile::newFileHoldsHeaderAndOneEntry()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Herz.hsc"));
    const HighScoreEntry first = entry(QStringLiteral("Jürgen"), 0.875, 187000);
    QVERIFY(appendHighScoreEntry(path, first));
    QCOMPARE(readFile(path), Bytes().header().fullEntry(first).bytes());

    const HighScoreEntry second = entry(QStringLiteral("Anna"), 1.0, 60000, 45001.5);
    QVERIFY(appendHighScoreEntry(path, second));
    QCOMPARE(readFile(path), Bytes().header().fullEntry(first).fullEntry(second).bytes());

    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(list, HighScoreList({first, second}));
}

void TestHighScoreFile::blankNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("empty") << QString() << QStringLiteral("(kein Name)");
    QTest::newRow("blanks") << QStringLiteral("    ") << QStringLiteral("(kein Name)");
    QTest::newRow("tab and blank") << QStringLiteral("\t ") << QStringLiteral("(kein Name)");
    QTest::newRow("blanks around a name kept") << QStringLiteral("  Anna ") << QStringLiteral("  Anna ");
    QTest::newRow("no-break space is a character") << QStringLiteral("\u00a0") << QStringLiteral("\u00a0");
}

void TestHighScoreFile::blankNames()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QVERIFY(appendHighScoreEntry(path, localHighScoreEntry(name, QStringLiteral("PC"), 45000, 1000, 0.5)));
    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].Name, stored);
}

void TestHighScoreFile::endTime_data()
{
    QTest::addColumn<qint32>("dauer");
    QTest::addColumn<int>("seconds");
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("999 ms") << 999 << 0;
    QTest::newRow("59999 ms") << 59999 << 59;
    QTest::newRow("60000 ms") << 60000 << 60;
    QTest::newRow("two hours and a bit") << 7500999 << 7500;
    QTest::newRow("negative cut towards zero") << -1500 << -1;
}

void TestHighScoreFile::endTime()
{
    QFETCH(qint32, dauer);
    QFETCH(int, seconds);
    const double beginn = 45000.5;
    HighScoreList list;
    QVERIFY(parse(Bytes().header().fullEntry(entry(QStringLiteral("x"), 0.5, dauer, beginn)).bytes(), list));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].Ende, beginn + seconds / 86400.0);
}

void TestHighScoreFile::missingKeys_data()
{
    QTest::addColumn<QByteArray>("keys");
    QTest::addColumn<QByteArray>("entryBytes");
    QTest::addColumn<HighScoreEntry>("expected");

    const HighScoreEntry noDauer = entry(QStringLiteral("Ole"), 0.75, 0, 45000.5);
    QTest::newRow("without HSC-Dauer")
        << QByteArray("|HSC-Name|HSC-Rechner|HSC-Beginn|HSC-Leistung|")
        << Bytes().text(noDauer.Name).text(noDauer.Rechner).real(noDauer.Beginn).real(noDauer.Leistung).bytes()
        << noDauer;

    HighScoreEntry onlyName;
    onlyName.Name = QStringLiteral("Nur Name");
    QTest::newRow("only the name, among unknown keys")
        << QByteArray("|Andere|HSC-Name|") << Bytes().text(onlyName.Name).bytes() << onlyName;
}

void TestHighScoreFile::missingKeys()
{
    QFETCH(QByteArray, keys);
    QFETCH(QByteArray, entryBytes);
    QFETCH(HighScoreEntry, expected);
    HighScoreList list;
    QVERIFY(parse(Bytes().header(keys.constData()).bytes() + entryBytes + entryBytes, list));
    QCOMPARE(list, HighScoreList({expected, expected}));
    QCOMPARE(list[0].Ende, list[0].Beginn);
}

void TestHighScoreFile::badHeaders_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("appendable");
    const QByteArray oneEntry = Bytes().fullEntry(entry(QStringLiteral("x"), 1, 1)).bytes();
    // An empty file or part of our header is a first write cut off: the next one starts afresh.
    QTest::newRow("empty file") << QByteArray() << false << true;
    QTest::newRow("magic without key list")
        << Bytes().text(QString::fromLatin1(highScoreMagic)).bytes() << false << true;
    QTest::newRow("foreign magic") << Bytes().text(QStringLiteral("ZEP-HSC-2.00")).bytes() + oneEntry << false << false;
    QTest::newRow("topic document") << Bytes().text(QStringLiteral("ALF-1.00")).bytes() << false << false;
    QTest::newRow("negative magic length") << Bytes().number(-12).bytes() << false << false;
    QTest::newRow("header only") << Bytes().header().bytes() << true << true;
    // Entries of no bytes could never use the data up.
    QTest::newRow("no known key, data after it") << Bytes().header("|HSC-Klasse|").number(3).bytes() << false << false;
    QTest::newRow("no known key, nothing after it") << Bytes().header("|HSC-Klasse|").bytes() << true << false;
}

void TestHighScoreFile::badHeaders()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, readable);
    QFETCH(bool, appendable);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QVERIFY(writeFile(path, file));
    HighScoreList list {entry(QStringLiteral("alt"), 1, 1)};
    QCOMPARE(readHighScoreFile(path, list), readable);
    QVERIFY(list.isEmpty());
    // Something that is no list of ours is not added to.
    const HighScoreEntry next = entry(QStringLiteral("neu"), 1, 1);
    QCOMPARE(appendHighScoreEntry(path, next), appendable);
    if (appendable) {
        QVERIFY(readHighScoreFile(path, list));
        QCOMPARE(list, HighScoreList {next});
    } else {
        QCOMPARE(readFile(path), file);
    }
}

void TestHighScoreFile::manyEntriesRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    HighScoreList written;
    for (int i = 0; i < 250; ++i) {
        written.append(entry(QStringLiteral("Teilnehmer %1 – „ä€“").arg(i), i / 250.0, i * 997, 45000 + i / 7.0));
        QVERIFY(appendHighScoreEntry(path, written.last()));
    }
    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(list, written);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(writeHighScoreList(buffer, written));
    QCOMPARE(buffer.data(), readFile(path));
}

void TestHighScoreFile::cutOffListsReadAndTakeTheNextEntry()
{
    const HighScoreList entries = {entry(QStringLiteral("Eins"), 0.5, 1000), entry(QStringLiteral("Zwei"), 0.6, 2000),
        entry(QStringLiteral("Drei"), 0.7, 3000)};
    QByteArray whole = Bytes().header().bytes();
    QList<qsizetype> ends {whole.size()};
    for (const HighScoreEntry& e : entries) {
        whole += Bytes().fullEntry(e).bytes();
        ends.append(whole.size());
    }
    const HighScoreEntry next = entry(QStringLiteral("Vier"), 0.8, 4000);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    // Every length a crash or a full disk can leave behind.
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        const QByteArray file = whole.left(cut);
        qsizetype complete = 0;
        while (complete + 1 < ends.size() && ends[complete + 1] <= cut)
            ++complete;
        const bool headerWhole = cut >= ends[0];

        HighScoreList list;
        QCOMPARE(parse(file, list), headerWhole);
        QCOMPARE(list, entries.mid(0, headerWhole ? complete : 0));

        QVERIFY(writeFile(path, file));
        QVERIFY2(appendHighScoreEntry(path, next), qPrintable(QString::number(cut)));
        QVERIFY(readHighScoreFile(path, list));
        QCOMPARE(list, entries.mid(0, headerWhole ? complete : 0) + HighScoreList {next});
    }
}

void TestHighScoreFile::damagedListIsNotAppendedTo()
{
    // A negative text length is no cut: what follows it may be worth saving by hand.
    const QByteArray file = Bytes()
                                .header()
                                .fullEntry(entry(QStringLiteral("Eins"), 0.5, 1000))
                                .number(-5)
                                .text(QStringLiteral("Rest"))
                                .real(1)
                                .number(2)
                                .real(3)
                                .bytes();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QVERIFY(writeFile(path, file));
    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(names(list), QStringList {QStringLiteral("Eins")});
    QVERIFY(!appendHighScoreEntry(path, entry(QStringLiteral("Zwei"), 1, 1)));
    QCOMPARE(readFile(path), file);
}

void TestHighScoreFile::appendTakesTheFileOwnKeyList()
{
    const char* keys = "|HSC-Name|HSC-Beginn|HSC-Leistung|";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QVERIFY(writeFile(path, Bytes().header(keys).text(QStringLiteral("Alt")).real(45000).real(0.5).bytes()));
    QVERIFY(appendHighScoreEntry(path, entry(QStringLiteral("Neu"), 0.25, 5000, 45001)));
    QCOMPARE(readFile(path),
        Bytes()
            .header(keys)
            .text(QStringLiteral("Alt"))
            .real(45000)
            .real(0.5)
            .text(QStringLiteral("Neu"))
            .real(45001)
            .real(0.25)
            .bytes());
}

void TestHighScoreFile::failedAppendLeavesFileAsItWas_data()
{
    QTest::addColumn<int>("entriesBefore");
    QTest::addColumn<int>("room");
    QTest::newRow("new file, nothing fits") << -1 << 0;
    QTest::newRow("new file, part of the header fits") << -1 << 10;
    QTest::newRow("new file, part of the entry fits") << -1 << 90;
    QTest::newRow("list, nothing fits") << 3 << 0;
    QTest::newRow("list, the name fits") << 3 << 12;
    QTest::newRow("list, all but the last byte fits") << 3 << 36;
}

void TestHighScoreFile::failedAppendLeavesFileAsItWas()
{
    QFETCH(int, entriesBefore);
    QFETCH(int, room);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    for (int i = 0; i < entriesBefore; ++i)
        QVERIFY(appendHighScoreEntry(path, entry(QStringLiteral("E%1").arg(i), 0.5, i)));
    const QByteArray before = readFile(path);
    const HighScoreEntry next = entry(QStringLiteral("Neu"), 0.9, 1234);
    {
        // A disk that fills up room bytes further on.
        FileSizeLimit limit(rlim_t(before.size() + room));
        QVERIFY(!appendHighScoreEntry(path, next));
    }
    QCOMPARE(readFile(path), before);
    // The next try, with room again, finds a list that takes it.
    QVERIFY(appendHighScoreEntry(path, next));
    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(list.size(), std::max(entriesBefore, 0) + 1);
    QCOMPARE(list.last(), next);
}

void TestHighScoreFile::appendNeverCreatesTheFolder()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fehlt/a.hsc"));
    QVERIFY(!appendHighScoreEntry(path, entry(QStringLiteral("x"), 1, 1)));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("fehlt"))));
    // A folder under the list's name is no list.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("b.hsc")));
    QVERIFY(!appendHighScoreEntry(dir.filePath(QStringLiteral("b.hsc")), entry(QStringLiteral("x"), 1, 1)));
    HighScoreList list;
    QVERIFY(!readHighScoreFile(dir.filePath(QStringLiteral("b.hsc")), list));
}

void TestHighScoreFile::fileNames_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<bool>("network");
    QTest::addColumn<QString>("expected");
    QTest::newRow("topic") << QStringLiteral("/daten/themen/Herz.zep") << false << QStringLiteral("/listen/Herz.hsc");
    QTest::newRow("only the last extension")
        << QStringLiteral("/t/Flüsse.Europa.zep") << false << QStringLiteral("/listen/Flüsse.Europa.hsc");
    QTest::newRow("no extension") << QStringLiteral("/t/Herz") << false << QStringLiteral("/listen/Herz.hsc");
    QTest::newRow("network") << QStringLiteral("/t/Herz.zep") << true << QStringLiteral("/kom/ZEP-1-zepnetzuebung.hsc");
}

void TestHighScoreFile::fileNames()
{
    QFETCH(QString, document);
    QFETCH(bool, network);
    QFETCH(QString, expected);
    FolderLayout layout;
    layout.highScoreFolder = QStringLiteral("/listen/");
    layout.commFolder = QStringLiteral("/kom/");
    layout.commChannel = QStringLiteral("ZEP-1");
    QCOMPARE(highScoreFileName(layout, document, network), expected);
}

void TestHighScoreFile::sortExample()
{
    HighScoreList list = {entry(QStringLiteral("slow"), 0.8, 90000), entry(QStringLiteral("fast"), 0.8, 60000),
        entry(QStringLiteral("best"), 0.9, 999999)};
    sortHighScoreList(list);
    QCOMPARE(names(list), QStringList({QStringLiteral("best"), QStringLiteral("fast"), QStringLiteral("slow")}));
}

void TestHighScoreFile::sortMatchesSelection()
{
    // Few distinct keys make many ties, where a selection sort's exchanges decide the order; a
    // stable sort or any other tie rule fails here. Values that compare oddly (NaN, -0.0, the
    // extremes) are in the mix.
    const double performances[] = {0.0, -0.0, 0.5, 0.8, 1.0, std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(), -1.0};
    const qint32 durations[]
        = {0, 60000, 90000, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    QRandomGenerator random(20240503);
    for (int round = 0; round < 600; ++round) {
        const int size = round < 40 ? round : int(random.bounded(1, 400));
        const int distinctPerformances = int(random.bounded(1, 9));
        const bool withNaN = random.bounded(3) == 0;
        HighScoreList list;
        for (int i = 0; i < size; ++i) {
            double p = performances[random.bounded(distinctPerformances)];
            if (std::isnan(p) && !withNaN)
                p = 0.25;
            list.append(entry(QString::number(i), p, durations[random.bounded(1 + int(random.bounded(5)))]));
        }
        HighScoreList expected = list;
        selectionSort(expected);
        sortHighScoreList(list);
        QCOMPARE(names(list), names(expected));
    }
}

void TestHighScoreFile::busyFileFailsAndRetryWaits()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QVERIFY(appendHighScoreEntry(path, entry(QStringLiteral("x"), 1, 1)));
    const QByteArray before = readFile(path);

    QFile writer(path);
    QCOMPARE(openShared(writer, QIODevice::ReadWrite, FileShare::DenyAll), SharedOpen::Opened);
    HighScoreList list;
    QVERIFY(!readHighScoreFile(path, list));
    QVERIFY(!appendHighScoreEntry(path, entry(QStringLiteral("y"), 1, 1)));
    writer.close();

    QFile reader(path);
    QCOMPARE(openShared(reader, QIODevice::ReadOnly, FileShare::DenyWrite), SharedOpen::Opened);
    QVERIFY(readHighScoreFile(path, list));
    int attempts = 0;
    const quint32 start = systemTick().now();
    QVERIFY(!retryHighScoreAccess([&] {
        ++attempts;
        return appendHighScoreEntry(path, entry(QStringLiteral("y"), 1, 1));
    }));
    // Five attempts and a pause after each of them, the last included.
    QCOMPARE(attempts, 5);
    QVERIFY(ticksSince(start, systemTick().now()) >= 500);
    QCOMPARE(readFile(path), before);
}

void TestHighScoreFile::retryFindsTheFileFreed()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QVERIFY(appendHighScoreEntry(path, entry(QStringLiteral("x"), 1, 1)));
    std::atomic<bool> held = false;
    // Another program reads the list for a quarter of a second.
    std::thread other([&] {
        QFile file(path);
        if (openShared(file, QIODevice::ReadOnly, FileShare::DenyWrite) != SharedOpen::Opened)
            return;
        held = true;
        QThread::msleep(250);
    });
    while (!held)
        QThread::msleep(1);
    int attempts = 0;
    const bool saved = retryHighScoreAccess([&] {
        ++attempts;
        return appendHighScoreEntry(path, entry(QStringLiteral("y"), 1, 1));
    });
    other.join();
    QVERIFY(saved);
    QVERIFY2(attempts >= 2 && attempts <= 5, qPrintable(QString::number(attempts)));
    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(list.size(), 2);
}

void TestHighScoreFile::sixteenWritersAppendEveryEntry()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZEP-1-zepnetzuebung.hsc"));
    const QString go = dir.filePath(QStringLiteral("go"));
    constexpr int writers = 16;
    constexpr int perWriter = 100;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 0; w < writers; ++w) {
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(HIGHSCORE_WRITER),
            {path, QStringLiteral("w%1").arg(w, 2, 10, QLatin1Char('0')), QString::number(perWriter), go});
        QVERIFY2(process->waitForStarted(10000), qPrintable(process->errorString()));
        processes.push_back(std::move(process));
    }
    QVERIFY(writeFile(go, {}));
    for (auto& process : processes) {
        QVERIFY(process->waitForFinished(100000));
        QCOMPARE(process->exitStatus(), QProcess::NormalExit);
        QVERIFY2(process->exitCode() == 0, process->readAllStandardError().constData());
    }

    HighScoreList list;
    QVERIFY(readHighScoreFile(path, list));
    QCOMPARE(list.size(), writers * perWriter);
    QSet<QString> seen;
    for (const HighScoreEntry& e : list) {
        const QString tag = e.Name.left(3);
        const int i = e.Name.mid(4).toInt();
        QCOMPARE(e.Rechner, QStringLiteral("Rechner ") + tag);
        QCOMPARE(e.Dauer, i * 1000 + 7);
        QCOMPARE(e.Leistung, i / 1000.0);
        QCOMPARE(e.Beginn, 45000.5);
        seen.insert(e.Name);
    }
    QCOMPARE(seen.size(), writers * perWriter);
}

void TestHighScoreFile::killedWriterLeavesReadableList()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.hsc"));
    QRandomGenerator random(7);
    int before = 0;
    for (int round = 0; round < 12; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(HIGHSCORE_WRITER),
            {path, QStringLiteral("k%1").arg(round, 2, 10, QLatin1Char('0')), QStringLiteral("0")});
        QVERIFY2(writer.waitForStarted(10000), qPrintable(writer.errorString()));
        while (!writer.canReadLine())
            QVERIFY2(writer.waitForReadyRead(10000), "the writer did not report its first entry");
        QThread::msleep(random.bounded(40));
        writer.kill();
        QVERIFY(writer.waitForFinished(5000));

        HighScoreList list;
        QVERIFY(readHighScoreFile(path, list));
        QVERIFY(list.size() > before);
        for (const HighScoreEntry& e : list) {
            const int i = e.Name.mid(4).toInt();
            QCOMPARE(e.Rechner, QStringLiteral("Rechner ") + e.Name.left(3));
            QCOMPARE(e.Dauer, i * 1000 + 7);
        }
        before = int(list.size());
        // Whatever the kill left, the next entry goes where readers find it.
        HighScoreEntry extra = entry(QStringLiteral("k99-000"), 0, 7);
        extra.Rechner = QStringLiteral("Rechner k99");
        QVERIFY(appendHighScoreEntry(path, extra));
        QVERIFY(readHighScoreFile(path, list));
        QCOMPARE(list.size(), before + 1);
        ++before;
    }
}

QTEST_GUILESS_MAIN(TestHighScoreFile)
#include "tst_highscorefile.moc"
