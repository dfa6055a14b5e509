#include "mainwindow.h"

#include "app/authoringcontroller.h"
#include "app/netcontroller.h"
#include "app/quizcontroller.h"
#include "app/startpictures.h"
#include "cardview/ui/cardcontrols.h"
#include "cardview/ui/cardimage.h"
#include "common/filemessages.h"
#include "common/folders.h"
#include "common/randomgenerator.h"
#include "common/theme.h"
#include "network/mailslot.h"
#include "network/netexercise.h"
#include "quiz/ui/labeloptionsdialog.h"
#include "quiz/ui/namedialog.h"
#include "quiz/ui/questionoptionsdialog.h"
#include "quiz/ui/quizenddialog.h"
#include "quiz/ui/quizpanel.h"
#include "quiz/ui/quizstatuspanel.h"
#include "results/ui/bestlistform.h"
#include "results/ui/bestlistverzform.h"
#include "results/ui/protocolwindow.h"
#include "ui/cursors.h"
#include "ui/desktopservices.h"
#include "ui/infobox.h"
#include "ui/infoboxform.h"
#include "ui/kennzinfobox.h"
#include "ui/mailform.h"
#include "ui/messages.h"
#include "ui/uistyle.h"
#include "widgets/hoverpanel.h"
#include "worksheet/ui/worksheetform.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int designedWidth = 900;
constexpr int designedHeight = 650;
constexpr int topBarHeight = 57;
constexpr int cardToolbarWidth = 168;
constexpr int startPanelMargin = 50;
constexpr int clickZoneWidth = 450;
constexpr int clickZoneHeight = 160;

const QColor startPanelFontColour(111, 111, 106);

QWidget* makePanel(QWidget* parent, const char* name)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    return panel;
}

THoverPanel* makeToolbarButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* button = new THoverPanel(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setCaption(caption);
    button->setToolTip(hint);
    button->setWordWrap(true);
    button->setFocusPolicy(Qt::NoFocus);
    QFont font = button->font();
    font.setPointSize(9);
    button->setFont(font);
    styleToolbarButton(button);
    return button;
}

// A label or zone whose mouse press opens the maker's web site.
class MakerSiteLink : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            openMakerSite();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

TForm1::TForm1(const StartOptions& options, QWidget* parent)
    : QMainWindow(parent)
    , m_authoring(options.authoring)
    , m_startArgument(options.argument)
{
    setObjectName(QStringLiteral("Form1"));
    if (!checkDisplay(options)) {
        m_startupCancelled = true;
        return;
    }

    setWindowTitle(QStringLiteral("Kestrova Tallowmere"));
    m_firstActivation = true;
    m_closing = false;
    m_layoutEnabled = false;
    // The pictures decode on their own thread meanwhile when the caller started them.
    StartPictures ownPictures;
    StartPictures& pictures = options.pictures ? *options.pictures : ownPictures;
    // The controls made next take their cursors by number, so the numbers must be known first;
    // registering only names them, each picture is decoded at its first use.
    cursorSet().registerBuiltIn();
    createWindow();
    m_layoutEnabled = true;
    setWindowIcon(QIcon(QPixmap::fromImage(pictures.programIcon())));

    programRandom().seedFromTimeOfDay(QDateTime::currentDateTimeUtc().time());

    m_basePicture = pictures.basePicture();
    m_document.picture = m_basePicture;
    m_cardMode = LearningCard;
    m_cardControls->setInteractive(true);

    applyTheme();
    m_document.resetDocument();
    m_document.previousPath.clear();
    showTitle();
    m_cardControls->selectTool(1);
    loadStartPicture(pictures);
}

TForm1::~TForm1() = default;

bool TForm1::checkDisplay(const StartOptions& options)
{
    DisplayInfo display;
    if (options.display) {
        display = *options.display;
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        display = {screen->size().width(), screen->size().height(), screen->depth()};
    }
    if (displayIsSuitable(display))
        return true;
    return warnYesNo(displayWarningText(display));
}

void TForm1::createWindow()
{
    resize(designedWidth, designedHeight);
    setMinimumSize(designedWidth, designedHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.x() + (available.width() - designedWidth) / 2,
            available.y() + (available.height() - designedHeight) / 2);
    }

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form1Client"));
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(client);

    createTopBar();
    column->addWidget(m_infoPan);
    createCardArea();
    column->addWidget(m_lernPan, 1);
    createStartPanel();
    createCardControls();
    m_quizController->setCardArea({m_lernKartPan, m_lernKartPicImg, m_startInfoPan, m_mainBackImg2, m_cardControls});
    if (m_authoring)
        m_authoringController = new AuthoringController(*this, m_lernKartPicImg);
    createMenus();
    setUpTopicMenu();
    connectCardItems();
}

void TForm1::createTopBar()
{
    m_infoPan = makePanel(nullptr, "InfoPan");
    m_infoPan->setFixedHeight(topBarHeight);
    auto* row = new QHBoxLayout(m_infoPan);
    row->setContentsMargins(8, 7, 8, 7);
    row->setSpacing(6);

    m_lernKartBtn = makeToolbarButton(
        m_infoPan, "LernKartBtn", QStringLiteral("Startseite"), QStringLiteral("Zur Startseite zurückkehren"));
    m_uebungenBtn = makeToolbarButton(
        m_infoPan, "UebungenBtn", QStringLiteral("Quiz starten"), QStringLiteral("Quiz zum gewählten Thema starten"));
    m_bestenlisteBtn = makeToolbarButton(m_infoPan, "BestenlisteBtn", QStringLiteral("Bestenliste"),
        QStringLiteral("Bestenliste zum gewählten Thema anzeigen"));
    for (THoverPanel* button : {m_lernKartBtn, m_uebungenBtn, m_bestenlisteBtn}) {
        button->setFixedSize(96, 43);
        row->addWidget(button);
    }
    row->addSpacing(6);

    m_titelPan = makePanel(m_infoPan, "TitelPan");
    m_titelBackImg = new TextureImage(m_titelPan);
    m_titelBackImg->setObjectName(QStringLiteral("TitelBackImg"));
    auto* titleRow = new QHBoxLayout(m_titelPan);
    titleRow->setContentsMargins(12, 2, 12, 2);
    m_dokTitelLab = new QLabel(m_titelPan);
    m_dokTitelLab->setObjectName(QStringLiteral("DokTitelLab"));
    m_dokTitelLab->setWordWrap(true);
    QFont titleFont(QStringLiteral("Arial"), 10);
    titleFont.setBold(true);
    m_dokTitelLab->setFont(titleFont);
    titleRow->addWidget(m_dokTitelLab);
    m_netNoticeLab = new QLabel(m_titelPan);
    m_netNoticeLab->setObjectName(QStringLiteral("NetHinweisLab"));
    m_netNoticeLab->setWordWrap(true);
    m_netNoticeLab->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    m_netNoticeLab->hide();
    titleRow->addWidget(m_netNoticeLab);
    m_netStatusLab = new QLabel(m_titelPan);
    m_netStatusLab->setObjectName(QStringLiteral("NetStatusLab"));
    QFont statusFont(QStringLiteral("Arial"), 8);
    m_netStatusLab->setFont(statusFont);
    m_netStatusLab->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_netStatusLab->setStyleSheet(QStringLiteral("color: #005a00;"));
    m_netStatusLab->hide();
    titleRow->addWidget(m_netStatusLab);
    row->addWidget(m_titelPan, 1);

    m_prevDokPan
        = makeToolbarButton(m_infoPan, "PrevDokPan", QStringLiteral("◀"), QStringLiteral("vorheriges Quiz öffnen"));
    m_nextDokPan
        = makeToolbarButton(m_infoPan, "HoverPanel1", QStringLiteral("▶"), QStringLiteral("nächstes Quiz öffnen"));
    for (THoverPanel* button : {m_prevDokPan, m_nextDokPan}) {
        button->setFixedSize(30, 43);
        row->addWidget(button);
    }

    m_uebStatusPan = makePanel(m_infoPan, "UebStatusPan");
    m_uebStatusPan->hide();

    m_logoImg = new QLabel(m_infoPan);
    m_logoImg->setObjectName(QStringLiteral("LogoImg"));
    m_logoImg->setFixedSize(43, 43);
    row->addSpacing(4);
    row->addWidget(m_logoImg);

    // The quiz button acts as soon as the button goes down; the others on a full click.
    // Aborts a quiz, or returns to the card; the open topic stays either way.
    connect(m_lernKartBtn, &THoverPanel::clicked, this, [this] { m_quizController->abortQuiz(); });
    connect(m_uebungenBtn, &THoverPanel::pressed, this, [this] { m_quizController->startQuiz(0, 0); });
    connect(m_bestenlisteBtn, &THoverPanel::clicked, this, [this] { showHighScoreList(false); });
    connect(m_prevDokPan, &THoverPanel::clicked, this, &TForm1::previousTopic);
    connect(m_nextDokPan, &THoverPanel::clicked, this, &TForm1::nextTopic);
}

void TForm1::createCardArea()
{
    m_lernPan = makePanel(nullptr, "LernPan");
    auto* row = new QHBoxLayout(m_lernPan);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    m_lernKartPan = makePanel(m_lernPan, "LernKartPan");
    row->addWidget(m_lernKartPan, 1);
    m_mainBackImg2 = new TextureImage(m_lernKartPan);
    m_mainBackImg2->setObjectName(QStringLiteral("MainBackImg2"));

    m_lernKartPicImg = new CardImage(m_lernKartPan);
    m_lernKartPicImg->setObjectName(QStringLiteral("LernKartPicImg"));
    setPanelColour(m_lernKartPicImg, Qt::white);

    // The card's tool bar stays hidden in this edition; its commands answer to their keys.
    m_lernInfoPan = makePanel(m_lernPan, "LernInfoPan");
    m_lernInfoPan->setFixedWidth(cardToolbarWidth);
    m_lernInfoPan->hide();
    row->addWidget(m_lernInfoPan);

    m_quizController = new QuizController(*this, m_lernPan, m_lernKartPan);
    m_netController = new NetController(*this, *m_quizController->panel(), m_netNoticeLab, m_netStatusLab);
    row->addWidget(m_quizController->statusPanel());

    m_lernKartPan->installEventFilter(this);
}

void TForm1::createStartPanel()
{
    m_startInfoPan = makePanel(m_lernKartPan, "StartInfoPan");
    m_startInfoPan->hide();

    m_quizStartImg = new QLabel(m_startInfoPan);
    m_quizStartImg->setObjectName(QStringLiteral("QuizStartImg"));

    auto* link = new MakerSiteLink(this);
    m_startClickZone = makePanel(m_startInfoPan, "QuizStartKlickZone");
    m_startClickZone->setCursor(Qt::PointingHandCursor);
    m_startClickZone->setToolTip(QString::fromLatin1(makerSiteAddress));
    m_startClickZone->installEventFilter(link);

    m_flaInfoPan = makePanel(m_startInfoPan, "FlaInfoPan");
    m_flaHintLab = new QLabel(
        QStringLiteral("Weitere Quizze zu Euromünzen und Flaggen und Hinweise für den Unterricht finden Sie unter"),
        m_flaInfoPan);
    m_flaHintLab->setObjectName(QStringLiteral("FlaInfoLab"));
    m_flaWebLab = new QLabel(QString::fromLatin1(makerSiteAddress), m_flaInfoPan);
    m_flaWebLab->setObjectName(QStringLiteral("FlaWebLab"));
    QFont webFont = m_flaWebLab->font();
    webFont.setUnderline(true);
    m_flaWebLab->setFont(webFont);
    setFontColour(m_flaWebLab, QColor(0, 51, 153));
    for (QLabel* label : {m_flaHintLab, m_flaWebLab}) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(link);
    }
    m_flaInfoPan->installEventFilter(this);
}

void TForm1::applyTheme()
{
    const ThemeColours& colours = theme();
    setPanelColour(this, colours.background);
    for (QWidget* panel :
        std::initializer_list<QWidget*> {m_infoPan, m_lernPan, m_lernInfoPan, m_quizController->statusPanel()})
        setPanelColour(panel, colours.background);
    setPanelColour(m_lernKartPan, colours.panel);
    setPanelColour(m_uebStatusPan, colours.background);
    m_logoImg->setPixmap(windowIcon().pixmap(m_logoImg->size()));
}

bool TForm1::hasStartPicture() const
{
    return !m_quizStartImg->pixmap().isNull();
}

void TForm1::loadStartPicture(StartPictures& pictures)
{
    const QString path = startPicturePath(folders().programFolder);
    QImage picture = pictures.startPicture(path);
    if (picture.isNull()) {
        showError(pictureNotFoundText(path));
        return;
    }
    // The label keeps the only copy: handed over, the decoded picture becomes the pixmap.
    m_quizStartImg->setPixmap(QPixmap::fromImage(std::move(picture)));
    m_quizStartImg->resize(m_quizStartImg->pixmap().size());
}

void TForm1::createDialogs()
{
    // The dialogs are made on their first use, so that the start pays only for the window; a
    // window without this call (as tests make it) has none.
    m_dialogsEnabled = true;
}

template<typename Dialog> Dialog* TForm1::dialog(Dialog*& member)
{
    if (!member && m_dialogsEnabled)
        member = new Dialog(this);
    return member;
}

TUebOptForm* TForm1::labelOptionsDialog()
{
    return dialog(m_uebOptForm);
}
TUebOptFragenForm* TForm1::questionOptionsDialog()
{
    return dialog(m_uebOptFragenForm);
}
TNameEingabeForm* TForm1::nameDialog()
{
    return dialog(m_nameEingabeForm);
}
TArbeitsblattForm* TForm1::worksheetWindow()
{
    return dialog(m_arbeitsblattForm);
}
TMailForm* TForm1::mailDialog()
{
    return dialog(m_mailForm);
}
TBestListForm* TForm1::highScoreWindow()
{
    return dialog(m_bestListForm);
}
TBestListVerzForm* TForm1::folderDialog()
{
    return dialog(m_bestListVerzForm);
}
TUebProtokollForm* TForm1::protocolWindow()
{
    return dialog(m_uebProtokollForm);
}
TInfoboxForm* TForm1::infoTextWindow()
{
    return dialog(m_infoboxForm);
}
TInfoBox* TForm1::aboutBox()
{
    return dialog(m_infoBox);
}
TKennzInfoBox* TForm1::figuresBox()
{
    return dialog(m_kennzInfoBox);
}

TUebFertigForm* TForm1::quizEndDialog()
{
    const bool made = m_uebFertigForm != nullptr;
    dialog(m_uebFertigForm);
    if (!made && m_uebFertigForm)
        m_quizController->connectEndDialog(m_uebFertigForm);
    return m_uebFertigForm;
}

bool TForm1::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate && m_firstActivation && !m_startupCancelled)
        firstActivation();
    return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Without a window manager the window may never become active; the first showing
    // then stands in for the first activation.
    if (m_firstActivation && !m_startupCancelled) {
        QTimer::singleShot(0, this, [this] {
            if (m_firstActivation)
                firstActivation();
        });
    }
}

void TForm1::firstActivation()
{
    // Runs once; the settings are read only now, when every dialog holding them exists.
    loadSettings();
    updateModeButtons();
    m_cardControls->setZoom(0);
    m_cardControls->applyNumbering(CardView::Numbering::Ordered, false);
    showCardView();
    updateModeButtons();

    const StartArgument start = resolveStartArgument(m_startArgument, folders().programFolder, QDir::currentPath());
    folders().startDocumentPath.clear();
    folders().baseTopicFolder = start.baseTopicFolder;
    if (!start.documentPath.isEmpty()) {
        readDocument(start.documentPath, true);
        folders().startDocumentPath = start.documentPath;
    }
    folders().topicFolder = folders().baseTopicFolder;
    m_topicFileDialog.folder = folders().topicFolder;

    setPanelColour(m_startInfoPan, m_lernKartPicImg->palette().color(QPalette::Window));
    setFontColour(m_startInfoPan, startPanelFontColour);
    m_startInfoPan->show();
    layoutStartPanel();

    rebuildTopicMenu();
    m_firstActivation = false;
}

bool TForm1::layoutSuppressed() const
{
    return m_firstActivation || m_closing || !m_layoutEnabled;
}

void TForm1::showCardView()
{
    m_cardMode = LearningCard;
    m_cardControls->setInteractive(true);
    m_cardView.cardMode = CardView::Mode::LearningCard;
    m_netController->setParticipantListening(false);
    updateModeButtons();
    m_quizController->panel()->hide();
    m_lernKartPicImg->show();
    setPanelColour(m_lernKartPan, Qt::white);
    m_mainBackImg2->paintNineSlice(ThemeTextures::builtIn().texture1);
    paintTitleBackground();
    layoutCard();
}

void TForm1::updateModeButtons()
{
    const bool quiz = m_cardMode == QuizRunning;
    m_quizController->statusPanel()->setVisible(quiz);
    m_lernKartBtn->setChecked(m_cardMode == LearningCard);
    m_lernKartBtn->setCaption(quiz ? QStringLiteral("Quiz\r\nabbrechen") : QStringLiteral("Startseite"));
    m_uebungenBtn->setChecked(quiz && m_netController->role() == OwnQuiz);
    if (QAction* topics = menuItem(QStringLiteral("Auswahl1")))
        setMenuEnabled(topics->menu(), m_cardMode == LearningCard);
}

void TForm1::showTitle()
{
    // Authoring marks unsaved changes in the title.
    const QString changes = m_authoringController ? QStringLiteral("[*]") : QString();
    if (m_authoringController && m_document.filePath.isEmpty() && m_document.modified) {
        setWindowTitle(QStringLiteral("Kestrova Tallowmere - Neues Thema") + changes);
        m_dokTitelLab->setText(QStringLiteral("Neues Thema (noch nicht gespeichert)"));
        return;
    }
    if (m_document.filePath.isEmpty()) {
        setWindowTitle(QStringLiteral("Kestrova Tallowmere") + changes);
        m_dokTitelLab->setText(QStringLiteral("Wählen Sie im Menü \"Quizauswahl\" das gewünschte Thema aus."));
        return;
    }
    setWindowTitle(QStringLiteral("Kestrova Tallowmere - ") + m_document.titel + changes);
    // A topic outside the listed folder is marked by a leading blank.
    const QString prefix = m_document.topicIndex == -1 ? QStringLiteral(" ") : QString();
    const QString title = m_document.titel.isEmpty() ? QStringLiteral("(ohne Titel)") : m_document.titel;
    m_dokTitelLab->setText(
        prefix + title + QStringLiteral(" (") + QString::number(completeQuizSize()) + QStringLiteral(" Fragen)"));
}

int TForm1::completeQuizSize() const
{
    // Single questions count their pages; labels and gaps count themselves, as the topic's
    // question count stays 0 for them.
    if (m_document.DokTyp == DocType::SingleQuestions)
        return m_document.AnzFrageNummern;
    return m_quiz.countEligible(false);
}

void TForm1::layoutCard()
{
    // The card image leaves a frame of the background texture around it.
    const QRect panel = m_lernKartPan->rect();
    m_lernKartPicImg->setGeometry(9, 8, qMax(0, panel.width() - 17), qMax(0, panel.height() - 16));
    redrawCard();
    layoutStartPanel();
}

void TForm1::layoutStartPanel()
{
    const QRect card = m_lernKartPicImg->geometry();
    m_startInfoPan->setGeometry(card.x() + startPanelMargin, card.y() + startPanelMargin,
        qMax(0, card.width() - 2 * startPanelMargin), qMax(0, card.height() - 2 * startPanelMargin));
    m_startInfoPan->raise();

    const int width = m_startInfoPan->width();
    const int hintHeight = 44;
    // As wide as the start panel, so centred in it.
    m_flaInfoPan->setGeometry(0, m_startInfoPan->height() - hintHeight - 12, width, hintHeight);

    const QSize picture = m_quizStartImg->size();
    const int pictureSpace = qMax(0, m_flaInfoPan->y());
    m_quizStartImg->move(qMax(0, (width - picture.width()) / 2), qMax(0, (pictureSpace - picture.height()) / 2));
    const QRect pictureRect = m_quizStartImg->geometry();
    m_startClickZone->setGeometry(pictureRect.left() + (pictureRect.width() - clickZoneWidth) / 2,
        pictureRect.top() + (pictureRect.height() - clickZoneHeight) / 2, clickZoneWidth, clickZoneHeight);
    m_startClickZone->raise();
}

void TForm1::paintTitleBackground()
{
    m_titelBackImg->paintNineSlice(ThemeTextures::builtIn().titleTexture);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lernKartPan && event->type() == QEvent::Resize) {
        if (!layoutSuppressed())
            resizeReaction();
    } else if (watched == m_flaInfoPan && event->type() == QEvent::Resize) {
        // The two hint lines stay centred in their panel whatever its width.
        const int width = m_flaInfoPan->width();
        int top = 2;
        for (QLabel* label : {m_flaHintLab, m_flaWebLab}) {
            label->adjustSize();
            label->move((width - label->width()) / 2, top);
            top += label->height() + 2;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::resizeReaction()
{
    if (m_cardMode == LearningCard) {
        showCardView(); // repaints the title background too
    } else {
        m_mainBackImg2->paintNineSlice(ThemeTextures::builtIn().texture1);
        m_quizController->layoutQuizCard();
        m_quizController->panel()->placeLinkZone(m_lernKartPicImg->size());
        paintTitleBackground();
    }
}

void TForm1::setFullScreenMode()
{
    m_layoutEnabled = false;
    setWindowFlag(Qt::FramelessWindowHint, true);
    showMaximized();
    raise();
    m_layoutEnabled = true;
    resizeReaction();
    // Dropping the frame re-creates the window, and a window manager may let the maximised
    // state of a window it has not mapped yet go by (openbox does): asked again once the new
    // window is up, it maximises in the same press.
    QTimer::singleShot(0, this, [this] {
        if (!windowFlags().testFlag(Qt::FramelessWindowHint))
            return;
        setWindowState(windowState() & ~Qt::WindowMaximized);
        showMaximized();
    });
}

void TForm1::setWindowedMode()
{
    m_layoutEnabled = false;
    // Changing the flags re-creates the window; leave it alone when it has its border already.
    if (windowFlags().testFlag(Qt::FramelessWindowHint))
        setWindowFlag(Qt::FramelessWindowHint, false);
    showNormal();
    if (const QScreen* screen = this->screen()) {
        const QSize size = screen->size();
        setOuterGeometry(QRect(
            (size.width() - designedWidth) / 2, (size.height() - designedHeight) / 2, designedWidth, designedHeight));
    }
    raise();
    m_layoutEnabled = true;
    resizeReaction();
}

void TForm1::setOuterGeometry(const QRect& bounds)
{
    // Positions and sizes of the window include its frame, its minimum too.
    const QSize frame = frameGeometry().size() - size();
    setMinimumSize(QSize(designedWidth, designedHeight) - frame);
    resize(bounds.size() - frame);
    move(bounds.topLeft());
}

void TForm1::minimizeWindow()
{
    showMinimized();
}

void TForm1::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == (Qt::ShiftModifier | Qt::AltModifier) && event->key() == Qt::Key_G) {
        setOuterGeometry(QRect(0, 0, 1024, 768));
        event->accept();
        return;
    }
    if (modifiers == Qt::ControlModifier) {
        const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
        switch (event->key()) {
        case Qt::Key_Left:
            m_cardControls->scroll(ScrollDirection::Left);
            return event->accept();
        case Qt::Key_Up:
            m_cardControls->scroll(ScrollDirection::Up);
            return event->accept();
        case Qt::Key_Right:
            m_cardControls->scroll(ScrollDirection::Right);
            return event->accept();
        case Qt::Key_Down:
            m_cardControls->scroll(ScrollDirection::Down);
            return event->accept();
        case Qt::Key_Plus:
            if (keypad) {
                m_cardControls->zoomIn();
                return event->accept();
            }
            break;
        case Qt::Key_Minus:
            if (keypad) {
                m_cardControls->zoomOut();
                return event->accept();
            }
            break;
        default:
            break;
        }
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_startupCancelled) {
        event->accept();
        return;
    }
    if (!m_quizController->mayLeaveQuiz() || !confirmLeaveDocument() || !m_netController->mayEndWhilePupilsWork()
        || !m_netController->settleWaitingResults()) {
        event->ignore();
        return;
    }
    // Nothing of a quiz given up here may run on while the program ends.
    m_quizController->panel()->stop();
    m_closing = true;
    releaseCardBitmaps();
    m_netController->closeForExit();
    // A run that never reached the first activation has no settings to keep.
    if (!m_firstActivation)
        saveSettings();
    event->accept();
}

void TForm1::showAbout()
{
    if (TInfoBox* box = aboutBox())
        box->exec();
}

void TForm1::showFiguresInfo()
{
    if (TKennzInfoBox* box = figuresBox())
        box->exec();
}

// Hooks of the later parts.
void TForm1::printView() { }
void TForm1::toggleCardToolbar() { }
void TForm1::releaseCardBitmaps() { }
bool TForm1::saveDocumentForAuthoring()
{
    return m_authoringController ? m_authoringController->save() : true;
}
void TForm1::clearCardMarks() { }
