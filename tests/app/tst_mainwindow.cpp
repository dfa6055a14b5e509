// The main window: its menu with captions, keys and visibility, keys that reach hidden items,
// the start-up checks, the start page and the window modes.

#include "app/mainwindow.h"
#include "app/startpictures.h"
#include "common/folders.h"
#include "common/theme.h"
#include "support/fakedesktopshell.h"
#include "support/fakedialogservice.h"
#include "support/fakemessageservice.h"
#include "ui/messages.h"
#include "widgets/hoverpanel.h"

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// A program folder with the start picture, so that the window starts without a message.
struct ProgramFolder
{
    QTemporaryDir dir;
    // File and folder dialogs answer "cancel" at once instead of waiting for a click, and
    // message boxes their first button.
    FakeDialogService dialogs;
    FakeMessageService messages;
    explicit ProgramFolder(bool withStartPicture = true)
    {
        QDir(dir.path()).mkpath("data");
        if (withStartPicture) {
            QImage picture(400, 200, QImage::Format_RGB32);
            picture.fill(Qt::white);
            picture.save(dir.filePath("data/tallowq.png"));
        }
        folders() = FolderLayout::forProgramFolder(dir.path());
    }
};

StartOptions goodDisplay()
{
    StartOptions options;
    options.display = DisplayInfo {1280, 1024, 24};
    return options;
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void menuItems_data();
    void menuItems();
    void visibleMenuBar();
    void optionSwitchesToggleAndStartAsDefaults();

    void keysReachItems_data();
    void keysReachItems();
    void keysStopBelowDisabledMenu_data();
    void keysStopBelowDisabledMenu();
    void topicMenuFollowsCardMode();

    void displayCheck_data();
    void displayCheck();
    void missingStartPictureIsReported_data();
    void missingStartPictureIsReported();
    void startPicturesDecodedWhileTheWindowIsBuilt();
    void cardBackgroundIsTheTexturesNineSlice();

    void firstActivationShowsStartPage();
    void startPageLinksOpenMakerSite();
    void modeButtonsOnTheCard();
    void shiftAltG();
    void windowedModeCentresDesignedSize();
    void resizeBeforeFirstActivationDoesNothing();
    void closingWithoutQuizIsAccepted();

private:
    static void activate(TForm1& window);
};

void TestMainWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestMainWindow::activate(TForm1& window)
{
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(!window.firstActivationPending());
}

void TestMainWindow::menuItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<bool>("shown");

    const auto row = [](const char* name, const char* caption, QKeySequence key, bool shown) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromUtf8(caption) << key << shown;
    };
    row("Uebung1", "&Aktion", {}, true);
    row("UebungStart1", "Quiz &starten", QKeySequence(Qt::Key_F7), true);
    row("UebOpt1", "Übungs&optionen...", QKeySequence(Qt::ALT | Qt::Key_F7), false);
    row("Bestenliste1", "&Bestenliste...", QKeySequence(Qt::CTRL | Qt::Key_F7), true);
    row("ProtokollderletztenUebung1", "&Protokoll...", {}, true);
    row("Netzwerkuebung1", "An Netzwerk-Übung &teilnehmen...", QKeySequence(Qt::Key_F8), false);
    row("BestenlistezurNetzwerkuebung1", "Besten&liste Netzwerk-Übung...", QKeySequence(Qt::CTRL | Qt::Key_F8), false);
    row("Lernkarte1", "Quiz &abbrechen", {}, true);
    row("Beenden1", "Programm &beenden", {}, true);
    row("Auswahl1", "&Quizauswahl", {}, true);
    row("Startseite1", "&Startseite", QKeySequence(Qt::ALT | Qt::Key_Home), true);
    row("ZuletztAngzeigtesDokument1", "&Zuvor angzeigtes Dokument", QKeySequence(Qt::ALT | Qt::Key_Backspace), false);
    row("PrevDok1", "&Vorheriges Quiz der Liste", QKeySequence(Qt::Key_PageUp), false);
    row("NextDok1", "&Nächstes Quiz der Liste", QKeySequence(Qt::Key_PageDown), false);
    row("Ordnerneueinlesen1", "&Aktuellen Ordner neu einlesen", {}, false);
    row("Ordnerwaehlen1", "&Ordner wählen...", QKeySequence(Qt::CTRL | Qt::Key_W), false);
    row("Optionen1", "&Optionen", {}, true);
    row("Sound1", "&Tonausgabe", {}, true);
    row("OptNameEingabe1", "&Namenseingabe bei Quiz-Start", {}, true);
    row("AutoProtSpeichern1", "&Protokolle automatisch speichern", {}, true);
    row("ErgebBestListEintragen1", "&Ergebnisse automatisch in Bestenliste eintragen", {}, true);
    row("Anzeige1", "An&zeige", {}, true);
    row("Vollbild1", "&Vollbild", QKeySequence(Qt::CTRL | Qt::Key_L), true);
    row("Fenster1", "&Fenster", QKeySequence(Qt::CTRL | Qt::Key_F), true);
    row("Minimieren1", "&Minimieren", QKeySequence(Qt::CTRL | Qt::Key_N), true);
    row("Kommunikationsverzeichnis1", "Netzwerk-&Kommunikation...", {}, false);
    row("OrdnerBestenlisten1", "&Ordner für Protokolle und Bestenlisten...", {}, true);
    row("Hilfe1", "&Hilfe", {}, true);
    row("Inhalt1", "&Inhalt", QKeySequence(Qt::Key_F1), false);
    row("Homepage1", "Tallow&mere online", {}, true);
    row("Info1", "Inf&o...", {}, true);
    row("Datei1", "&Datei", {}, false);
    row("Oeffnen1", "Ö&ffnen...", QKeySequence(Qt::CTRL | Qt::Key_O), true);
    row("PerEMailversenden1", "Per E-&Mail versenden...", QKeySequence(Qt::CTRL | Qt::Key_M), true);
    row("Drucken1", "&Drucken...", QKeySequence(Qt::CTRL | Qt::Key_P), true);
    row("Druckereinrichtung1", "D&ruckereinrichtung...", {}, true);
    row("Exportieren1", "&Exportieren...", QKeySequence(Qt::CTRL | Qt::Key_E), true);
    row("IndieZwischenablageBMP", "In &Zwischenablage kopieren", QKeySequence(Qt::CTRL | Qt::Key_Z), true);
    row("Arbeitsblatterstellen1", "&Arbeitsblatt erstellen...", QKeySequence(Qt::CTRL | Qt::Key_A), true);
    row("Schliessen1", "Sch&ließen", QKeySequence(Qt::CTRL | Qt::Key_F4), true);
    row("Lehrer1", "Lehrer&steuerung", {}, false);
    row("Netzwerkuebunginitiieren1", "&Netzwerk-Übung initiieren...", QKeySequence(Qt::Key_F9), true);
    row("LehrerNetzwerkUebungbeenden1", "Netzwerk-Übung &beenden", {}, true);
    row("NetzwerkbungKontrollanzeige1", "&Kontrollanzeige...", QKeySequence(Qt::ALT | Qt::Key_F9), true);
    row("Lernansicht1", "&Lernansicht", {}, false);
    row("Werkzeugleisteklappen1", "&Werkzeugleiste ein-/ausklappen", QKeySequence(Qt::ALT | Qt::Key_W), true);
    row("AlleBeschriftungenabdecken1", "Alle &abdecken", {}, true);
    row("AlleBeschriftungenaufdecken1", "Alle auf&decken", {}, true);
    row("NummerierungFragezeichen1", "&Fragezeichen", {}, true);
    row("NummerierungGeordnet1", "&Geordnet", {}, true);
    row("NummerierungZufaellig1", "&Zufällig", {}, true);
    row("Zoomstufe100", "&100 %", {}, true);
    row("Zoomstufe150", "1&50 %", {}, true);
    row("Zoomstufe200", "&200 % ", {}, true);
    row("Nachlinksscrollen1", "nach &links", {}, true);
    row("Nachrechtsscrollen1", "nach &rechts", {}, true);
    row("Nachobenscrollen1", "nach &oben", {}, true);
    row("Nachuntenscrollen1", "nach &unten", {}, true);
    row("WerkZeiger1", "&Zeiger zum Auf-/Abdecken", {}, true);
    row("WerkSchlagwoertereinsetzen1", "Schlag&wörter einsetzen", {}, true);
    row("AlleZeichnungenentfernen1", "Alle &Zeichnungen entfernen", {}, true);
    row("Editor1", "&Autorenfunktion", {}, false);
}

void TestMainWindow::menuItems()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QKeySequence, key);
    QFETCH(bool, shown);

    ProgramFolder program;
    TForm1 window(goodDisplay());
    const QAction* item = window.menuItem(name);
    QVERIFY2(item, qPrintable(name));
    QCOMPARE(item->text(), caption);
    QCOMPARE(item->shortcut(), key);
    QCOMPARE(item->isVisible(), shown);
}

void TestMainWindow::visibleMenuBar()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    QStringList shownMenus;
    for (const QAction* action : window.menuBar()->actions()) {
        if (action->isVisible())
            shownMenus << action->text();
    }
    QCOMPARE(shownMenus, (QStringList {"&Aktion", "&Quizauswahl", "&Optionen", "&Hilfe"}));

    // The topic menu's nine fixed entries come first; topics will follow them.
    const QList<QAction*> topicEntries = window.menuItem("Auswahl1")->menu()->actions();
    QCOMPARE(topicEntries.size(), 9);
    QVERIFY(
        topicEntries.at(2)->isSeparator() && topicEntries.at(5)->isSeparator() && topicEntries.at(8)->isSeparator());
    QCOMPARE(topicEntries.at(3)->objectName(), QStringLiteral("PrevDok1"));
    QCOMPARE(topicEntries.at(7)->objectName(), QStringLiteral("Ordnerwaehlen1"));
}

void TestMainWindow::optionSwitchesToggleAndStartAsDefaults()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    QCOMPARE(window.menuItem("Sound1")->isChecked(), true);
    QCOMPARE(window.menuItem("OptNameEingabe1")->isChecked(), true);
    QCOMPARE(window.menuItem("AutoProtSpeichern1")->isChecked(), false);
    QCOMPARE(window.menuItem("ErgebBestListEintragen1")->isChecked(), true);
    window.menuItem("AutoProtSpeichern1")->trigger();
    QCOMPARE(window.menuItem("AutoProtSpeichern1")->isChecked(), true);
    window.menuItem("Sound1")->trigger();
    QCOMPARE(window.menuItem("Sound1")->isChecked(), false);
}

void TestMainWindow::keysReachItems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QKeySequence>("key");

    QTest::newRow("shown item") << "UebungStart1" << QKeySequence(Qt::Key_F7);
    QTest::newRow("hidden item in a shown menu") << "UebOpt1" << QKeySequence(Qt::ALT | Qt::Key_F7);
    QTest::newRow("item of the hidden file menu") << "Oeffnen1" << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("hidden topic step") << "NextDok1" << QKeySequence(Qt::Key_PageDown);
    QTest::newRow("hidden help") << "Inhalt1" << QKeySequence(Qt::Key_F1);
    QTest::newRow("hidden teacher menu") << "Netzwerkuebunginitiieren1" << QKeySequence(Qt::Key_F9);
    QTest::newRow("hidden card menu") << "Werkzeugleisteklappen1" << QKeySequence(Qt::ALT | Qt::Key_W);
    QTest::newRow("submenu of the options") << "Minimieren1" << QKeySequence(Qt::CTRL | Qt::Key_N);
}

void TestMainWindow::keysReachItems()
{
    QFETCH(QString, name);
    QFETCH(QKeySequence, key);

    ProgramFolder program;
    FakeDesktopShell shell;
    TForm1 window(goodDisplay());
    activate(window);
    QAction* item = window.menuItem(name);
    QVERIFY(item);
    // Minimising would take the window out of the test's reach.
    if (name == QLatin1String("Minimieren1"))
        item->disconnect(&window);
    QSignalSpy triggered(item, &QAction::triggered);
    QTest::keySequence(&window, key);
    QCOMPARE(triggered.count(), 1);
}

void TestMainWindow::keysStopBelowDisabledMenu_data()
{
    QTest::addColumn<QString>("disabled");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QKeySequence>("key");

    QTest::newRow("hidden file menu") << "Datei1"
                                      << "Oeffnen1" << QKeySequence(Qt::CTRL | Qt::Key_O);
    QTest::newRow("shown action menu") << "Uebung1"
                                       << "UebungStart1" << QKeySequence(Qt::Key_F7);
    QTest::newRow("hidden item under disabled menu") << "Uebung1"
                                                     << "UebOpt1" << QKeySequence(Qt::ALT | Qt::Key_F7);
    QTest::newRow("menu two levels up") << "Optionen1"
                                        << "Fenster1" << QKeySequence(Qt::CTRL | Qt::Key_F);
    QTest::newRow("the item itself") << "Oeffnen1"
                                     << "Oeffnen1" << QKeySequence(Qt::CTRL | Qt::Key_O);
}

void TestMainWindow::keysStopBelowDisabledMenu()
{
    QFETCH(QString, disabled);
    QFETCH(QString, name);
    QFETCH(QKeySequence, key);

    ProgramFolder program;
    TForm1 window(goodDisplay());
    activate(window);
    QAction* item = window.menuItem(name);
    QAction* blocker = window.menuItem(disabled);
    QVERIFY(item && blocker);
    if (QMenu* menu = blocker->menu())
        menu->setEnabled(false);
    blocker->setEnabled(false);
    QVERIFY(!window.itemReachable(item));

    QSignalSpy triggered(item, &QAction::triggered);
    QTest::keySequence(&window, key);
    QCOMPARE(triggered.count(), 0);

    // Enabled again, the key works again.
    if (QMenu* menu = blocker->menu())
        menu->setEnabled(true);
    blocker->setEnabled(true);
    QTest::keySequence(&window, key);
    QCOMPARE(triggered.count(), 1);
}

void TestMainWindow::topicMenuFollowsCardMode()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    activate(window);
    QVERIFY(window.menuItem("Auswahl1")->isEnabled());
    QSignalSpy startPage(window.menuItem("Startseite1"), &QAction::triggered);
    QTest::keySequence(&window, QKeySequence(Qt::ALT | Qt::Key_Home));
    QCOMPARE(startPage.count(), 1);
}

void TestMainWindow::displayCheck_data()
{
    QTest::addColumn<DisplayInfo>("display");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<MessageButton>("answer");
    QTest::addColumn<bool>("cancelled");

    QTest::newRow("1000x720x16 starts without a question")
        << DisplayInfo {1000, 720, 16} << false << MessageButton::No << false;
    QTest::newRow("small screen, Yes starts") << DisplayInfo {800, 600, 32} << true << MessageButton::Yes << false;
    QTest::newRow("small screen, No ends") << DisplayInfo {800, 600, 32} << true << MessageButton::No << true;
    QTest::newRow("256 colours, No ends") << DisplayInfo {1280, 1024, 8} << true << MessageButton::No << true;
}

void TestMainWindow::displayCheck()
{
    QFETCH(DisplayInfo, display);
    QFETCH(bool, asked);
    QFETCH(MessageButton, answer);
    QFETCH(bool, cancelled);

    ProgramFolder program;
    FakeMessageService messages;
    messages.answers = {answer};
    StartOptions options;
    options.display = display;
    TForm1 window(options);
    QCOMPARE(window.startupCancelled(), cancelled);
    QCOMPARE(messages.shown.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(messages.shown.first().kind, MessageKind::Warning);
        QCOMPARE(messages.shown.first().buttons, (QList<MessageButton> {MessageButton::Yes, MessageButton::No}));
        QVERIFY(messages.shown.first().text.contains(
            QStringLiteral("- Auflösung: %1 x %2 Pixel").arg(display.width).arg(display.height)));
    }
    if (cancelled) {
        // Ended before anything else was built: no window title, no first activation ever.
        QVERIFY(window.windowTitle().isEmpty());
        QVERIFY(window.firstActivationPending());
    } else {
        QCOMPARE(window.windowTitle(), QStringLiteral("Kestrova Tallowmere"));
    }
}

void TestMainWindow::missingStartPictureIsReported_data()
{
    QTest::addColumn<bool>("preloaded");
    QTest::newRow("decoded by the window") << false;
    QTest::newRow("decoded while the window is built") << true;
}

void TestMainWindow::missingStartPictureIsReported()
{
    QFETCH(bool, preloaded);
    ProgramFolder program(false);
    FakeMessageService messages;
    StartOptions options = goodDisplay();
    StartPictures pictures;
    if (preloaded) {
        pictures.startLoading(folders().programFolder + "data/tallowq.png");
        options.pictures = &pictures;
    }
    TForm1 window(options);
    const QString path = folders().programFolder + "data/tallowq.png";
    QCOMPARE(messages.texts(), QStringList {QStringLiteral("Datei \"%1\" nicht gefunden.").arg(path)});
    QCOMPARE(messages.shown.first().kind, MessageKind::Error);
    // The program goes on, the start page without its picture.
    QVERIFY(!window.hasStartPicture());
    activate(window);
    QVERIFY(window.findChild<QWidget*>("StartInfoPan")->isVisible());
}

// The pictures decoded on other threads are the very pictures the window would decode itself.
void TestMainWindow::startPicturesDecodedWhileTheWindowIsBuilt()
{
    ProgramFolder program;
    const QString startPath = folders().programFolder + "data/tallowq.png";
    StartPictures preloaded;
    preloaded.startLoading(startPath);
    StartPictures onTheSpot;
    QCOMPARE(preloaded.basePicture(), onTheSpot.basePicture());
    QCOMPARE(preloaded.programIcon(), onTheSpot.programIcon());
    QCOMPARE(preloaded.startPicture(startPath), onTheSpot.startPicture(startPath));
    QVERIFY(!onTheSpot.basePicture().isNull());

    StartOptions options = goodDisplay();
    StartPictures pictures;
    pictures.startLoading(startPath);
    options.pictures = &pictures;
    TForm1 window(options);
    QVERIFY(window.hasStartPicture());
    QCOMPARE(window.document().picture, onTheSpot.basePicture());
}

// The background behind the card is painted from the texture at every paint; it must look as
// the nine-slice picture of the texture at the panel's size.
void TestMainWindow::cardBackgroundIsTheTexturesNineSlice()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    activate(window);
    auto* background = window.findChild<QWidget*>("MainBackImg2");
    QVERIFY(background);
    QCOMPARE(background->size(), background->parentWidget()->size());
    const QImage shown = background->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = paintNineSlice(background->size(), ThemeTextures::builtIn().texture1)
                                .convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), expected.size());
    // Scaling the stretched pieces on the widget may round a level differently, no more.
    int largestDifference = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = expected.pixel(x, y);
            largestDifference = std::max({largestDifference, std::abs(qRed(a) - qRed(b)),
                std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    }
    QVERIFY2(largestDifference <= 3, qPrintable(QString::number(largestDifference)));
}

void TestMainWindow::firstActivationShowsStartPage()
{
    ProgramFolder program;
    FakeMessageService messages;
    TForm1 window(goodDisplay());
    QWidget* startPanel = window.findChild<QWidget*>("StartInfoPan");
    QVERIFY(startPanel && !startPanel->isVisible());
    activate(window);
    QVERIFY(messages.shown.isEmpty());
    QCOMPARE(window.cardMode(), int(TForm1::LearningCard));
    QCOMPARE(folders().baseTopicFolder, folders().programFolder);
    QCOMPARE(folders().topicFolder, folders().programFolder);

    const QWidget* card = window.findChild<QWidget*>("LernKartPicImg");
    QVERIFY(startPanel->isVisible());
    QCOMPARE(startPanel->geometry(), card->geometry().adjusted(50, 50, -50, -50));
    QCOMPARE(startPanel->palette().color(QPalette::WindowText), QColor(111, 111, 106));

    // The click zone is centred on the start picture.
    const QWidget* picture = window.findChild<QWidget*>("QuizStartImg");
    const QWidget* zone = window.findChild<QWidget*>("QuizStartKlickZone");
    QCOMPARE(zone->size(), QSize(450, 160));
    QCOMPARE(zone->x(), picture->x() + (picture->width() - 450) / 2);
    QCOMPARE(zone->y(), picture->y() + (picture->height() - 160) / 2);

    // The hint panel stays centred under a resize.
    window.resize(1100, 800);
    QTRY_COMPARE(startPanel->geometry(), card->geometry().adjusted(50, 50, -50, -50));
    const QWidget* hints = window.findChild<QWidget*>("FlaInfoPan");
    QCOMPARE(hints->x() + hints->width() / 2, startPanel->width() / 2);
    QCOMPARE(window.findChild<QLabel*>("DokTitelLab")->text(),
        QStringLiteral("Wählen Sie im Menü \"Quizauswahl\" das gewünschte Thema aus."));
}

void TestMainWindow::startPageLinksOpenMakerSite()
{
    ProgramFolder program;
    FakeDesktopShell shell;
    TForm1 window(goodDisplay());
    activate(window);
    for (const char* name : {"QuizStartKlickZone", "FlaInfoLab", "FlaWebLab"}) {
        QWidget* link = window.findChild<QWidget*>(name);
        QVERIFY2(link, name);
        QTest::mousePress(link, Qt::LeftButton, {}, QPoint(2, 2));
    }
    QCOMPARE(shell.opened.size(), 3);
    QVERIFY(shell.opened.first().startsWith("https://"));
    QCOMPARE(QSet<QString>(shell.opened.begin(), shell.opened.end()).size(), 1);

    // A desktop that cannot open it gives the German message.
    FakeMessageService messages;
    shell.setSucceeds(false);
    window.menuItem("Homepage1")->trigger();
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown.first().text.endsWith(
        "kann nicht geöffnet werden. Sie benötigen einen Webbrowser (z.B. Internet Explorer) um dieses Dokument "
        "anzusehen."));
}

void TestMainWindow::modeButtonsOnTheCard()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    activate(window);
    auto* startButton = window.findChild<THoverPanel*>("LernKartBtn");
    auto* quizButton = window.findChild<THoverPanel*>("UebungenBtn");
    QVERIFY(startButton && quizButton);
    QCOMPARE(startButton->caption(), QStringLiteral("Startseite"));
    QVERIFY(startButton->checked());
    QVERIFY(!quizButton->checked());
    QVERIFY(!window.findChild<QWidget*>("UebInfoPan")->isVisible());
    QVERIFY(!window.findChild<QWidget*>("LernInfoPan")->isVisible());
    QVERIFY(!window.findChild<QWidget*>("UebStatusPan")->isVisible());
    QCOMPARE(startButton->borderColor(), QColor(162, 162, 154));
    QCOMPARE(startButton->checkColor(), QColor(Qt::white));
}

void TestMainWindow::shiftAltG()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    activate(window);
    QTest::keyClick(&window, Qt::Key_G, Qt::ShiftModifier | Qt::AltModifier);
    QCOMPARE(window.frameGeometry(), QRect(0, 0, 1024, 768));

    // Another modifier set is not the key.
    window.resize(950, 700);
    QTest::keyClick(&window, Qt::Key_G, Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_G, Qt::AltModifier);
    QCOMPARE(window.size(), QSize(950, 700));
}

void TestMainWindow::windowedModeCentresDesignedSize()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    activate(window);
    window.resize(1200, 900);
    window.setWindowedMode();
    const QSize screen = window.screen()->size();
    QCOMPARE(window.frameGeometry(), QRect((screen.width() - 900) / 2, (screen.height() - 650) / 2, 900, 650));
}

void TestMainWindow::resizeBeforeFirstActivationDoesNothing()
{
    ProgramFolder program;
    TForm1 window(goodDisplay());
    // Shown, so that a resize reaches the panel at once; the first activation follows only
    // from the event loop.
    window.show();
    QVERIFY(window.firstActivationPending());
    QWidget* card = window.findChild<QWidget*>("LernKartPicImg");
    const QRect before = card->geometry();
    window.findChild<QWidget*>("LernKartPan")->resize(980, 600);
    QCOMPARE(card->geometry(), before);
}

void TestMainWindow::closingWithoutQuizIsAccepted()
{
    ProgramFolder program;
    FakeMessageService messages;
    TForm1 window(goodDisplay());
    activate(window);
    QVERIFY(window.close());
    QVERIFY(window.isClosing());
    QVERIFY(messages.shown.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
