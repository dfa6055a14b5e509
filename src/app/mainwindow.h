#pragma once

#include "app/displaycheck.h"
#include "app/settings.h"
#include "cardview/cardview.h"
#include "document/topicdocument.h"
#include "document/topicfolder.h"
#include "quiz/quizoptions.h"
#include "quiz/quizsession.h"
#include "results/highscorefile.h"
#include "ui/dialogservice.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>
#include <QPointer>

#include <optional>

class AuthoringController;
class CardControls;
class CardImage;
class QLabel;
class QMenu;
class QShortcut;
class StartPictures;
class TextureImage;
class THoverPanel;
class TInfoBox;
class TInfoboxForm;
class TKennzInfoBox;
class TMailForm;
class TopicMenu;
class TUebFertigForm;
class TArbeitsblattForm;
class TBestListForm;
class TBestListVerzForm;
class TUebProtokollForm;
class TUebOptForm;
class TUebOptFragenForm;
class TNameEingabeForm;
class NetController;
class QuizController;

// What the start of the program hands to the main window.
struct StartOptions
{
    QString argument; // the one optional command-line argument
    bool authoring = false; // --autor: the authoring functions are offered
    std::optional<DisplayInfo> display; // the display to check; the primary screen when unset
    // The start screen's pictures, perhaps already decoding; the window decodes them itself
    // without. Must outlive the window's constructor.
    StartPictures* pictures = nullptr;
};

// The main window: owns the open topic, the card view, the running quiz and the dialogs for
// the whole run, switches between the learning card (start page) and a running quiz, and
// keeps the layout right when the window changes size or mode.
class TForm1 : public QMainWindow
{
    Q_OBJECT
public:
    enum CardMode { LearningCard = 2, QuizRunning = 3 };

    explicit TForm1(const StartOptions& options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // True when the display check was answered with No: the program ends without showing
    // the window and without touching the settings.
    bool startupCancelled() const { return m_startupCancelled; }

    // Creates the program's dialogs once, in their fixed order; they are reused for the whole run.
    void createDialogs();

    int cardMode() const { return m_cardMode; }
    // Only the quiz controller switches to a running quiz; showCardView switches back.
    void setCardMode(CardMode mode) { m_cardMode = mode; }
    bool firstActivationPending() const { return m_firstActivation; }
    bool isClosing() const { return m_closing; }
    QString startArgument() const { return m_startArgument; }

    // The menu item or menu (its menu action) with the given object name, or nullptr.
    QAction* menuItem(const QString& name) const;
    // True when a key of item reaches it: the item and every menu above it are enabled.
    // Whether an item or menu is shown plays no part.
    bool itemReachable(const QAction* item) const;

    void showCardView();
    void updateModeButtons();
    void showTitle();
    // How many questions a complete quiz on the open topic asks: its labels, its gaps, or its
    // question pages.
    int completeQuizSize() const;

    // The open topic. Exactly one is open; without a file it is the start document.
    const TopicDocument& document() const { return m_document; }
    TopicDocument& document() { return m_document; }

    // Reads the file at path into the open document. A missing file leaves the open document
    // and says so; an unreadable one says so and leaves the start document. With adoptFolder
    // the file's folder becomes the topic folder and the card view is shown. path is taken by
    // value: callers pass the document's own previous path, which reading changes.
    bool readDocument(QString path, bool adoptFolder);
    // Writes the open document to path, replacing a file there only once all is written.
    bool writeDocument(const QString& path, bool adoptPath);
    // Returns to the start document.
    void closeDocument();
    void setDocType(DocType type);
    // Ticks the document type's item in the authoring menu.
    void checkDocTypeItem(DocType type);

    // Window modes of the "An&zeige" menu.
    void setFullScreenMode();
    void setWindowedMode();
    void minimizeWindow();
    // Places the window with its frame at bounds.
    void setOuterGeometry(const QRect& bounds);

    // The topic files of the listed folder, in menu order.
    const QList<TopicEntry>& topicList() const;
    // The file dialog of "Ö&ffnen...", which remembers its folder and file between uses.
    const FileDialogRequest& topicFileDialog() const { return m_topicFileDialog; }

    // The exercise options as the option dialogs hold them.
    const QuizOptions& quizOptions() const { return m_quizOptions; }
    QuizOptions& quizOptions() { return m_quizOptions; }
    // The program options as the menu and the folder variables hold them now.
    AppSettings currentSettings() const;
    void applySettings(const AppSettings& settings);

    // The running or last quiz.
    const QuizSession& quiz() const { return m_quiz; }
    QuizSession& quiz() { return m_quiz; }
    TUebOptForm* labelOptionsDialog();
    TUebOptFragenForm* questionOptionsDialog();
    TNameEingabeForm* nameDialog();
    TUebFertigForm* quizEndDialog();
    TArbeitsblattForm* worksheetWindow();
    TMailForm* mailDialog();
    TBestListForm* highScoreWindow();
    TBestListVerzForm* folderDialog();
    TUebProtokollForm* protocolWindow();
    // Starting, leaving and ending a quiz, and the network exercise; made with the window.
    QuizController* quizController() const { return m_quizController; }
    // The authoring functions; nullptr unless the program was started with "--autor".
    AuthoringController* authoringController() const { return m_authoringController; }
    // The start page's panel over the card.
    QWidget* startPanel() const { return m_startInfoPan; }
    NetController* netController() const { return m_netController; }
    // The list last read for the high-score window.
    const HighScoreList& highScoreList() const { return m_highScoreList; }

    // The learning card: its bitmaps and view state.
    const CardView& cardView() const { return m_cardView; }
    CardView& cardView() { return m_cardView; }
    int currentTool() const { return int(m_cardView.currentTool); }
    CardControls* cardControls() const { return m_cardControls; }

    TInfoboxForm* infoTextWindow();
    TInfoBox* aboutBox();
    TKennzInfoBox* figuresBox();
    bool hasStartPicture() const;

    // Reads the topic at path into document, which the window does not show yet; a missing or
    // unreadable file has been reported when it returns other than Ok. From a shared folder only
    // a regular file up to maxSharedTopicSize is read, never through a link.
    enum class TopicRead { Ok, Missing, Unreadable };
    static constexpr qint64 maxSharedTopicSize = 64 * 1024 * 1024;
    TopicRead readTopicWithMessages(const QString& path, TopicDocument& document, bool sharedFolder = false);
    // Makes a topic read from path the open document.
    void adoptDocument(TopicDocument&& read, const QString& path, bool adoptFolder);
    // True while the window is not yet or no longer laid out: before the first activation, while
    // closing, and while a window mode changes.
    bool layoutSuppressed() const;

public slots:
    void showAbout();
    void showFiguresInfo();

    // The results windows, the topics and the files, as the menus and buttons call them.
    void showHighScoreList(bool network);
    void showProtocolWindow();
    void goToStartPage();
    void showPreviousDocument();
    void previousTopic();
    void nextTopic();
    void rereadTopicFolder();
    void chooseTopicFolder();
    void showFolderDialog();
    void openWithDialog();
    void closeDocumentCommand();
    // Hands the open topic's file to the mail program, after the mail dialog's "Senden".
    void sendByMail();
    void printView();
    void printerSetup();
    void createWorksheet();
    void toggleCardToolbar();
    void redrawCard();

    // Asks about unsaved changes of the open topic; false when the user cancels.
    bool confirmLeaveDocument();
    // Before another topic replaces the open one: mayLeaveQuiz and confirmLeaveDocument; when
    // both agree, a quiz on screen is left. False when the user keeps the quiz or the topic.
    bool leaveQuizAndDocument();
    void loadSettings();
    void saveSettings();
    // The authoring save action behind "Yes" of the unsaved-changes question.
    bool saveDocumentForAuthoring();
    // Lists the topic files of the open document's folder, or of the topic folder, in
    // "&Quizauswahl", and ticks the open one.
    void rebuildTopicMenu();
    // Opens entry index of the topic list; nothing for an index outside it.
    void openTopic(int index);
    // A topic item was chosen: its topic is opened and a quiz starts on it.
    void chooseTopicItem(int index);
    // The link objects of the open topic: another topic or a folder of topics, and a file or
    // web page the desktop shows.
    void followDocumentLink(int index);
    void followWebLink(int index);
    // Shows an info point's marked-up text in the info text window beside the card.
    void showInfoPoint(int index);
    // The quiz's marker on an object's point (part 0), anchor (1) or box (2); hidden for a
    // negative index or part, and outside a quiz.
    void markObject(int index, int part);
    // Splits a long topic list into two menu columns at its break entry; runs as the menu opens.
    void layoutTopicColumns();
    void clearHighScoreList();
    void clearCardMarks();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool checkDisplay(const StartOptions& options);
    void createWindow();
    void createTopBar();
    void createCardArea();
    void createStartPanel();
    void createMenus();
    void applyTheme();
    void loadStartPicture(StartPictures& pictures);
    void firstActivation();
    void resizeReaction();
    void layoutCard();
    void layoutStartPanel();
    void paintTitleBackground();
    void releaseCardBitmaps();

    QMenu* addMenu(QWidget* parentMenu, const char* name, const QString& caption, bool shown = true);
    QAction* addItem(
        QMenu* menu, const char* name, const QString& caption, const QKeySequence& key = {}, bool shown = true);
    void setMenuEnabled(QMenu* menu, bool enabled);
    void createCardControls();
    void connectCardItems();
    // The dialog in member, made on its first use once createDialogs() allowed dialogs;
    // nullptr before.
    template<typename Dialog> Dialog* dialog(Dialog*& member);
    void setUpTopicMenu();
    // The label editor, undo and redo in "&Autorenfunktion".
    void addAuthoringItems(QMenu* editor);

    // Run state.
    int m_cardMode = LearningCard;
    bool m_firstActivation = true;
    bool m_closing = false;
    bool m_layoutEnabled = false;
    bool m_startupCancelled = false;
    QuizController* m_quizController = nullptr;
    AuthoringController* m_authoringController = nullptr;
    bool m_authoring = false;
    NetController* m_netController = nullptr;
    QLabel* m_netNoticeLab = nullptr; // results of the exercise waiting to be saved
    QLabel* m_netStatusLab = nullptr; // the exercise initiated here: its channel and pupils
    QString m_startArgument;
    TopicDocument m_document;
    CardView m_cardView {m_document};
    QuizSession m_quiz {m_document};

    TUebOptForm* m_uebOptForm = nullptr;
    TUebOptFragenForm* m_uebOptFragenForm = nullptr;
    TNameEingabeForm* m_nameEingabeForm = nullptr;
    TUebFertigForm* m_uebFertigForm = nullptr;
    TArbeitsblattForm* m_arbeitsblattForm = nullptr;
    TMailForm* m_mailForm = nullptr;
    TBestListForm* m_bestListForm = nullptr;
    TBestListVerzForm* m_bestListVerzForm = nullptr;
    TUebProtokollForm* m_uebProtokollForm = nullptr;
    bool m_dialogsEnabled = false;
    HighScoreList m_highScoreList;
    QImage m_basePicture;
    QuizOptions m_quizOptions;

    // Topic folder and menu.
    TopicMenu* m_topicMenu = nullptr;
    FileDialogRequest m_topicFileDialog;

    // Menu items know the menu they sit in, so that a key can tell whether it reaches them.
    QHash<const QAction*, QMenu*> m_parentMenu;
    QList<QShortcut*> m_itemKeys;

    // Top bar.
    QWidget* m_infoPan = nullptr;
    THoverPanel* m_lernKartBtn = nullptr;
    THoverPanel* m_uebungenBtn = nullptr;
    THoverPanel* m_bestenlisteBtn = nullptr;
    THoverPanel* m_prevDokPan = nullptr;
    THoverPanel* m_nextDokPan = nullptr;
    QWidget* m_titelPan = nullptr;
    TextureImage* m_titelBackImg = nullptr;
    QLabel* m_dokTitelLab = nullptr;
    QLabel* m_logoImg = nullptr;
    QWidget* m_uebStatusPan = nullptr;

    // Card area.
    QWidget* m_lernPan = nullptr;
    QWidget* m_lernKartPan = nullptr;
    TextureImage* m_mainBackImg2 = nullptr;
    CardImage* m_lernKartPicImg = nullptr;
    // The tool bar beside the card, the pointer on it and the quiz's marker over it.
    CardControls* m_cardControls = nullptr;
    QWidget* m_lernInfoPan = nullptr;

    // Start page.
    QWidget* m_startInfoPan = nullptr;
    QLabel* m_quizStartImg = nullptr;
    QWidget* m_startClickZone = nullptr;
    QWidget* m_flaInfoPan = nullptr;
    QLabel* m_flaHintLab = nullptr;
    QLabel* m_flaWebLab = nullptr;

    // Dialogs, created once.
    TInfoBox* m_infoBox = nullptr;
    TKennzInfoBox* m_kennzInfoBox = nullptr;
    TInfoboxForm* m_infoboxForm = nullptr;
};
