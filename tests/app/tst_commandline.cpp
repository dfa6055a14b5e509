#include "app/commandline.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data();
    void parse();
    void qtOptionsLeftToQt_data();
    void qtOptionsLeftToQt();
    void answeredWithoutDisplay_data();
    void answeredWithoutDisplay();
};

Q_DECLARE_METATYPE(StartAction)

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<StartAction>("action");
    QTest::addColumn<bool>("authoring");
    QTest::addColumn<QString>("argument");
    // Words the refusal must name (the offending argument), empty when not refused.
    QTest::addColumn<QStringList>("errorNames");

    const auto start = StartAction::Start;
    const auto refuse = StartAction::Refuse;
    QTest::newRow("nothing") << QStringList {} << start << false << QString() << QStringList {};
    QTest::newRow("topic") << QStringList {"Flaggen.zep"} << start << false << "Flaggen.zep" << QStringList {};
    QTest::newRow("authoring before the topic")
        << QStringList {"--autor", "neu.zep"} << start << true << "neu.zep" << QStringList {};
    QTest::newRow("authoring after the folder")
        << QStringList {"/home/lehrer/Themen/", "--autor"} << start << true << "/home/lehrer/Themen/" << QStringList {};
    QTest::newRow("a topic whose name begins with a dash")
        << QStringList {"--", "-x.zep"} << start << false << "-x.zep" << QStringList {};
    QTest::newRow("options end at the double dash")
        << QStringList {"--autor", "--", "--autor"} << start << true << "--autor" << QStringList {};
    QTest::newRow("a lone dash is a name") << QStringList {"-"} << start << false << "-" << QStringList {};
    QTest::newRow("-h") << QStringList {"-h"} << StartAction::ShowHelp << false << QString() << QStringList {};
    QTest::newRow("--help beside a topic and a wrong option")
        << QStringList {"a.zep", "--falsch", "--help"} << StartAction::ShowHelp << false << QString() << QStringList {};
    QTest::newRow("--version") << QStringList {"--version"} << StartAction::ShowVersion << false << QString()
                               << QStringList {};
    QTest::newRow("unknown long option") << QStringList {"--bogus", "a.zep"} << refuse << false << QString()
                                         << QStringList {"\"--bogus\""};
    QTest::newRow("a dashed file name without the double dash")
        << QStringList {"-x.zep"} << refuse << false << QString() << QStringList {"\"-x.zep\"", "\"--\""};
    QTest::newRow("the first of two names around the double dash")
        << QStringList {"--autor", "a.zep", "--", "-b.zep"} << start << true << "a.zep" << QStringList {};
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(StartAction, action);
    QFETCH(bool, authoring);
    QFETCH(QString, argument);
    QFETCH(QStringList, errorNames);

    const CommandLine commandLine = parseCommandLine(arguments);
    QCOMPARE(commandLine.action, action);
    QCOMPARE(commandLine.argument, argument);
    if (action == StartAction::Start)
        QCOMPARE(commandLine.authoring, authoring);
    if (action != StartAction::Refuse) {
        QVERIFY(commandLine.error.isEmpty());
        return;
    }
    // Refused: never taken as a topic, and the message says what was wrong and how to call.
    const QString text = commandLineErrorText(commandLine);
    QVERIFY2(text.startsWith(QLatin1String("tallowmere: ")), qPrintable(text));
    for (const QString& name : errorNames)
        QVERIFY2(text.contains(name), qPrintable(text));
    QVERIFY(text.contains(QLatin1String("tallowmere [--autor] [THEMA.zep | ORDNER]")));
}

void TestCommandLine::qtOptionsLeftToQt_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("mayHoldQtOptions");

    QTest::newRow("ours, a wrong one, a dashed name")
        << QStringList {"--autor", "-h", "--version", "--bogus", "--", "a.zep", "-x.zep", "-"} << false;
    QTest::newRow("Qt's platform") << QStringList {"-platform", "offscreen", "a.zep"} << true;
    QTest::newRow("Qt's style, long form with a value") << QStringList {"--style=fusion"} << true;
    QTest::newRow("an X11 option") << QStringList {"a.zep", "-display", ":1"} << true;
    // Qt takes its options out even after "--".
    QTest::newRow("after the double dash") << QStringList {"--", "-reverse"} << true;
}

void TestCommandLine::qtOptionsLeftToQt()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, mayHoldQtOptions);
    QCOMPARE(::mayHoldQtOptions(arguments), mayHoldQtOptions);
}

void TestCommandLine::answeredWithoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expectedOut"); // text standard output must hold; empty: must be empty
    QTest::addColumn<QString>("expectedErr"); // text standard error must hold; empty: must be empty

    const QString usage = QStringLiteral("tallowmere [--autor] [THEMA.zep | ORDNER]");
    QTest::newRow("--help") << QStringList {"--help"} << 0 << usage << QString();
    QTest::newRow("--version") << QStringList {"--version"} << 0 << QStringLiteral("Kestrova Tallowmere 1.")
                               << QString();
    QTest::newRow("unknown option") << QStringList {"--bogus"} << 2 << QString()
                                    << QStringLiteral("tallowmere: unbekannte Option \"--bogus\".");
    QTest::newRow("a dashed name") << QStringList {"-x.zep"} << 2 << QString()
                                   << QStringLiteral("tallowmere: unbekannte Option \"-x.zep\"");
    // Qt's own option is taken out before the program reads the rest.
    QTest::newRow("Qt's option, then an unknown one") << QStringList {"-platform", "offscreen", "--bogus"} << 2
                                                      << QString() << QStringLiteral("unbekannte Option \"--bogus\"");
}

// The built program, run as a teacher would on a machine without a display: it answers and
// ends instead of failing to reach one.
void TestCommandLine::answeredWithoutDisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, expectedOut);
    QFETCH(QString, expectedErr);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(TALLOWMERE_PATH), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    const QString err = QString::fromUtf8(program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == exitCode, qPrintable(err));
    if (expectedOut.isEmpty())
        QVERIFY2(out.isEmpty(), qPrintable(out));
    else
        QVERIFY2(out.contains(expectedOut), qPrintable(out));
    if (expectedErr.isEmpty())
        QVERIFY2(err.isEmpty(), qPrintable(err));
    else
        QVERIFY2(err.contains(expectedErr), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
