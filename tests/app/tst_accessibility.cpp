// The quiz as a screen reader reads it: the program's accessibility tree and its events, read
// through AT-SPI by Debian's pyatspi from a process of its own, as Orca reads them. The test runs
// in a D-Bus session of its own (the accessibility bus is started on demand by at-spi2-core's
// launcher) with the xcb platform on an Xvfb of its own.

#include "app/mainwindow.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"
#include "common/folders.h"
#include "quiz/ui/quizpanel.h"
#include "support/fakemessageservice.h"
#include "support/realdisplay.h"
#include "widgets/hoverpanel.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

#include <vector>

namespace {

const QString binDir = QStringLiteral(TALLOWMERE_BIN_DIR);

// Prints every accessible object of the application argv[1] as JSON: its role, name and
// description, and whether it lies inside the quiz panel.
const char* const treeScript = R"(
import json, sys, pyatspi
out = []
def walk(node, depth, inQuiz):
    if node is None or depth > 30:
        return
    try:
        role = node.getRoleName()
        name = node.name or ''
        description = node.description or ''
        count = node.childCount
    except Exception:
        return
    if role in ('menu bar', 'menu'):
        return
    inQuiz = inQuiz or name == 'Quiz'
    out.append({'role': role, 'name': name, 'description': description, 'quiz': inQuiz})
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        walk(child, depth + 1, inQuiz)
for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == sys.argv[1]:
        walk(app, 0, False)
print(json.dumps(out))
)";

// Prints "ready" once it listens, then, after argv[1] milliseconds, the new names it heard.
const char* const nameEventScript = R"(
import json, sys, pyatspi
from gi.repository import GLib
seen = []
def heard(event):
    try:
        seen.append(event.source.name or '')
    except Exception:
        pass
pyatspi.Registry.registerEventListener(heard, 'object:property-change:accessible-name')
GLib.timeout_add(int(sys.argv[1]), pyatspi.Registry.stop)
print('ready', flush=True)
pyatspi.Registry.start()
print(json.dumps(seen))
)";

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void flagQuestion();
    void labellingTargets();

private:
    void openQuiz(const QString& topic);
    // Runs a script with Debian's python3 while the program answers its questions.
    QByteArray runScript(const char* script, const QStringList& arguments, QProcess* running = nullptr);
    // Every accessible object of the program: role, name, description and whether it is inside
    // the quiz panel ("quiz").
    QJsonArray tree();
    QuizPanel* panel() const { return m_window->findChild<QuizPanel*>(QStringLiteral("UebungPan")); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessageService> m_messages;
    std::unique_ptr<TForm1> m_window;
};

void TestAccessibility::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    folders() = FolderLayout::forProgramFolder(binDir);
    m_messages = std::make_unique<FakeMessageService>();
}

void TestAccessibility::cleanup()
{
    m_window.reset();
    m_messages.reset();
}

void TestAccessibility::openQuiz(const QString& topic)
{
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = binDir + topic;
    m_window = std::make_unique<TForm1>(options);
    m_window->createDialogs();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(QTest::qWaitFor([this] { return !m_window->firstActivationPending(); }));
    folders().protocolFolder = m_dir->path() + u'/';
    folders().highScoreFolder = m_dir->path() + u'/';
    m_window->menuItem("OptNameEingabe1")->setChecked(false);
    m_window->menuItem("Sound1")->setChecked(false);
    m_window->quizOptions().questions.zuordnungsziele = 0;
    m_window->quizOptions().labelling.zuordnungsziele = 0;
    QVERIFY(m_window->quizController()->startQuiz(0, 0));
}

QByteArray TestAccessibility::runScript(const char* script, const QStringList& arguments, QProcess* running)
{
    QProcess own;
    QProcess& process = running ? *running : own;
    process.start(
        QStringLiteral("/usr/bin/python3"), QStringList {QStringLiteral("-c"), QString::fromUtf8(script)} + arguments);
    if (running)
        return {};
    // The program's event loop runs meanwhile: it is what answers the reader.
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000)) {
        process.kill();
        process.waitForFinished();
    }
    if (process.exitCode() != 0)
        qWarning("%s", process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

QJsonArray TestAccessibility::tree()
{
    // The program joins the accessibility bus a moment after the bus first starts.
    QJsonArray all;
    for (int attempt = 0; attempt < 20 && all.isEmpty(); ++attempt) {
        if (attempt > 0)
            QTest::qWait(500);
        all = QJsonDocument::fromJson(runScript(treeScript, {QCoreApplication::applicationName()})).array();
    }
    return all;
}

void TestAccessibility::flagQuestion()
{
    openQuiz(QStringLiteral("euro-flaggen-alle.zep"));
    const QuizSession& quiz = m_window->quiz();
    const QString solution = m_window->document().objects.at(quiz.prompt().targetObject).Cap;
    const QJsonArray nodes = tree();
    QVERIFY2(!nodes.isEmpty(), "the program is not on the accessibility bus");

    QStringList buttons;
    for (const QJsonValue& node : nodes) {
        if (node["quiz"].toBool() && node["role"] == QLatin1String("push button"))
            buttons << node["name"].toString();
    }
    // Every answer tile is a button named by its caption.
    const QList<THoverPanel*> tiles = panel()->tilesInOrder();
    QVERIFY(tiles.size() >= 2);
    for (const THoverPanel* tile : tiles)
        QVERIFY2(buttons.contains(tile->caption().replace(QStringLiteral("\r\n"), QStringLiteral(" "))),
            qPrintable(tile->caption()));
    bool questionRead = false;
    for (const QJsonValue& node : nodes) {
        const QString name = node["name"].toString();
        const QString said = name + u' ' + node["description"].toString();
        questionRead = questionRead
            || (name.contains(QStringLiteral("Wie heißt das Land zu dieser Flagge?"))
                && name.contains(QStringLiteral("Bild: Flagge")));
        if (!node["quiz"].toBool())
            continue;
        // Only the tiles may name the country; the picture's file names it too.
        if (node["role"] != QLatin1String("push button"))
            QVERIFY2(!said.contains(solution) && !said.contains(QStringLiteral("flagge-")), qPrintable(said));
        QVERIFY2(node["role"] != QLatin1String("filler") || !name.isEmpty(), "an unnamed filler");
    }
    QVERIFY(questionRead);

    // The verdict is announced through the status word's name, with the solution shown.
    QProcess listener;
    runScript(nameEventScript, {QStringLiteral("3000")}, &listener);
    QVERIFY(QTest::qWaitFor([&] { return listener.canReadLine(); }, 20000));
    QCOMPARE(listener.readLine().trimmed(), QByteArray("ready"));
    QTest::qWait(500);
    THoverPanel* wrong = nullptr;
    for (THoverPanel* tile : tiles) {
        if (tile->caption() != solution)
            wrong = tile;
    }
    QVERIFY(wrong);
    wrong->setFocus();
    QTest::keyClick(wrong, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([&] { return listener.state() == QProcess::NotRunning; }, 20000));
    const QJsonArray heard = QJsonDocument::fromJson(listener.readAllStandardOutput()).array();
    QStringList names;
    for (const QJsonValue& name : heard)
        names << name.toString();
    QVERIFY2(names.contains(QStringLiteral("Falsch, richtig wäre: ") + solution), qPrintable(names.join(" / ")));
    QCOMPARE(quiz.wrongCount, 1);
}

void TestAccessibility::labellingTargets()
{
    openQuiz(QStringLiteral("euro-muenzaufbau.zep"));
    const QJsonArray nodes = tree();
    QVERIFY2(!nodes.isEmpty(), "the program is not on the accessibility bus");
    QStringList captions;
    for (const DocObject& o : m_window->document().objects) {
        if (o.Typ == ObjectKind::Label)
            captions << o.Cap;
    }
    QStringList targets;
    for (const QJsonValue& node : nodes) {
        if (node["quiz"].toBool() && node["name"].toString().startsWith(QStringLiteral("Position ")))
            targets << node["name"].toString();
    }
    // Each open target by its number, none by its answer.
    QCOMPARE(targets.size(), captions.size());
    for (int n = 1; n <= captions.size(); ++n)
        QVERIFY2(targets.contains(QStringLiteral("Position %1").arg(n)), qPrintable(targets.join(", ")));
    for (const QJsonValue& node : nodes) {
        if (!node["quiz"].toBool() || node["role"] == QLatin1String("push button"))
            continue;
        for (const QString& caption : std::as_const(captions))
            QVERIFY2(!node["name"].toString().contains(caption), qPrintable(node["name"].toString()));
    }
}

int main(int argc, char* argv[])
{
    // A D-Bus session of its own, in which the accessibility bus starts on demand.
    if (qEnvironmentVariableIsEmpty("TALLOWMERE_A11Y_SESSION")) {
        qputenv("TALLOWMERE_A11Y_SESSION", "1");
        std::vector<char*> arguments {const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        execvp("dbus-run-session", arguments.data());
        perror("dbus-run-session");
        return 1;
    }
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    RealDisplayServer realDisplayServer;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestAccessibility tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_accessibility.moc"
