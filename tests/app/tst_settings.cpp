// Settings that persist between runs: the values, names, types and defaults of the store, the
// main window reading them once at its first activation and writing them once at closing, and
// the folders of an installed program.

#include "app/mainwindow.h"
#include "app/settings.h"
#include "common/folders.h"
#include "platform/registry.h"
#include "support/fakemessageservice.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const char* const header = "Windows Registry Editor Version 5.00\n\n"
                           "[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\n";

// The value names in the order they are written.
const QStringList writtenNames = {"Opt-Sound", "Opt-UebNameEingabe", "Opt-AutoProtSpeichern",
    "Opt-ErgebBestListEintragen", "NetzKomOrdner", "NetzKomKanal", "Opt-ProtOrdner", "Opt-BestListOrdner",
    "Opt-ArbeitsblattOrdner", "UebOpt-AbfrageModus", "UebOpt-ZeitLimit", "UebOpt-ZLimitMin", "UebOpt-ZLimitSek",
    "UebOpt-ZuordnungRichtig", "UebOpt-ZuordnungFalsch", "UebOpt-Zuordnungstexte", "UebOpt-Zuordnungsziele",
    "UebOptFragen-ZuordnungFalsch", "UebOptFragen-Zuordnungstexte", "UebOptFragen-Zeitlimit", "UebOptFragen-ZLimitMin",
    "UebOptFragen-ZLimitSek", "UebOptFragen-Zuordnungsziele"};

StartOptions startOptions(DisplayInfo display = {1280, 1024, 24})
{
    StartOptions options;
    options.display = display;
    return options;
}

void writeStore(const QByteArray& values)
{
    const QString path = registryStoreFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(header + values);
}

QByteArray readStore()
{
    QFile file(registryStoreFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool tick(const TForm1& window, const char* item)
{
    return window.menuItem(QString::fromLatin1(item))->isChecked();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_messages.reset(); }

    void firstRunGivesDefaults();
    void changesSurviveRestart();
    void writtenNamesTypesAndOrder();
    void timeLimitSpellingsMeet();
    void badStoredValuesKeepDefaults_data();
    void badStoredValuesKeepDefaults();
    void damagedStoreKeepsWhatParses();
    void cancelledStartTouchesNothing();
    void settingsReadOnlyOnce();
    void installedProgramWritesToUserFolders();

private:
    QTemporaryDir m_dir;
    // Every test answers message boxes: a box nobody clicks would stop the run.
    std::unique_ptr<FakeMessageService> m_messages;
};

void TestSettings::init()
{
    QStandardPaths::setTestModeEnabled(true);
    QFile::remove(registryStoreFile());
    m_messages = std::make_unique<FakeMessageService>();
    QVERIFY(m_dir.isValid());
    folders() = FolderLayout::forProgramFolder(m_dir.path());
    QDir(m_dir.path()).mkpath("data");
    QImage picture(30, 20, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QVERIFY(picture.save(m_dir.filePath("data/tallowq.png")));
}

void TestSettings::firstRunGivesDefaults()
{
    FakeMessageService& messages = *m_messages;
    TForm1 window(startOptions());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());

    QVERIFY(tick(window, "Sound1"));
    QVERIFY(tick(window, "OptNameEingabe1"));
    QVERIFY(!tick(window, "AutoProtSpeichern1"));
    QVERIFY(tick(window, "ErgebBestListEintragen1"));
    const QString program = withTrailingSeparator(m_dir.path());
    QCOMPARE(folders().protocolFolder, program + "protokolle/");
    QCOMPARE(folders().highScoreFolder, program + "bestenlisten/");
    QCOMPARE(folders().commFolder, program + "kom/");
    QCOMPARE(folders().commChannel, QStringLiteral("ZEP-1"));
    QCOMPARE(window.quizOptions(), QuizOptions());
    // The dialogs' defaults, spelled out: a changed default in the code must show up here.
    const LabelQuizOptions& l = window.quizOptions().labelling;
    QCOMPARE(QList<int>({l.abfrageModus, l.zeitlimit, l.zuordnungRichtig, l.zuordnungFalsch, l.zuordnungstexte,
                 l.zuordnungsziele}),
        QList<int>({0, 0, 0, 0, 1, 1}));
    QCOMPARE(QStringList({l.zLimitMin, l.zLimitSek}), QStringList({"3", "0"}));
    const QuestionQuizOptions& q = window.quizOptions().questions;
    QCOMPARE(
        QList<int>({q.zuordnungFalsch, q.zuordnungstexte, q.zeitlimit, q.zuordnungsziele}), QList<int>({0, 1, 0, 1}));
    QCOMPARE(QStringList({q.zLimitMin, q.zLimitSek}), QStringList({"3", "0"}));
    QVERIFY(messages.shown.isEmpty());
}

void TestSettings::changesSurviveRestart()
{
    {
        TForm1 window(startOptions());
        window.show();
        QTRY_VERIFY(!window.firstActivationPending());
        window.menuItem("Sound1")->trigger();
        window.menuItem("AutoProtSpeichern1")->trigger();
        folders().protocolFolder = QStringLiteral("/srv/klasse 7b/protokolle/");
        folders().highScoreFolder = QStringLiteral("/srv/klasse 7b/listen/");
        window.quizOptions().labelling.abfrageModus = 2;
        window.quizOptions().labelling.zeitlimit = 1;
        window.quizOptions().labelling.zLimitMin = "59";
        window.quizOptions().questions.zuordnungsziele = 0;
        window.quizOptions().questions.zLimitSek = "30";
        QVERIFY(window.close());
    }
    const QuizOptions changed = [] {
        QuizOptions o;
        o.labelling.abfrageModus = 2;
        o.labelling.zeitlimit = 1;
        o.labelling.zLimitMin = "59";
        o.questions.zuordnungsziele = 0;
        o.questions.zLimitSek = "30";
        return o;
    }();

    folders() = FolderLayout::forProgramFolder(m_dir.path());
    TForm1 window(startOptions());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QVERIFY(!tick(window, "Sound1"));
    QVERIFY(tick(window, "AutoProtSpeichern1"));
    QVERIFY(tick(window, "OptNameEingabe1"));
    QCOMPARE(folders().protocolFolder, QStringLiteral("/srv/klasse 7b/protokolle/"));
    QCOMPARE(folders().highScoreFolder, QStringLiteral("/srv/klasse 7b/listen/"));
    QCOMPARE(window.quizOptions(), changed);
}

void TestSettings::writtenNamesTypesAndOrder()
{
    {
        TForm1 window(startOptions());
        window.show();
        QTRY_VERIFY(!window.firstActivationPending());
        QVERIFY(window.close());
    }
    const QString text = QString::fromUtf8(readStore());
    static const QRegularExpression valueLine(
        QStringLiteral("^\"([^\"]+)\"=(dword:[0-9a-f]{8}|\".*\")$"), QRegularExpression::MultilineOption);
    QStringList names;
    QStringList types;
    for (auto it = valueLine.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        names << m.captured(1);
        types << (m.captured(2).startsWith(QStringLiteral("dword")) ? "d" : "s");
    }
    QCOMPARE(names, writtenNames);
    QCOMPARE(types.join(QString()), QStringLiteral("ddddsssssddssdddddddssd"));
    QVERIFY(text.contains(QStringLiteral("\"NetzKomKanal\"=\"ZEP-1\"")));
    QVERIFY(text.contains(QStringLiteral("\"UebOpt-ZLimitMin\"=\"3\"")));
    QVERIFY(text.contains(QStringLiteral("\"Opt-AutoProtSpeichern\"=dword:00000000")));
}

void TestSettings::timeLimitSpellingsMeet()
{
    // A previous run wrote the switch as "UebOpt-ZeitLimit"; it is read as "UebOpt-Zeitlimit".
    writeStore("\"UebOpt-ZeitLimit\"=dword:00000001\n");
    TForm1 window(startOptions());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QCOMPARE(window.quizOptions().labelling.zeitlimit, 1);
    window.quizOptions().labelling.zeitlimit = 0;
    QVERIFY(window.close());

    const QString text = QString::fromUtf8(readStore());
    QCOMPARE(text.count(QStringLiteral("uebopt-zeitlimit"), Qt::CaseInsensitive), 1);
    QVERIFY(text.contains(QStringLiteral("\"UebOpt-ZeitLimit\"=dword:00000000")));
}

void TestSettings::badStoredValuesKeepDefaults_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("string for a switch") << QByteArray("\"Opt-Sound\"=\"0\"");
    QTest::newRow("dword for a folder") << QByteArray("\"Opt-ProtOrdner\"=dword:00000001");
    QTest::newRow("radio entry the group lacks") << QByteArray("\"UebOpt-AbfrageModus\"=dword:00000003");
    QTest::newRow("huge radio entry") << QByteArray("\"UebOpt-Zuordnungsziele\"=dword:ffffffff");
    QTest::newRow("minutes not a number") << QByteArray("\"UebOpt-ZLimitMin\"=\"drei\"");
    QTest::newRow("minutes beyond the field") << QByteArray("\"UebOptFragen-ZLimitMin\"=\"60\"");
    QTest::newRow("seconds of three digits") << QByteArray("\"UebOpt-ZLimitSek\"=\"005\"");
    QTest::newRow("dword for minutes") << QByteArray("\"UebOptFragen-ZLimitSek\"=dword:00000005");
}

void TestSettings::badStoredValuesKeepDefaults()
{
    QFETCH(QByteArray, value);
    writeStore(value + "\n\"Opt-ErgebBestListEintragen\"=dword:00000000\n");
    FakeMessageService& messages = *m_messages;
    TForm1 window(startOptions());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QVERIFY(tick(window, "Sound1"));
    QCOMPARE(folders().protocolFolder, withTrailingSeparator(m_dir.path()) + "protokolle/");
    QCOMPARE(window.quizOptions(), QuizOptions());
    // The good value beside the bad one is taken.
    QVERIFY(!tick(window, "ErgebBestListEintragen1"));
    QVERIFY(messages.shown.isEmpty());
}

void TestSettings::damagedStoreKeepsWhatParses()
{
    QByteArray damaged = "\"Opt-Sound\"=dword:00000000\n\"NetzKomKanal\"=\"ZEP-7\"\n\"Opt-UebNameEingabe\"=dwo";
    damaged += QByteArray(3000, '\xff') + '\0' + "\n\"UebOpt-AbfrageModus\"=dword:00000001\n\"Opt-ProtOrdner\"=\"/t";
    writeStore(damaged);
    TForm1 window(startOptions());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    QVERIFY(!tick(window, "Sound1"));
    QVERIFY(tick(window, "OptNameEingabe1"));
    QCOMPARE(folders().commChannel, QStringLiteral("ZEP-7"));
    QCOMPARE(window.quizOptions().labelling.abfrageModus, 1);
    QCOMPARE(folders().protocolFolder, withTrailingSeparator(m_dir.path()) + "protokolle/");

    // Closing replaces the damaged store with a whole one.
    QVERIFY(window.close());
    TForm1 again(startOptions());
    again.show();
    QTRY_VERIFY(!again.firstActivationPending());
    QVERIFY(!tick(again, "Sound1"));
    QCOMPARE(folders().commChannel, QStringLiteral("ZEP-7"));
}

void TestSettings::cancelledStartTouchesNothing()
{
    writeStore("\"Opt-Sound\"=dword:00000000\n");
    const QByteArray before = readStore();
    FakeMessageService& messages = *m_messages;
    messages.answers = {MessageButton::No};
    {
        TForm1 window(startOptions({800, 600, 16}));
        QVERIFY(window.startupCancelled());
        QVERIFY(window.close());
    }
    QCOMPARE(readStore(), before);
}

void TestSettings::settingsReadOnlyOnce()
{
    TForm1 window(startOptions());
    window.show();
    QTRY_VERIFY(!window.firstActivationPending());
    // A value stored while the program runs is not seen by it, and the close writes what the
    // program holds.
    writeStore("\"Opt-Sound\"=dword:00000000\n");
    window.hide();
    window.show();
    QCoreApplication::processEvents();
    QVERIFY(tick(window, "Sound1"));
    QVERIFY(window.close());
    QVERIFY(readStore().contains("\"Opt-Sound\"=dword:00000001"));
}

void TestSettings::installedProgramWritesToUserFolders()
{
    const FolderLayout portable = FolderLayout::forProgramFolder("/opt/tallowmere");
    const FolderLayout installed = FolderLayout::forProgramFolder("/usr/lib/tallowmere", "/home/anna/.local/share/k");
    QCOMPARE(installed.protocolFolder, QStringLiteral("/home/anna/.local/share/k/protokolle/"));
    QCOMPARE(installed.highScoreFolder, QStringLiteral("/home/anna/.local/share/k/bestenlisten/"));
    QCOMPARE(installed.commFolder, QStringLiteral("/home/anna/.local/share/k/kom/"));
    QCOMPARE(portable.protocolFolder, QStringLiteral("/opt/tallowmere/protokolle/"));
    // Everything the program only reads stays beside it.
    QCOMPARE(installed.soundFolder, QStringLiteral("/usr/lib/tallowmere/sound/"));
    QCOMPARE(installed.helpFolder, QStringLiteral("/usr/lib/tallowmere/hilfe/"));
    QCOMPARE(installed.baseTopicFolder, QStringLiteral("/usr/lib/tallowmere/"));

    // The program's folder decides: a writable one keeps the portable layout.
    QCOMPARE(
        folderLayoutForInstallation(m_dir.path()).protocolFolder, withTrailingSeparator(m_dir.path()) + "protokolle/");
    // An installed program writes to the user's folders even when its folder is writable, as it
    // is for root: nothing lands below /usr.
    QTemporaryDir installedCopy;
    QVERIFY(QDir(installedCopy.path()).mkpath(QStringLiteral("data")));
    QFile marker(withTrailingSeparator(installedCopy.path()) + QLatin1String(installedMarkerName));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    const FolderLayout fromInstalled = folderLayoutForInstallation(installedCopy.path());
    QCOMPARE(fromInstalled.protocolFolder, userDataFolder() + "protokolle/");
    QVERIFY(QFileInfo(fromInstalled.commFolder).isDir());
    QCOMPARE(fromInstalled.soundFolder, withTrailingSeparator(installedCopy.path()) + "sound/");
    if (QFileInfo(QStringLiteral("/proc/version")).isWritable())
        QSKIP("running with rights that write anywhere");
    const FolderLayout fromProc = folderLayoutForInstallation(QStringLiteral("/proc"));
    QCOMPARE(fromProc.protocolFolder, userDataFolder() + "protokolle/");
    QVERIFY(QFileInfo(fromProc.highScoreFolder).isDir());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
