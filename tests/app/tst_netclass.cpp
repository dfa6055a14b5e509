// A network exercise between separate programs on one machine: the teacher's program runs as a
// process of its own (own home folder, driven by xdotool), a pupil's main window runs here and is
// driven by real X input, and two more pupils speak the wire format from the test. The start
// opens the teacher's control display, a second F9 is refused, the class's high-score list holds
// one entry per finished pupil (read back with zeptool), an exercise whose sign of life is old
// starts no quiz, and the control display's "Übung beenden" withdraws the exercise.

#include "app/mainwindow.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "network/mailslot.h"
#include "network/netexercise.h"
#include "quiz/ui/quizenddialog.h"
#include "quiz/ui/quizpanel.h"
#include "results/highscorefile.h"
#include "support/fakemessageservice.h"
#include "support/programfolder.h"
#include "support/quiztopics.h"
#include "support/realdisplay.h"
#include "widgets/hoverpanel.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A channel of this test's own, so that no other test's channel shares its port.
const QString channel = QStringLiteral("NETZTST");

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(15000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString xdotool(const QStringList& arguments)
{
    return run(QStringLiteral("xdotool"), arguments);
}

} // namespace

class TestNetClass : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void classWorksThroughAnExercise();

private:
    bool startTeacher(const QString& topic);
    QString teacherWindow(const QString& title) const;
    THoverPanel* tileFor(const QString& caption) const;
    QuizPanel* panel() const { return m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan")); }
    QString file(NetFile kind) const { return netExerciseFileName(m_kom, channel, kind); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_kom;
    QProcess m_teacher;
    std::unique_ptr<TForm1> m_window;
    std::unique_ptr<XTestInput> m_input;
};

void TestNetClass::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QDir(m_dir->path()).mkpath("kom");
    QDir(m_dir->path()).mkpath("lehrer/.config/Kestrova");
    m_kom = m_dir->filePath("kom") + u'/';
    QVERIFY(setUpProgramFolder(m_dir->filePath("programm")));
    m_input = std::make_unique<XTestInput>();
}

void TestNetClass::cleanup()
{
    if (m_teacher.state() != QProcess::NotRunning) {
        m_teacher.kill();
        m_teacher.waitForFinished(5000);
    }
    m_window.reset();
    m_input.reset();
}

bool TestNetClass::startTeacher(const QString& topic)
{
    // The teacher's own settings: the shared folder and the channel, no sound.
    QFile settings(m_dir->filePath("lehrer/.config/Kestrova/Tallowmere.reg"));
    if (!settings.open(QIODevice::WriteOnly))
        return false;
    settings.write(QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Kestrova\\Tallowmere]\r\n"
                                  "\"Opt-Sound\"=dword:00000000\r\n"
                                  "\"NetzKomOrdner\"=\"%1\"\r\n"
                                  "\"NetzKomKanal\"=\"%2\"\r\n")
                       .arg(m_kom, channel)
                       .toUtf8());
    settings.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_dir->filePath("lehrer"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath("lehrer/.config"));
    m_teacher.setProcessEnvironment(environment);
    m_teacher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_teacher.start(QStringLiteral(TALLOWMERE_BIN_DIR "tallowmere"), {topic});
    return m_teacher.waitForStarted(5000);
}

QString TestNetClass::teacherWindow(const QString& title) const
{
    // xdotool's name search also reports windows whose name does not start with the title.
    QString window;
    (void)QTest::qWaitFor(
        [&] {
            const QStringList found
                = xdotool({"search", "--onlyvisible", "--pid", QString::number(m_teacher.processId()), "--name", title})
                      .split(u'\n', Qt::SkipEmptyParts);
            for (const QString& id : found) {
                if (xdotool({"getwindowname", id}).startsWith(title))
                    window = id;
            }
            return !window.isEmpty();
        },
        10000);
    return window;
}

THoverPanel* TestNetClass::tileFor(const QString& caption) const
{
    for (THoverPanel* tile : m_window->findChildren<THoverPanel*>()) {
        if (tile->objectName().startsWith(QStringLiteral("UebElemPan")) && tile->caption() == caption
            && !tile->isHidden())
            return tile;
    }
    return nullptr;
}

void TestNetClass::classWorksThroughAnExercise()
{
    const QString topic = m_dir->filePath("fragen.zep");
    {
        QFile out(topic);
        QVERIFY(out.open(QIODevice::WriteOnly));
        TopicDocument doc = questionsTopic(3);
        doc.titel = QStringLiteral("Klassenquiz");
        QVERIFY(writeTopicFile(out, doc));
    }

    // The teacher initiates: F9, then "Übung starten" in the options dialog.
    QVERIFY(startTeacher(topic));
    const QString teacher = teacherWindow(QStringLiteral("Kestrova Tallowmere"));
    QVERIFY(!teacher.isEmpty());
    QTest::qWait(500); // the first activation
    xdotool({"windowfocus", "--sync", teacher});
    xdotool({"key", "F9"});
    const QString options = teacherWindow(QStringLiteral("Netzwerk-"));
    QVERIFY2(!options.isEmpty(), "no options dialog captioned \"Netzwerk-...\"");
    xdotool({"windowfocus", "--sync", options});
    xdotool({"key", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file(NetFile::Release)), 10000);
    for (NetFile kind : {NetFile::Topic, NetFile::Settings, NetFile::Addresses})
        QVERIFY(QFile::exists(file(kind)));
    // The teacher watches from the start.
    const QString display = teacherWindow(QStringLiteral("Kontrollanzeige"));
    QVERIFY2(!display.isEmpty(), "the control display did not open at the start");

    // A second F9 is refused with a message; the running exercise stays as it was.
    const QDateTime published = QFileInfo(file(NetFile::Topic)).lastModified();
    xdotool({"windowfocus", "--sync", teacher});
    xdotool({"key", "F9"});
    const QString refusal = teacherWindow(QStringLiteral("Information"));
    QVERIFY2(!refusal.isEmpty(), "a second F9 showed no message");
    xdotool({"windowfocus", "--sync", refusal});
    xdotool({"key", "Return"});
    QVERIFY(QFile::exists(file(NetFile::Release)));
    QCOMPARE(QFileInfo(file(NetFile::Topic)).lastModified(), published);

    // A pupil here joins with F8 and answers every question right.
    StartOptions startOptions;
    startOptions.display = DisplayInfo {1280, 1024, 24};
    m_window = std::make_unique<TForm1>(startOptions);
    m_window->createDialogs();
    m_window->move(0, 0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(QTest::qWaitFor([this] { return !m_window->firstActivationPending(); }));
    folders().commFolder = m_kom;
    folders().commChannel = channel;
    m_window->menuItem("OptNameEingabe1")->setChecked(false);
    m_window->menuItem("Sound1")->setChecked(false);
    QVERIFY(m_input->focusWindow(m_window.get()));
    m_input->keyClick(Qt::Key_F8);
    QTRY_COMPARE(m_window->netController()->role(), 1);
    QCOMPARE(m_window->cardMode(), int(TForm1::QuizRunning));
    QCOMPARE(m_window->document().titel, QStringLiteral("Klassenquiz"));
    QCOMPARE(m_window->document().filePath, file(NetFile::Topic));

    QTimer closeEndDialog;
    connect(&closeEndDialog, &QTimer::timeout, this, [this] {
        TUebFertigForm* dialog = m_window->quizEndDialog();
        if (dialog->isVisible())
            m_input->click(dialog->findChild<QWidget*>("LernBtn"));
    });
    closeEndDialog.start(300);
    for (int answered = 0; answered < 3 && m_window->quiz().isRunning(); ++answered) {
        const int question = m_window->quiz().prompt().questionNumber;
        THoverPanel* tile = tileFor(QStringLiteral("Antwort %1").arg(question));
        QVERIFY(tile);
        m_input->click(tile, QPoint(20, 20));
        QVERIFY(QTest::qWaitFor([this] { return panel()->state() == QuizPanel::State::Feedback; }, 2000));
        QVERIFY(QTest::qWaitFor([this] { return panel()->state() != QuizPanel::State::Feedback; }, 5000));
    }
    // The end dialog closed: the pupil has left the exercise and its topic.
    QTRY_COMPARE_WITH_TIMEOUT(m_window->netController()->role(), 0, 10000);
    QCOMPARE(m_window->cardMode(), int(TForm1::LearningCard));
    QVERIFY(m_window->document().filePath.isEmpty());
    QCOMPARE(m_window->quiz().correctCount, 3);

    // Two more pupils from other computers; the second reports its time-out result twice.
    for (int pupil = 1; pupil <= 2; ++pupil) {
        TALMailSlot2 slot;
        slot.setMailBox(channel);
        slot.setSenderNames(QStringLiteral("PC-%1").arg(pupil), QStringLiteral("schueler%1").arg(pupil));
        const QString id = QString(30, QChar(u'A' + pupil));
        const QHostAddress teacherAddress(QHostAddress::LocalHost);
        slot.sendMessage(teacherAddress, initMessage(id, QString(), 46000.5));
        for (int report = 0; report < pupil; ++report)
            slot.sendMessage(teacherAddress,
                bestListMessage(id, QString(), QStringLiteral("PC-%1").arg(pupil), 46000.5, 60000 + pupil, 0.5));
    }

    // The class's list as zeptool reads it: one entry per finished pupil.
    const QString list = file(NetFile::HighScores);
    const QString zeptool = QStringLiteral(TALLOWMERE_BIN_DIR "zeptool");
    QString shown;
    QTRY_VERIFY_WITH_TIMEOUT((shown = run(zeptool, {"hsc", list})).count(u'\n') >= 3, 10000);
    QTest::qWait(500); // a late duplicate would arrive now
    shown = run(zeptool, {"hsc", list});
    QVERIFY2(
        shown.contains(QStringLiteral("schueler1")) && shown.contains(QStringLiteral("schueler2")), qPrintable(shown));
    QCOMPARE(shown.count(QStringLiteral("schueler2")), 1);
    HighScoreList entries;
    QVERIFY(readHighScoreFile(list, entries));
    QCOMPARE(entries.size(), 3);

    // An exercise whose sign of life is older than 15 minutes (its teacher's program was killed)
    // starts no quiz here.
    {
        FakeMessageService messages;
        QFile marker(file(NetFile::Release));
        QVERIFY(marker.open(QIODevice::ReadWrite));
        QVERIFY(marker.setFileTime(QDateTime::currentDateTime().addSecs(-16 * 60), QFileDevice::FileModificationTime));
        m_window->menuItem("Netzwerkuebung1")->trigger();
        QCOMPARE(m_window->netController()->role(), 0);
        QVERIFY(messages.texts().value(0).startsWith(QStringLiteral("Auf dem eingestellten Kanal ist zurzeit keine")));
    }

    // The teacher ends the exercise with the control display's button and its question: the
    // exercise is withdrawn, the class's list stays.
    xdotool({"windowfocus", "--sync", display});
    xdotool({"key", "alt+b"});
    const QString question = teacherWindow(QStringLiteral("Bestätigung"));
    QVERIFY2(!question.isEmpty(), "\"Übung beenden\" asked nothing");
    xdotool({"windowfocus", "--sync", question});
    xdotool({"key", "Return"});
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(file(NetFile::Release)), 5000);

    // Then the teacher closes the program ("Aktion" → "Programm beenden").
    xdotool({"windowfocus", "--sync", teacher});
    xdotool({"key", "alt+a"});
    QTest::qWait(300);
    xdotool({"key", "Up", "Return"}); // the menu's last item
    QVERIFY(m_teacher.waitForFinished(10000));
    QCOMPARE(m_teacher.exitCode(), 0);
    for (NetFile kind : {NetFile::Release, NetFile::Topic, NetFile::Settings, NetFile::Addresses})
        QVERIFY(!QFile::exists(file(kind)));
    QVERIFY(QFile::exists(list));
}

TALLOWMERE_REAL_DISPLAY_MAIN(TestNetClass)
#include "tst_netclass.moc"
