// zeptool hsc: a list printed as the window exports it, and entries appended as the program
// appends them, run as a teacher would run the tool.

#include "common/filemessages.h"
#include "document/oledate.h"
#include "results/highscorefile.h"
#include "results/highscoretext.h"
#include "zeptoolrun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray consoleText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).toUtf8();
}

QStringList addArguments(
    const QString& name, const QString& start, const QString& duration, const QString& performance, const QString& file)
{
    return {QStringLiteral("hsc"), QStringLiteral("--add"), name, QStringLiteral("PC-7"), start, duration, performance,
        file};
}

} // namespace

class TestZeptoolHsc : public QObject
{
    Q_OBJECT

private slots:
    void addedEntriesPrintSorted();
    void startForms_data();
    void startForms();
    void badArguments_data();
    void badArguments();
    void fileErrors();
};

void TestZeptoolHsc::addedEntriesPrintSorted()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Herz.hsc"));
    QCOMPARE(runZeptool(addArguments(QStringLiteral("Berta"), QStringLiteral("2024-05-03T09:15:00"),
                            QStringLiteral("90000"), QStringLiteral("0.8"), file))
                 .exitCode,
        0);
    QCOMPARE(runZeptool(addArguments(QStringLiteral("  "), QStringLiteral("2024-05-03T10:00:00"),
                            QStringLiteral("187000"), QStringLiteral("1"), file))
                 .exitCode,
        0);
    QCOMPARE(runZeptool(addArguments(QStringLiteral("Jürgen"), QStringLiteral("2024-05-03T11:00:00"),
                            QStringLiteral("60000"), QStringLiteral("0.8"), file))
                 .exitCode,
        0);

    HighScoreList list;
    QVERIFY(readHighScoreFile(file, list));
    QCOMPARE(list.size(), 3);
    QCOMPARE(list[1].Name, QStringLiteral("(kein Name)"));
    QCOMPARE(list[2].Name, QStringLiteral("Jürgen"));
    QCOMPARE(list[0].Rechner, QStringLiteral("PC-7"));
    QCOMPARE(list[0].Beginn, toOleDate(QDateTime(QDate(2024, 5, 3), QTime(9, 15))));
    QCOMPARE(list[0].Dauer, 90000);
    QCOMPARE(list[0].Leistung, 0.8);

    const ToolResult printed = runZeptool({QStringLiteral("hsc"), file});
    QCOMPARE(printed.exitCode, 0);
    sortHighScoreList(list);
    QCOMPARE(printed.out, consoleText(highScoreListText(list)));
    const QList<QByteArray> lines = printed.out.split('\n');
    QVERIFY(lines[1].startsWith("1\t(kein Name)\tPC-7\t100.0 %\t03:07\t"));
    // The end as the program shows it, under any locale (the tests run under C).
    QVERIFY2(lines[1].contains("\t03.05.24 10:03:07"), lines[1].constData());
    QVERIFY(lines[2].startsWith("2\tJ\xC3\xBCrgen\t"));
    QVERIFY(lines[3].startsWith("3\tBerta\t"));
}

void TestZeptoolHsc::startForms_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<double>("beginn");
    const double morning = toOleDate(QDateTime(QDate(2024, 5, 3), QTime(9, 15, 30)));
    QTest::newRow("ISO") << QStringLiteral("2024-05-03T09:15:30") << morning;
    QTest::newRow("blank for T") << QStringLiteral("2024-05-03 09:15:30") << morning;
    QTest::newRow("days as stored") << QStringLiteral("45415.25") << 45415.25;
}

void TestZeptoolHsc::startForms()
{
    QFETCH(QString, start);
    QFETCH(double, beginn);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.hsc"));
    QCOMPARE(
        runZeptool(addArguments(QStringLiteral("A"), start, QStringLiteral("1"), QStringLiteral("0"), file)).exitCode,
        0);
    HighScoreList list;
    QVERIFY(readHighScoreFile(file, list));
    QCOMPARE(list.size(), 1);
    QCOMPARE(list[0].Beginn, beginn);
}

void TestZeptoolHsc::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString start = QStringLiteral("2024-05-03T09:15:00");
    QTest::newRow("nothing") << QStringList {QStringLiteral("hsc")};
    QTest::newRow("two files") << QStringList {QStringLiteral("hsc"), QStringLiteral("a.hsc"), QStringLiteral("b.hsc")};
    QTest::newRow("add without file") << QStringList {QStringLiteral("hsc"), QStringLiteral("--add"),
        QStringLiteral("A"), QStringLiteral("PC"), start, QStringLiteral("1"), QStringLiteral("1")};
    QTest::newRow("percent instead of fraction") << addArguments(
        QStringLiteral("A"), start, QStringLiteral("1"), QStringLiteral("87.5"), QStringLiteral("a.hsc"));
    QTest::newRow("decimal comma") << addArguments(
        QStringLiteral("A"), start, QStringLiteral("1"), QStringLiteral("0,5"), QStringLiteral("a.hsc"));
    QTest::newRow("negative time") << addArguments(
        QStringLiteral("A"), start, QStringLiteral("-1"), QStringLiteral("0.5"), QStringLiteral("a.hsc"));
    QTest::newRow("time beyond 32 bits") << addArguments(
        QStringLiteral("A"), start, QStringLiteral("3000000000"), QStringLiteral("0.5"), QStringLiteral("a.hsc"));
    QTest::newRow("no date") << addArguments(QStringLiteral("A"), QStringLiteral("gestern"), QStringLiteral("1"),
        QStringLiteral("0.5"), QStringLiteral("a.hsc"));
    QTest::newRow("infinite days") << addArguments(QStringLiteral("A"), QStringLiteral("inf"), QStringLiteral("1"),
        QStringLiteral("0.5"), QStringLiteral("a.hsc"));
}

void TestZeptoolHsc::badArguments()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    const ToolResult result = runZeptool(arguments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.out.isEmpty());
    QVERIFY(result.err.contains("zeptool hsc"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("a.hsc"))));
}

void TestZeptoolHsc::fileErrors()
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("fehlt.hsc"));
    ToolResult result = runZeptool({QStringLiteral("hsc"), missing});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, consoleText(fileMissingText(missing)) + '\n');

    const QString foreign = dir.filePath(QStringLiteral("fremd.hsc"));
    QFile file(foreign);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("kein Bestenlisten-Format");
    file.close();
    result = runZeptool({QStringLiteral("hsc"), foreign});
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, consoleText(fileUnreadableText(foreign)) + '\n');
    result = runZeptool(addArguments(
        QStringLiteral("A"), QStringLiteral("45000"), QStringLiteral("1"), QStringLiteral("0.5"), foreign));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, consoleText(fileUnwritableText(foreign)) + '\n');

    const QString inMissingFolder = dir.filePath(QStringLiteral("fehlt/a.hsc"));
    result = runZeptool(addArguments(
        QStringLiteral("A"), QStringLiteral("45000"), QStringLiteral("1"), QStringLiteral("0.5"), inMissingFolder));
    QCOMPARE(result.exitCode, 1);
    QCOMPARE(result.err, consoleText(fileUnwritableText(inMissingFolder)) + '\n');
}

QTEST_GUILESS_MAIN(TestZeptoolHsc)
#include "tst_zeptoolhsc.moc"
