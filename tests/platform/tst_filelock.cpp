// Files in folders that others can write to: the share-mode stand-in (which openings of one file
// exclude each other, and that the lock lasts exactly as long as the opening that took it), and
// what a pupil may plant under a file's name in the network exercise's folder: a link to one of
// the teacher's files, a link to nowhere, a pipe, a folder.

#include "platform/filelock.h"
#include "platform/sharedfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class Planted { Nothing, OldFile, LinkToFile, DanglingLink, Pipe, Folder };

// Plants what under path; the teacher's file a link may point at is target.
bool plant(Planted what, const QString& path, const QString& target)
{
    QFile teachers(target);
    if (!teachers.open(QIODevice::WriteOnly) || teachers.write("Notenliste") != 10)
        return false;
    teachers.close();
    const QByteArray name = QFile::encodeName(path);
    switch (what) {
    case Planted::Nothing:
        return true;
    case Planted::OldFile:
        return QFile::copy(target, path);
    case Planted::LinkToFile:
        return ::symlink(QFile::encodeName(target).constData(), name.constData()) == 0;
    case Planted::DanglingLink:
        return QFile::remove(target) && ::symlink(QFile::encodeName(target).constData(), name.constData()) == 0;
    case Planted::Pipe:
        return ::mkfifo(name.constData(), 0666) == 0;
    case Planted::Folder:
        return QDir().mkdir(path);
    }
    return false;
}

// The teacher's file as plant() left it: untouched, or still missing behind a dangling link.
bool targetUntouched(Planted what, const QString& target)
{
    if (what == Planted::DanglingLink)
        return !QFile::exists(target);
    QFile file(target);
    return file.open(QIODevice::ReadOnly) && file.readAll() == "Notenliste";
}

} // namespace

Q_DECLARE_METATYPE(FileShare)
Q_DECLARE_METATYPE(SharedOpen)
Q_DECLARE_METATYPE(Planted)

class TestFileLock : public QObject
{
    Q_OBJECT

private slots:
    void conflicts_data();
    void conflicts();
    void closingReleases();
    void closingAnotherDescriptorKeepsTheLock();
    void missingFile();
    void openRefusesPlantedEntries_data();
    void openRefusesPlantedEntries();
    void writeReplacesPlantedEntries_data();
    void writeReplacesPlantedEntries();
    void readTakesOnlyRegularFiles_data();
    void readTakesOnlyRegularFiles();
    void folderWritableByOthers_data();
    void folderWritableByOthers();
};

void TestFileLock::conflicts_data()
{
    QTest::addColumn<FileShare>("first");
    QTest::addColumn<FileShare>("second");
    QTest::addColumn<SharedOpen>("expected");
    QTest::newRow("reader, reader") << FileShare::DenyWrite << FileShare::DenyWrite << SharedOpen::Opened;
    QTest::newRow("reader, writer") << FileShare::DenyWrite << FileShare::DenyAll << SharedOpen::InUse;
    QTest::newRow("writer, reader") << FileShare::DenyAll << FileShare::DenyWrite << SharedOpen::InUse;
    QTest::newRow("writer, writer") << FileShare::DenyAll << FileShare::DenyAll << SharedOpen::InUse;
}

void TestFileLock::conflicts()
{
    QFETCH(FileShare, first);
    QFETCH(FileShare, second);
    QFETCH(SharedOpen, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.hsc"));
    const auto modeFor
        = [](FileShare share) { return share == FileShare::DenyAll ? QIODevice::ReadWrite : QIODevice::ReadOnly; };
    QFile create(path);
    QVERIFY(create.open(QIODevice::WriteOnly));
    create.close();

    // Two openings in one process exclude each other just as two programs do.
    QFile a(path);
    QFile b(path);
    QCOMPARE(openShared(a, modeFor(first), first), SharedOpen::Opened);
    QCOMPARE(openShared(b, modeFor(second), second), expected);
    QCOMPARE(b.isOpen(), expected == SharedOpen::Opened);
}

void TestFileLock::closingReleases()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.hsc"));
    QFile writer(path);
    QCOMPARE(openShared(writer, QIODevice::ReadWrite, FileShare::DenyAll), SharedOpen::Opened);
    QFile reader(path);
    QCOMPARE(openShared(reader, QIODevice::ReadOnly, FileShare::DenyWrite), SharedOpen::InUse);
    writer.close();
    QCOMPARE(openShared(reader, QIODevice::ReadOnly, FileShare::DenyWrite), SharedOpen::Opened);
}

void TestFileLock::closingAnotherDescriptorKeepsTheLock()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("liste.hsc"));
    QFile writer(path);
    QCOMPARE(openShared(writer, QIODevice::ReadWrite, FileShare::DenyAll), SharedOpen::Opened);
    // A process lock would vanish here, when any descriptor of the file in the process closes.
    {
        QFile glance(path);
        QVERIFY(glance.open(QIODevice::ReadOnly));
        glance.close();
    }
    QFile reader(path);
    QCOMPARE(openShared(reader, QIODevice::ReadOnly, FileShare::DenyWrite), SharedOpen::InUse);
}

void TestFileLock::missingFile()
{
    QTemporaryDir dir;
    QFile reader(dir.filePath(QStringLiteral("fehlt.hsc")));
    QCOMPARE(openShared(reader, QIODevice::ReadOnly, FileShare::DenyWrite), SharedOpen::Failed);
    QFile inMissingFolder(dir.filePath(QStringLiteral("fehlt/liste.hsc")));
    QCOMPARE(openShared(inMissingFolder, QIODevice::ReadWrite, FileShare::DenyAll), SharedOpen::Failed);
    QFile writer(dir.filePath(QStringLiteral("neu.hsc")));
    QCOMPARE(openShared(writer, QIODevice::ReadWrite, FileShare::DenyAll), SharedOpen::Opened);
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("neu.hsc"))));
}

void TestFileLock::openRefusesPlantedEntries_data()
{
    QTest::addColumn<Planted>("planted");
    QTest::addColumn<bool>("writer");
    for (const bool writer : {false, true}) {
        const char* side = writer ? "writer" : "reader";
        QTest::addRow("%s: link to a teacher's file", side) << Planted::LinkToFile << writer;
        QTest::addRow("%s: link to nowhere", side) << Planted::DanglingLink << writer;
        QTest::addRow("%s: pipe", side) << Planted::Pipe << writer;
        QTest::addRow("%s: folder", side) << Planted::Folder << writer;
    }
}

// Whatever is planted under a list's name, opening it fails at once, and nothing is written or
// created through a link.
void TestFileLock::openRefusesPlantedEntries()
{
    QFETCH(Planted, planted);
    QFETCH(bool, writer);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("klasse.hsc"));
    const QString target = dir.filePath(QStringLiteral("lehrer.txt"));
    QVERIFY(plant(planted, path, target));
    QFile file(path);
    QElapsedTimer clock;
    clock.start();
    const SharedOpen result = writer ? openShared(file, QIODevice::ReadWrite, FileShare::DenyAll)
                                     : openShared(file, QIODevice::ReadOnly, FileShare::DenyWrite);
    QCOMPARE(result, SharedOpen::Failed);
    QVERIFY(!file.isOpen());
    QVERIFY(clock.elapsed() < 5000); // a pipe did not make it wait for a writer
    QVERIFY(targetUntouched(planted, target));
}

void TestFileLock::writeReplacesPlantedEntries_data()
{
    QTest::addColumn<Planted>("planted");
    QTest::newRow("nothing") << Planted::Nothing;
    QTest::newRow("an old file") << Planted::OldFile;
    QTest::newRow("link to a teacher's file") << Planted::LinkToFile;
    QTest::newRow("link to nowhere") << Planted::DanglingLink;
    QTest::newRow("pipe") << Planted::Pipe;
}

// A published file takes the place of whatever stood under its name, as a regular file everyone
// can read, and the teacher's file behind a link is left as it was.
void TestFileLock::writeReplacesPlantedEntries()
{
    QFETCH(Planted, planted);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZEP-1-zepnetzuebung.zep"));
    const QString target = dir.filePath(QStringLiteral("lehrer.txt"));
    QVERIFY(plant(planted, path, target));
    QVERIFY(writeSharedFileAtomically(path, [](QIODevice& device) { return device.write("Thema") == 5; }));
    const QFileInfo info(path);
    QVERIFY(info.isFile() && !info.isSymLink());
    QVERIFY(info.permissions().testFlag(QFileDevice::ReadOther));
    QCOMPARE(readSharedFile(path, 100), std::optional<QByteArray>("Thema"));
    QVERIFY(targetUntouched(planted, target));
    // Nothing of the writing is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
        planted == Planted::DanglingLink ? 1 : 2);

    // A failed write leaves the file as it was.
    QVERIFY(!writeSharedFileAtomically(path, [](QIODevice& device) { return device.write("halb") < 0; }));
    QCOMPARE(readSharedFile(path, 100), std::optional<QByteArray>("Thema"));
}

void TestFileLock::readTakesOnlyRegularFiles_data()
{
    QTest::addColumn<Planted>("planted");
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("read");
    QTest::newRow("a file") << Planted::OldFile << qint64(10) << true;
    QTest::newRow("a file above the limit") << Planted::OldFile << qint64(9) << false;
    QTest::newRow("link to a teacher's file") << Planted::LinkToFile << qint64(100) << false;
    QTest::newRow("link to nowhere") << Planted::DanglingLink << qint64(100) << false;
    QTest::newRow("pipe") << Planted::Pipe << qint64(100) << false;
    QTest::newRow("folder") << Planted::Folder << qint64(100) << false;
}

void TestFileLock::readTakesOnlyRegularFiles()
{
    QFETCH(Planted, planted);
    QFETCH(qint64, limit);
    QFETCH(bool, read);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZEP-1-zepnetzuebung.dat"));
    QVERIFY(plant(planted, path, dir.filePath(QStringLiteral("lehrer.txt"))));
    QElapsedTimer clock;
    clock.start();
    const std::optional<QByteArray> content = readSharedFile(path, limit);
    QCOMPARE(content.has_value(), read);
    if (read)
        QCOMPARE(*content, QByteArray("Notenliste"));
    QVERIFY(clock.elapsed() < 5000);
}

void TestFileLock::folderWritableByOthers_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("others");
    QTest::newRow("the owner's alone") << 0755 << false;
    QTest::newRow("the group may write") << 0775 << true;
    QTest::newRow("everyone may write") << 0757 << true;
    QTest::newRow("everyone, sticky") << 01777 << true;
}

void TestFileLock::folderWritableByOthers()
{
    QFETCH(int, mode);
    QFETCH(bool, others);
    QTemporaryDir dir;
    QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), mode_t(mode)) == 0);
    QCOMPARE(othersMayWriteFolder(dir.path()), others);
    QVERIFY(!othersMayWriteFolder(dir.filePath(QStringLiteral("fehlt"))));
}

QTEST_GUILESS_MAIN(TestFileLock)
#include "tst_filelock.moc"
