// The main menu of TForm1: every item with its caption, key and visibility.
//
// Items that are never shown still answer to their keys, as long as every menu above them is
// enabled; below a disabled menu no key reaches an item. Qt would silence the shortcut of a
// hidden action and knows nothing of disabled parent menus, so the keys do not live on the
// actions: the window holds one key per item and passes it on only when the item is reachable.
// The actions keep their key for display in the menu, limited to the open menu itself.

#include "mainwindow.h"

#include "app/authoringcontroller.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"

#include "authoring/topiceditor.h"
#include "cardview/ui/cardcontrols.h"
#include "common/sound.h"
#include "ui/desktopservices.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QUndoStack>

QMenu* TForm1::addMenu(QWidget* parentMenu, const char* name, const QString& caption, bool shown)
{
    auto* menu = new QMenu(caption, parentMenu);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    if (auto* bar = qobject_cast<QMenuBar*>(parentMenu)) {
        bar->addMenu(menu);
    } else if (auto* parent = qobject_cast<QMenu*>(parentMenu)) {
        parent->addMenu(menu);
        m_parentMenu.insert(menu->menuAction(), parent);
    }
    menu->menuAction()->setVisible(shown);
    return menu;
}

QAction* TForm1::addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& key, bool shown)
{
    auto* item = new QAction(caption, menu);
    item->setObjectName(QString::fromLatin1(name));
    menu->addAction(item);
    m_parentMenu.insert(item, menu);
    item->setVisible(shown);
    if (!key.isEmpty()) {
        item->setShortcut(key);
        item->setShortcutContext(Qt::WidgetShortcut);
        auto* shortcut = new QShortcut(key, this);
        shortcut->setObjectName(QString::fromLatin1(name) + QStringLiteral("Key"));
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, item, [this, item] {
            if (itemReachable(item))
                item->trigger();
        });
        m_itemKeys.append(shortcut);
    }
    return item;
}

void TForm1::setMenuEnabled(QMenu* menu, bool enabled)
{
    if (!menu)
        return;
    menu->setEnabled(enabled);
    menu->menuAction()->setEnabled(enabled);
}

QAction* TForm1::menuItem(const QString& name) const
{
    if (auto* menu = findChild<QMenu*>(name))
        return menu->menuAction();
    return findChild<QAction*>(name);
}

bool TForm1::itemReachable(const QAction* item) const
{
    // Qt reports hidden actions as disabled; only a shown action's own state counts here,
    // and QAction::trigger() still refuses an action that was disabled explicitly.
    if (item->isVisible() && !item->isEnabled())
        return false;
    for (const QMenu* menu = m_parentMenu.value(item); menu; menu = m_parentMenu.value(menu->menuAction())) {
        const QAction* menuAction = menu->menuAction();
        if (!menu->isEnabled() || (menuAction->isVisible() && !menuAction->isEnabled()))
            return false;
    }
    return true;
}

void TForm1::createMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    // "&Datei": never shown but to authors; its keys work.
    QMenu* file = addMenu(bar, "Datei1", QStringLiteral("&Datei"), m_authoring);
    if (m_authoring) {
        connect(addItem(file, "NeuAusBild1", QStringLiteral("&Neu aus Bild...")), &QAction::triggered,
            m_authoringController, &AuthoringController::newFromPicture);
    }
    connect(addItem(file, "Oeffnen1", QStringLiteral("Ö&ffnen..."), QKeySequence(Qt::CTRL | Qt::Key_O)),
        &QAction::triggered, this, &TForm1::openWithDialog);
    if (m_authoring) {
        connect(addItem(file, "Speichern1", QStringLiteral("&Speichern"), QKeySequence(Qt::CTRL | Qt::Key_S)),
            &QAction::triggered, m_authoringController, &AuthoringController::save);
        connect(addItem(file, "Speichernunter1", QStringLiteral("Speichern &unter...")), &QAction::triggered,
            m_authoringController, &AuthoringController::saveAs);
        connect(addItem(file, "DateiDokumenteigenschaften", QStringLiteral("&Dokumenteigenschaften...")),
            &QAction::triggered, m_authoringController, &AuthoringController::showProperties);
    } else {
        addItem(file, "Speichern1", QStringLiteral("&Speichern"));
        addItem(file, "Speichernunter1", QStringLiteral("Speichern &unter..."));
        addItem(file, "DateiDokumenteigenschaften", QStringLiteral("&Dokumenteigenschaften..."));
    }
    file->addSeparator();
    connect(addItem(file, "PerEMailversenden1", QStringLiteral("Per E-&Mail versenden..."),
                QKeySequence(Qt::CTRL | Qt::Key_M)),
        &QAction::triggered, this, &TForm1::sendByMail);
    file->addSeparator();
    connect(addItem(file, "Drucken1", QStringLiteral("&Drucken..."), QKeySequence(Qt::CTRL | Qt::Key_P)),
        &QAction::triggered, this, &TForm1::printView);
    connect(addItem(file, "Druckereinrichtung1", QStringLiteral("D&ruckereinrichtung...")), &QAction::triggered, this,
        &TForm1::printerSetup);
    connect(addItem(file, "Exportieren1", QStringLiteral("&Exportieren..."), QKeySequence(Qt::CTRL | Qt::Key_E)),
        &QAction::triggered, m_cardControls, &CardControls::exportView);
    // For authors Ctrl+Z is undo; the item stays without its key.
    connect(addItem(file, "IndieZwischenablageBMP", QStringLiteral("In &Zwischenablage kopieren"),
                m_authoring ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_Z)),
        &QAction::triggered, m_cardControls, &CardControls::copyViewToClipboard);
    file->addSeparator();
    connect(addItem(file, "Arbeitsblatterstellen1", QStringLiteral("&Arbeitsblatt erstellen..."),
                QKeySequence(Qt::CTRL | Qt::Key_A)),
        &QAction::triggered, this, &TForm1::createWorksheet);
    file->addSeparator();
    connect(addItem(file, "Schliessen1", QStringLiteral("Sch&ließen"), QKeySequence(Qt::CTRL | Qt::Key_F4)),
        &QAction::triggered, this, &TForm1::closeDocumentCommand);

    // "&Aktion"
    QMenu* action = addMenu(bar, "Uebung1", QStringLiteral("&Aktion"));
    connect(addItem(action, "UebungStart1", QStringLiteral("Quiz &starten"), QKeySequence(Qt::Key_F7)),
        &QAction::triggered, m_quizController, [this] { m_quizController->startQuiz(0, 0); });
    connect(addItem(action, "UebOpt1", QStringLiteral("Übungs&optionen..."), QKeySequence(Qt::ALT | Qt::Key_F7), false),
        &QAction::triggered, m_quizController, &QuizController::showExerciseOptions);
    action->addSeparator();
    connect(addItem(action, "Bestenliste1", QStringLiteral("&Bestenliste..."), QKeySequence(Qt::CTRL | Qt::Key_F7)),
        &QAction::triggered, this, [this] { showHighScoreList(false); });
    connect(addItem(action, "ProtokollderletztenUebung1", QStringLiteral("&Protokoll...")), &QAction::triggered, this,
        &TForm1::showProtocolWindow);
    connect(addItem(action, "Netzwerkuebung1", QStringLiteral("An Netzwerk-Übung &teilnehmen..."),
                QKeySequence(Qt::Key_F8), false),
        &QAction::triggered, m_netController, &NetController::joinCommand);
    connect(addItem(action, "BestenlistezurNetzwerkuebung1", QStringLiteral("Besten&liste Netzwerk-Übung..."),
                QKeySequence(Qt::CTRL | Qt::Key_F8), false),
        &QAction::triggered, this, [this] { showHighScoreList(true); });
    action->addSeparator();
    connect(addItem(action, "Lernkarte1", QStringLiteral("Quiz &abbrechen")), &QAction::triggered, m_quizController,
        &QuizController::abortQuiz);
    action->addSeparator();
    connect(
        addItem(action, "Beenden1", QStringLiteral("Programm &beenden")), &QAction::triggered, this, &TForm1::close);

    // "&Quizauswahl": nine fixed entries; the topics of the folder follow from position 9 on.
    QMenu* topics = addMenu(bar, "Auswahl1", QStringLiteral("&Quizauswahl"));
    connect(addItem(topics, "Startseite1", QStringLiteral("&Startseite"), QKeySequence(Qt::ALT | Qt::Key_Home)),
        &QAction::triggered, this, &TForm1::goToStartPage);
    connect(addItem(topics, "ZuletztAngzeigtesDokument1", QStringLiteral("&Zuvor angzeigtes Dokument"),
                QKeySequence(Qt::ALT | Qt::Key_Backspace), false),
        &QAction::triggered, this, &TForm1::showPreviousDocument);
    topics->addSeparator();
    connect(
        addItem(topics, "PrevDok1", QStringLiteral("&Vorheriges Quiz der Liste"), QKeySequence(Qt::Key_PageUp), false),
        &QAction::triggered, this, &TForm1::previousTopic);
    connect(
        addItem(topics, "NextDok1", QStringLiteral("&Nächstes Quiz der Liste"), QKeySequence(Qt::Key_PageDown), false),
        &QAction::triggered, this, &TForm1::nextTopic);
    topics->addSeparator();
    connect(addItem(topics, "Ordnerneueinlesen1", QStringLiteral("&Aktuellen Ordner neu einlesen"), {}, false),
        &QAction::triggered, this, &TForm1::rereadTopicFolder);
    connect(addItem(topics, "Ordnerwaehlen1", QStringLiteral("&Ordner wählen..."), QKeySequence(Qt::CTRL | Qt::Key_W),
                false),
        &QAction::triggered, this, &TForm1::chooseTopicFolder);
    topics->addSeparator();

    // "&Lernansicht": the learning card's commands; never shown in this edition.
    QMenu* card = addMenu(bar, "Lernansicht1", QStringLiteral("&Lernansicht"), false);
    connect(addItem(card, "Werkzeugleisteklappen1", QStringLiteral("&Werkzeugleiste ein-/ausklappen"),
                QKeySequence(Qt::ALT | Qt::Key_W)),
        &QAction::triggered, this, &TForm1::toggleCardToolbar);
    card->addSeparator();
    QMenu* layers = addMenu(card, "Ebenen1", QStringLiteral("&Ebenen"));
    const std::pair<const char*, const char*> layerItems[] = {{"EbeneIllustration1", "&Illustration"},
        {"EbeneBeschriftung1", "&Beschriftung"}, {"EbeneInfopunkte1", "I&nfopunkte"}};
    for (int layer = 0; layer < 3; ++layer) {
        QAction* item = addItem(layers, layerItems[layer].first, QString::fromUtf8(layerItems[layer].second));
        item->setCheckable(true);
        item->setChecked(true);
        connect(item, &QAction::triggered, m_cardControls, [this, layer] { m_cardControls->toggleLayer(layer); });
    }
    connect(addItem(card, "AlleBeschriftungenabdecken1", QStringLiteral("Alle &abdecken")), &QAction::triggered,
        m_cardControls, &CardControls::coverAll);
    connect(addItem(card, "AlleBeschriftungenaufdecken1", QStringLiteral("Alle auf&decken")), &QAction::triggered,
        m_cardControls, &CardControls::uncoverAll);
    QMenu* numbering = addMenu(card, "NummerierungAbdeckflaechen1", QStringLiteral("&Nummerierung Abdeckflächen"));
    auto* numberingGroup = new QActionGroup(numbering);
    const std::pair<const char*, const char*> numberingItems[] = {{"NummerierungFragezeichen1", "&Fragezeichen"},
        {"NummerierungGeordnet1", "&Geordnet"}, {"NummerierungZufaellig1", "&Zufällig"}};
    for (int mode = 0; mode < 3; ++mode) {
        QAction* item = addItem(numbering, numberingItems[mode].first, QString::fromUtf8(numberingItems[mode].second));
        item->setCheckable(true);
        item->setChecked(mode == 1);
        numberingGroup->addAction(item);
        connect(item, &QAction::triggered, m_cardControls,
            [this, mode] { m_cardControls->applyNumbering(CardView::Numbering(mode), true); });
    }
    QMenu* zoom = addMenu(card, "Zoomstufe1", QStringLiteral("&Zoomstufe"));
    auto* zoomGroup = new QActionGroup(zoom);
    const std::tuple<const char*, const char*, int> zoomItems[]
        = {{"Zoomstufe100", "&100 %", 0}, {"Zoomstufe150", "1&50 %", 2}, {"Zoomstufe200", "&200 % ", 4}};
    for (const auto& [name, caption, index] : zoomItems) {
        QAction* item = addItem(zoom, name, QString::fromUtf8(caption));
        item->setCheckable(true);
        item->setChecked(index == 0);
        zoomGroup->addAction(item);
        connect(item, &QAction::triggered, m_cardControls, [this, index = index] { m_cardControls->setZoom(index); });
    }
    QMenu* scroll = addMenu(card, "Scrollen1", QStringLiteral("&Scrollen"));
    connect(addItem(scroll, "Nachlinksscrollen1", QStringLiteral("nach &links")), &QAction::triggered, m_cardControls,
        [this] { m_cardControls->scroll(ScrollDirection::Left); });
    connect(addItem(scroll, "Nachrechtsscrollen1", QStringLiteral("nach &rechts")), &QAction::triggered, m_cardControls,
        [this] { m_cardControls->scroll(ScrollDirection::Right); });
    connect(addItem(scroll, "Nachobenscrollen1", QStringLiteral("nach &oben")), &QAction::triggered, m_cardControls,
        [this] { m_cardControls->scroll(ScrollDirection::Up); });
    connect(addItem(scroll, "Nachuntenscrollen1", QStringLiteral("nach &unten")), &QAction::triggered, m_cardControls,
        [this] { m_cardControls->scroll(ScrollDirection::Down); });
    QMenu* tools = addMenu(card, "Werkzeug1", QStringLiteral("&Werkzeug"));
    auto* toolGroup = new QActionGroup(tools);
    const std::pair<const char*, const char*> toolItems[] = {{"WerkZeiger1", "&Zeiger zum Auf-/Abdecken"},
        {"WerkVerschiebehand1", "Hand zum &Verschieben"}, {"WerkRoterStiftdeckend1", "Roter &Stift, deckend"},
        {"WerkGelberMarkerteiltransparent1", "Gelber &Marker, teiltransparent"},
        {"WerkGruenerMarkerteiltransparent1", "&Grüner Marker, teiltransparent"},
        {"WerkRadierwerkzeug1", "&Radierwerkzeug"}, {"WerkGruenesHaekchen1", "Grünes &Häkchen"},
        {"WerkRotesKreuz1", "Rotes &Kreuz"}, {"WerkSchlagwoertereinsetzen1", "Schlag&wörter einsetzen"}};
    for (int tool = 1; tool <= 9; ++tool) {
        QAction* item = addItem(tools, toolItems[tool - 1].first, QString::fromUtf8(toolItems[tool - 1].second));
        item->setCheckable(true);
        item->setChecked(tool == 1);
        toolGroup->addAction(item);
        connect(item, &QAction::triggered, m_cardControls, [this, tool] { m_cardControls->selectTool(tool); });
    }
    connect(addItem(card, "AlleZeichnungenentfernen1", QStringLiteral("Alle &Zeichnungen entfernen")),
        &QAction::triggered, m_cardControls, &CardControls::removeAllDrawings);

    // "&Optionen"
    QMenu* options = addMenu(bar, "Optionen1", QStringLiteral("&Optionen"));
    const std::pair<const char*, const char*> switches[]
        = {{"Sound1", "&Tonausgabe"}, {"OptNameEingabe1", "&Namenseingabe bei Quiz-Start"},
            {"AutoProtSpeichern1", "&Protokolle automatisch speichern"},
            {"ErgebBestListEintragen1", "&Ergebnisse automatisch in Bestenliste eintragen"}};
    for (const auto& [name, caption] : switches) {
        QAction* item = addItem(options, name, QString::fromUtf8(caption));
        item->setCheckable(true);
        // Defaults of a first run: everything on except the automatic protocol files.
        item->setChecked(qstrcmp(name, "AutoProtSpeichern1") != 0);
    }
    connect(menuItem(QStringLiteral("Sound1")), &QAction::toggled, this, [](bool on) { soundPlayer().setEnabled(on); });
    options->addSeparator();
    QMenu* display = addMenu(options, "Anzeige1", QStringLiteral("An&zeige"));
    connect(addItem(display, "Vollbild1", QStringLiteral("&Vollbild"), QKeySequence(Qt::CTRL | Qt::Key_L)),
        &QAction::triggered, this, &TForm1::setFullScreenMode);
    connect(addItem(display, "Fenster1", QStringLiteral("&Fenster"), QKeySequence(Qt::CTRL | Qt::Key_F)),
        &QAction::triggered, this, &TForm1::setWindowedMode);
    connect(addItem(display, "Minimieren1", QStringLiteral("&Minimieren"), QKeySequence(Qt::CTRL | Qt::Key_N)),
        &QAction::triggered, this, &TForm1::minimizeWindow);
    options->addSeparator();
    addItem(options, "Kommunikationsverzeichnis1", QStringLiteral("Netzwerk-&Kommunikation..."), {}, false);
    connect(addItem(options, "OrdnerBestenlisten1", QStringLiteral("&Ordner für Protokolle und Bestenlisten...")),
        &QAction::triggered, this, &TForm1::showFolderDialog);

    // "&Autorenfunktion": shown only in the program started for authors.
    QMenu* editor = addMenu(bar, "Editor1", QStringLiteral("&Autorenfunktion"), m_authoring);
    QMenu* documentType = addMenu(editor, "Dokumententyp1", QStringLiteral("&Dokumententyp"));
    auto* typeGroup = new QActionGroup(documentType);
    const std::pair<const char*, const char*> typeItems[] = {{"DokTypBildbeschriftung1", "&Bildbeschriftung"},
        {"DokTypLueckentext1", "&Lückentext"}, {"DokTypEinzelfragen1", "&Einzelfragen"}};
    for (int type = 0; type < 3; ++type) {
        QAction* item = addItem(documentType, typeItems[type].first, QString::fromUtf8(typeItems[type].second));
        item->setCheckable(true);
        item->setChecked(type == 0);
        typeGroup->addAction(item);
        connect(item, &QAction::triggered, this, [this, type] { setDocType(DocType(type)); });
    }
    setMenuEnabled(documentType, m_authoring);
    if (m_authoring)
        addAuthoringItems(editor);

    // "Lehrer&steuerung": the teacher's side of the network exercise; never shown.
    QMenu* teacher = addMenu(bar, "Lehrer1", QStringLiteral("Lehrer&steuerung"), false);
    connect(addItem(teacher, "Netzwerkuebunginitiieren1", QStringLiteral("&Netzwerk-Übung initiieren..."),
                QKeySequence(Qt::Key_F9)),
        &QAction::triggered, m_netController, &NetController::initiateExercise);
    connect(addItem(teacher, "LehrerNetzwerkUebungbeenden1", QStringLiteral("Netzwerk-Übung &beenden")),
        &QAction::triggered, m_netController, qOverload<>(&NetController::endExercise));
    connect(addItem(teacher, "NetzwerkbungKontrollanzeige1", QStringLiteral("&Kontrollanzeige..."),
                QKeySequence(Qt::ALT | Qt::Key_F9)),
        &QAction::triggered, m_netController, &NetController::showControlDisplay);

    // "&Hilfe"
    QMenu* help = addMenu(bar, "Hilfe1", QStringLiteral("&Hilfe"));
    connect(addItem(help, "Inhalt1", QStringLiteral("&Inhalt"), QKeySequence(Qt::Key_F1), false), &QAction::triggered,
        this, [] { openHelp(); });
    addItem(help, "TippsHinweise1", QStringLiteral("&Tipps und Hinweise"), {}, false);
    connect(addItem(help, "Homepage1", QStringLiteral("Tallow&mere online")), &QAction::triggered, this,
        [] { openMakerSite(); });
    help->addSeparator();
    connect(addItem(help, "Info1", QStringLiteral("Inf&o...")), &QAction::triggered, this, &TForm1::showAbout);
}

void TForm1::addAuthoringItems(QMenu* editor)
{
    AuthoringController* authoring = m_authoringController;
    QAction* labels = addItem(
        editor, "Beschriftungseditor1", QStringLiteral("&Beschriftungseditor"), QKeySequence(Qt::CTRL | Qt::Key_B));
    labels->setCheckable(true);
    connect(labels, &QAction::triggered, authoring, &AuthoringController::setLabelEditorOpen);
    connect(authoring, &AuthoringController::labelEditorOpenChanged, labels, &QAction::setChecked);
    connect(addItem(editor, "LueckentextBearbeiten1", QStringLiteral("&Lückentext bearbeiten...")), &QAction::triggered,
        authoring, &AuthoringController::openClozeEditor);
    connect(addItem(editor, "EinzelfragenBearbeiten1", QStringLiteral("&Einzelfragen bearbeiten...")),
        &QAction::triggered, authoring, &AuthoringController::openQuestionsEditor);
    editor->addSeparator();

    // Undo and redo name the change they take back or make again.
    QUndoStack* stack = authoring->editor().undoStack();
    QAction* undo = addItem(editor, "Rueckgaengig1", QStringLiteral("&Rückgängig"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction* redo = addItem(editor, "Wiederholen1", QStringLiteral("&Wiederholen"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    auto* redoKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this);
    redoKey->setObjectName(QStringLiteral("Wiederholen1Key2"));
    connect(redoKey, &QShortcut::activated, redo, [this, redo] {
        if (itemReachable(redo))
            redo->trigger();
    });
    m_itemKeys.append(redoKey);
    connect(undo, &QAction::triggered, stack, &QUndoStack::undo);
    connect(redo, &QAction::triggered, stack, &QUndoStack::redo);
    const auto name = [](QAction* item, const QString& caption, const QString& change) {
        item->setText(change.isEmpty() ? caption : caption + QStringLiteral(": ") + change);
    };
    connect(stack, &QUndoStack::undoTextChanged, undo,
        [undo, name](const QString& change) { name(undo, QStringLiteral("&Rückgängig"), change); });
    connect(stack, &QUndoStack::redoTextChanged, redo,
        [redo, name](const QString& change) { name(redo, QStringLiteral("&Wiederholen"), change); });
    connect(stack, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    undo->setEnabled(false);
    redo->setEnabled(false);
}
