// The topic folder and the menu "&Quizauswahl": which files are listed and how, the column
// break of long lists, opening and stepping through topics, changing and re-reading the folder,
// and the link objects that lead to other topics, files and web pages.

#include "app/mainwindow.h"
#include "common/folders.h"
#include "document/zepformat.h"
#include "support/fakedesktopshell.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "support/programfolder.h"
#include "widgets/hoverpanel.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

StartOptions startWith(const QString& argument)
{
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    options.argument = argument;
    return options;
}

void writeTopic(const QString& path, const QString& titel, const QList<DocObject>& objects = {})
{
    TopicDocument doc;
    doc.titel = titel;
    doc.objects = objects;
    doc.picture = QImage(8, 8, QImage::Format_ARGB32);
    doc.picture.fill(Qt::white);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(writeTopicFile(file, doc));
}

DocObject link(int kind, const QString& caption)
{
    DocObject object;
    object.Typ = kind;
    object.Cap = caption;
    return object;
}

QList<QAction*> topicItems(const TForm1& window)
{
    QList<QAction*> items = window.menuItem("Auswahl1")->menu()->actions().mid(9);
    items.removeIf([](const QAction* a) { return !a->objectName().startsWith(QStringLiteral("MenueThemaItem")); });
    return items;
}

} // namespace

class TestTopicMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listsTopicFilesByName();
    void captions();
    void columnBreak_data();
    void columnBreak();
    void openingTicksItem();
    void steppingThroughList();
    void choosingItemOpensTopic();
    void rereadAndChooseFolder();
    void startPageAndPreviousDocument();
    void openWithDialog();
    void documentLinks_data();
    void documentLinks();
    void folderLink();
    void webLinks_data();
    void webLinks();

private:
    std::unique_ptr<TForm1> start(const QString& argument);
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessageService> m_messages;
    std::unique_ptr<FakeDialogService> m_dialogs;
};

void TestTopicMenu::init()
{
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir(m_dir->path()).mkpath("themen");
    QVERIFY(setUpProgramFolder(path("programm")));
    m_messages = std::make_unique<FakeMessageService>();
    m_dialogs = std::make_unique<FakeDialogService>();
}

void TestTopicMenu::cleanup()
{
    m_dialogs.reset();
    m_messages.reset();
}

std::unique_ptr<TForm1> TestTopicMenu::start(const QString& argument)
{
    auto window = std::make_unique<TForm1>(startWith(argument));
    window->show();
    if (!QTest::qWaitFor([&] { return !window->firstActivationPending(); }))
        return nullptr;
    return window;
}

void TestTopicMenu::listsTopicFilesByName()
{
    writeTopic(path("themen/zebra.zep"), "Z");
    writeTopic(path("themen/Äpfel.zep"), "Ä");
    writeTopic(path("themen/apfel.zep"), "A");
    writeTopic(path("themen/Apfelzucht.ZEP"), "AZ");
    writeTopic(path("themen/.versteckt.zep"), "V");
    QDir(m_dir->path()).mkpath("themen/unterordner.zep");
    writeTopic(path("themen/unterordner.zep/innen.zep"), "innen");
    QFile broken(path("themen/kaputt.zep"));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("ALF-1.01\x05");
    broken.close();
    QFile foreign(path("themen/fremd.zep"));
    QVERIFY(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray(600, 'x'));
    foreign.close();
    writeTopic(path("themen/andere.txt"), "kein Thema");

    auto window = start(path("themen"));
    QVERIFY(window);
    QStringList titles;
    for (const TopicEntry& entry : window->topicList())
        titles << entry.title;
    // German order without regard to case: Äpfel between apfel and Apfelzucht.
    QCOMPARE(titles, QStringList({"V", "A", "Ä", "AZ", "Z"}));
    QCOMPARE(window->topicList().at(3).path, path("themen/Apfelzucht.ZEP"));
    QCOMPARE(window->topicList().at(3).sortKey, QStringLiteral("apfelzucht.zep"));
    QCOMPARE(topicItems(*window).size(), 5);
    QVERIFY(m_messages->shown.isEmpty());
}

void TestTopicMenu::captions()
{
    for (int i = 1; i <= 11; ++i)
        writeTopic(path(QStringLiteral("themen/t%1.zep").arg(i, 2, 10, QLatin1Char('0'))),
            QStringLiteral("  Thema %1 ").arg(i));
    writeTopic(path("themen/t12 ohne titel.zep"), "   ");
    auto window = start(path("themen"));
    QVERIFY(window);
    const QList<QAction*> items = topicItems(*window);
    QCOMPARE(items.size(), 12);
    QCOMPARE(items.at(0)->text(), QStringLiteral("&1:  Thema 1"));
    QCOMPARE(items.at(8)->text(), QStringLiteral("&9:  Thema 9"));
    QCOMPARE(items.at(9)->text(), QStringLiteral("10:  Thema 10"));
    QCOMPARE(items.at(11)->text(), QStringLiteral("12:  t12 ohne titel.zep"));
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items.at(i)->objectName(), QStringLiteral("MenueThemaItem%1").arg(i));
        QCOMPARE(items.at(i)->data().toInt(), i);
        QVERIFY(items.at(i)->isCheckable());
        QCOMPARE(items.at(i)->actionGroup(), items.at(0)->actionGroup());
    }
    QVERIFY(items.at(0)->actionGroup()->isExclusive());
    // The nine fixed items stay in front of the topics.
    QCOMPARE(window->menuItem("Auswahl1")->menu()->actions().indexOf(items.at(0)), 9);
}

void TestTopicMenu::columnBreak_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("breakEntry");
    QTest::newRow("30 files: one column") << 30 << -1;
    QTest::newRow("31 files: break on entry 12") << 31 << 12;
    QTest::newRow("40 files") << 40 << 16;
}

void TestTopicMenu::columnBreak()
{
    QFETCH(int, files);
    QFETCH(int, breakEntry);
    for (int i = 0; i < files; ++i)
        writeTopic(
            path(QStringLiteral("themen/t%1.zep").arg(i, 3, 10, QLatin1Char('0'))), QStringLiteral("Thema %1").arg(i));
    auto window = start(path("themen"));
    QVERIFY(window);
    const QList<QAction*> items = topicItems(*window);
    QCOMPARE(items.size(), files);
    QMenu* menu = window->menuItem("Auswahl1")->menu();
    window->layoutTopicColumns();
    const QRect first = menu->actionGeometry(menu->actions().first());
    for (int i = 0; i < files; ++i) {
        QCOMPARE(items.at(i)->property("menuBarBreak").toBool(), i == breakEntry);
        const QRect rect = menu->actionGeometry(items.at(i));
        // Entries before the break share the first column; the break entry heads the second,
        // and everything after it stays there.
        if (breakEntry < 0 || i < breakEntry)
            QCOMPARE(rect.left(), first.left());
        else
            QVERIFY2(rect.left() > first.right(), qPrintable(QStringLiteral("entry %1").arg(i)));
        if (i == breakEntry)
            QCOMPARE(rect.top(), first.top());
    }
}

void TestTopicMenu::openingTicksItem()
{
    writeTopic(path("themen/a.zep"), "A");
    writeTopic(path("themen/b.zep"), "B");
    auto window = start(path("themen/b.zep"));
    QVERIFY(window);
    QCOMPARE(window->document().topicIndex, 1);
    QVERIFY(topicItems(*window).at(1)->isChecked());

    window->openTopic(0);
    QCOMPARE(window->document().filePath, path("themen/a.zep"));
    QCOMPARE(window->document().topicIndex, 0);
    QVERIFY(topicItems(*window).at(0)->isChecked());
    QVERIFY(!topicItems(*window).at(1)->isChecked());
    QCOMPARE(window->topicFileDialog().fileName, path("themen/a.zep"));

    // An entry whose file went away leaves the list as it was and says so.
    QFile::remove(path("themen/b.zep"));
    window->openTopic(1);
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(topicItems(*window).size(), 2);
    QCOMPARE(window->document().filePath, path("themen/a.zep"));
    window->openTopic(-1);
    window->openTopic(7);
    QCOMPARE(m_messages->shown.size(), 1);
}

void TestTopicMenu::steppingThroughList()
{
    writeTopic(path("themen/a.zep"), "A");
    writeTopic(path("themen/b.zep"), "B");
    writeTopic(path("themen/c.zep"), "C");
    auto window = start(path("themen"));
    QVERIFY(window);
    QCOMPARE(window->document().topicIndex, -1);
    // Without an open topic both directions open the first entry.
    window->previousTopic();
    QCOMPARE(window->document().topicIndex, 0);
    window->previousTopic();
    QCOMPARE(window->document().topicIndex, 0);
    QCOMPARE(window->document().previousPath, QString());

    QTest::keyClick(window.get(), Qt::Key_PageDown);
    QCOMPARE(window->document().topicIndex, 1);
    QTest::mouseClick(window->findChild<THoverPanel*>("HoverPanel1"), Qt::LeftButton);
    QCOMPARE(window->document().topicIndex, 2);
    // On the last entry "next" does nothing: the same file is not read again.
    window->nextTopic();
    QCOMPARE(window->document().topicIndex, 2);
    QCOMPARE(window->document().previousPath, path("themen/b.zep"));
    QTest::mouseClick(window->findChild<THoverPanel*>("PrevDokPan"), Qt::LeftButton);
    QCOMPARE(window->document().topicIndex, 1);
    QTest::keyClick(window.get(), Qt::Key_PageUp);
    QCOMPARE(window->document().topicIndex, 0);
    QVERIFY(m_messages->shown.isEmpty());
}

void TestTopicMenu::choosingItemOpensTopic()
{
    writeTopic(path("themen/a.zep"), "A");
    writeTopic(path("themen/b.zep"), "B");
    auto window = start(path("themen"));
    QVERIFY(window);
    topicItems(*window).at(1)->trigger();
    QCOMPARE(window->document().filePath, path("themen/b.zep"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Kestrova Tallowmere - B"));
    QVERIFY(topicItems(*window).at(1)->isChecked());
    // The quiz starts at once on the chosen topic; this one has nothing to ask.
    QCOMPARE(m_messages->texts(), QStringList({QuizTexts::nothingSelected}));

    // A topic that cannot be opened leaves the tick on the open one; the quiz start then
    // concerns the topic still open.
    QFile::remove(path("themen/a.zep"));
    topicItems(*window).at(0)->trigger();
    QCOMPARE(m_messages->shown.size(), 3);
    QCOMPARE(m_messages->texts().last(), QuizTexts::nothingSelected);
    QVERIFY(!topicItems(*window).at(0)->isChecked());
    QVERIFY(topicItems(*window).at(1)->isChecked());
}

void TestTopicMenu::rereadAndChooseFolder()
{
    writeTopic(path("themen/a.zep"), "A");
    QDir(m_dir->path()).mkpath("andere");
    writeTopic(path("andere/x.zep"), "X");
    writeTopic(path("andere/y.zep"), "Y");
    auto window = start(path("themen"));
    QVERIFY(window);

    writeTopic(path("themen/b.zep"), "B");
    window->menuItem("Ordnerneueinlesen1")->trigger();
    QCOMPARE(window->topicList().size(), 2);
    QCOMPARE(m_messages->texts(),
        QStringList({"2 Themendokument(e) eingelesen.\r\nWählen Sie das gewünschte Dokument im Menü "
                     "\"Themenauswahl\"."}));

    // Cancelling the folder browser changes nothing.
    m_dialogs->folderAnswer.clear();
    window->chooseTopicFolder();
    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(folders().topicFolder, path("themen/"));

    window->openTopic(0);
    m_dialogs->folderAnswer = path("andere");
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_W));
    QCOMPARE(folders().topicFolder, path("andere/"));
    QCOMPARE(window->topicFileDialog().folder, path("andere/"));
    QVERIFY(window->document().filePath.isEmpty());
    QCOMPARE(window->topicList().size(), 2);
    QCOMPARE(window->topicList().at(0).title, QStringLiteral("X"));
    QVERIFY(m_messages->texts().last().startsWith(QStringLiteral("2 Themendokument(e) eingelesen.")));

    // An empty folder gives an empty list and the count 0.
    QDir(m_dir->path()).mkpath("leer");
    m_dialogs->folderAnswer = path("leer");
    window->chooseTopicFolder();
    QVERIFY(topicItems(*window).isEmpty());
    QVERIFY(m_messages->texts().last().startsWith(QStringLiteral("0 Themendokument(e) eingelesen.")));
}

void TestTopicMenu::startPageAndPreviousDocument()
{
    writeTopic(path("themen/a.zep"), "A");
    writeTopic(path("themen/b.zep"), "B");
    QDir(m_dir->path()).mkpath("andere");
    writeTopic(path("andere/x.zep"), "X");
    auto window = start(path("themen/a.zep"));
    QVERIFY(window);

    window->openTopic(1);
    QTest::keySequence(window.get(), QKeySequence(Qt::ALT | Qt::Key_Backspace));
    QCOMPARE(window->document().filePath, path("themen/a.zep"));
    window->showPreviousDocument();
    QCOMPARE(window->document().filePath, path("themen/b.zep"));
    QCOMPARE(window->document().topicIndex, 1);

    // "&Startseite" goes back to the document of the command line and lists its folder.
    m_dialogs->folderAnswer = path("andere");
    window->chooseTopicFolder();
    QCOMPARE(window->topicList().at(0).title, QStringLiteral("X"));
    window->menuItem("Startseite1")->trigger();
    QCOMPARE(window->document().filePath, path("themen/a.zep"));
    QCOMPARE(folders().topicFolder, path("themen/"));
    QCOMPARE(window->topicList().size(), 2);
    QCOMPARE(window->document().topicIndex, 0);
}

void TestTopicMenu::openWithDialog()
{
    writeTopic(path("themen/a.zep"), "A");
    QDir(m_dir->path()).mkpath("andere");
    writeTopic(path("andere/x.zep"), "X");
    auto window = start(path("themen"));
    QVERIFY(window);

    m_dialogs->openAnswer.clear();
    QTest::keySequence(window.get(), QKeySequence(Qt::CTRL | Qt::Key_O));
    QCOMPARE(m_dialogs->requests.size(), 1);
    const FileDialogRequest first = m_dialogs->requests.at(0);
    QCOMPARE(first.title, QStringLiteral("Dokument öffnen"));
    QCOMPARE(first.filter, QStringLiteral("Zeporama - Dokument (*.zep)|*.zep|Alle Dateien (*.*)|*.*"));
    QCOMPARE(first.defaultSuffix, QStringLiteral("zep"));
    QCOMPARE(first.folder, path("themen/"));
    QVERIFY(window->document().filePath.isEmpty());

    m_dialogs->openAnswer = path("andere/x.zep");
    window->openWithDialog();
    QCOMPARE(window->document().filePath, path("andere/x.zep"));
    QCOMPARE(window->topicList().size(), 1);
    QCOMPARE(window->document().topicIndex, 0);
    // The next time the dialog starts beside the open document.
    m_dialogs->openAnswer.clear();
    window->openWithDialog();
    QCOMPARE(m_dialogs->requests.last().folder, path("andere/"));
}

void TestTopicMenu::documentLinks_data()
{
    // Which of the places a document link may point to hold the file; the first one wins.
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("opened");
    QTest::newRow("beside the open document")
        << QStringList({"themen/ziel.zep", "basis/ziel.zep"}) << "themen/ziel.zep";
    QTest::newRow("in the base folder") << QStringList({"basis/ziel.zep", "programm/ziel.zep"}) << "basis/ziel.zep";
    QTest::newRow("in the program folder") << QStringList({"programm/ziel.zep"}) << "programm/ziel.zep";
    QTest::newRow("nowhere") << QStringList() << QString();
}

void TestTopicMenu::documentLinks()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, opened);
    QDir(m_dir->path()).mkpath("basis");
    for (const QString& file : existing)
        writeTopic(path(file), "Ziel");
    writeTopic(path("themen/start.zep"), "Start", {link(ObjectKind::DocumentLink, "ziel.zep")});
    auto window = start(path("basis"));
    QVERIFY(window);
    QVERIFY(window->readDocument(path("themen/start.zep"), true));

    window->followDocumentLink(0);
    if (opened.isEmpty()) {
        QCOMPARE(m_messages->texts(), QStringList({"Die Datei \"ziel.zep\" existiert nicht."}));
        QCOMPARE(window->document().filePath, path("themen/start.zep"));
    } else {
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(window->document().filePath, path(opened));
        QCOMPARE(folders().topicFolder, withTrailingSeparator(QFileInfo(path(opened)).absolutePath()));
        QCOMPARE(window->topicList().at(window->document().topicIndex).path, path(opened));
    }
}

void TestTopicMenu::folderLink()
{
    QDir(m_dir->path()).mkpath("themen/europa/karten");
    writeTopic(path("themen/europa/karten/k.zep"), "K");
    writeTopic(path("themen/europa/karten/l.zep"), "L");
    writeTopic(path("themen/start.zep"), "Start",
        {link(ObjectKind::DocumentLink, "europa\\karten\\"), link(ObjectKind::DocumentLink, "asien\\"),
            link(ObjectKind::DocumentLink, "europa\\karten\\l.zep")});
    auto window = start(path("themen/start.zep"));
    QVERIFY(window);

    // A caption written on Windows leads into the subfolder and lists it.
    window->followDocumentLink(0);
    QCOMPARE(folders().topicFolder, path("themen/europa/karten/"));
    QVERIFY(window->document().filePath.isEmpty());
    QCOMPARE(window->topicList().size(), 2);

    // A folder-looking caption without such a folder is a file name that does not exist.
    QVERIFY(window->readDocument(path("themen/start.zep"), true));
    window->followDocumentLink(1);
    QCOMPARE(m_messages->texts(), QStringList({"Die Datei \"asien\\\" existiert nicht."}));

    window->followDocumentLink(2);
    QCOMPARE(window->document().filePath, path("themen/europa/karten/l.zep"));
}

void TestTopicMenu::webLinks_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("opened"); // empty: refused
    QTest::newRow("web address") << "https://de.wikipedia.org/wiki/Euro"
                                 << "https://de.wikipedia.org/wiki/Euro";
    QTest::newRow("www name") << "www.ecb.europa.eu"
                              << "http://www.ecb.europa.eu";
    QTest::newRow("picture beside the topic") << "bilder\\karte.png"
                                              << "themen/bilder/karte.png";
    QTest::newRow("document beside the topic") << "info.pdf"
                                               << "themen/info.pdf";
    QTest::newRow("folder") << "bilder\\"
                            << "themen/bilder/";
    QTest::newRow("program with exec bit") << "werkzeug"
                                           << "";
    QTest::newRow("script by its name") << "bilder\\start.sh"
                                        << "";
    QTest::newRow("Windows program, not even there") << "C:\\Windows\\system32\\format.com"
                                                     << "";
    QTest::newRow("Windows program with trailing dot") << "setup.exe."
                                                       << "";
    QTest::newRow("desktop entry") << "file:///usr/share/applications/x.desktop"
                                   << "";
    QTest::newRow("batch file") << "aufraeumen.BAT"
                                << "";
    QTest::newRow("address of another scheme") << "javascript:alert(1)"
                                               << "";
    QTest::newRow("document that is not there") << "fehlt.pdf"
                                                << "";
    QTest::newRow("file address of nothing") << "file:///nirgends/fehlt.pdf"
                                             << "";
}

void TestTopicMenu::webLinks()
{
    QFETCH(QString, caption);
    QFETCH(QString, opened);
    QDir(m_dir->path()).mkpath("themen/bilder");
    QFile(path("themen/bilder/karte.png")).open(QIODevice::WriteOnly);
    QFile(path("themen/info.pdf")).open(QIODevice::WriteOnly);
    QFile program(path("themen/werkzeug"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\n");
    program.close();
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    writeTopic(path("themen/start.zep"), "Start", {link(ObjectKind::WebLink, caption)});
    auto window = start(path("themen/start.zep"));
    QVERIFY(window);

    FakeDesktopShell shell;
    window->followWebLink(0);
    if (opened.isEmpty()) {
        QVERIFY(shell.opened.isEmpty());
        QCOMPARE(m_messages->texts(),
            QStringList(
                {QStringLiteral("Die Datei oder Internet-Adresse \"%1\" kann nicht geöffnet werden.").arg(caption)}));
        return;
    }
    const QString expected = opened.startsWith(QStringLiteral("themen/")) ? path(opened) : opened;
    QCOMPARE(shell.opened, QStringList({expected}));
    QVERIFY(m_messages->shown.isEmpty());

    // The desktop's own failure gives the same message.
    shell.setSucceeds(false);
    window->followWebLink(0);
    QCOMPARE(m_messages->texts(),
        QStringList(
            {QStringLiteral("Die Datei oder Internet-Adresse \"%1\" kann nicht geöffnet werden.").arg(caption)}));
}

QTEST_MAIN(TestTopicMenu)
#include "tst_topicmenu.moc"
