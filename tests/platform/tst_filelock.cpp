// The share-mode stand-in: which openings of one file exclude each other, and that the lock
// lasts exactly as long as the opening that took it.

#include "platform/filelock.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(FileShare)
Q_DECLARE_METATYPE(SharedOpen)

class TestFileLock : public QObject
{
    Q_OBJECT

private slots:
    void conflicts_data();
    void conflicts();
    void closingReleases();
    void closingAnotherDescriptorKeepsTheLock();
    void missingFile();
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
    QVERIFY(QFile::exists(writer.fileName()));
}

QTEST_GUILESS_MAIN(TestFileLock)
#include "tst_filelock.moc"
