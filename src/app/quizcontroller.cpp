#include "quizcontroller.h"

#include "app/authoringcontroller.h"
#include "app/mainwindow.h"
#include "app/netcontroller.h"
#include "cardview/ui/cardcontrols.h"
#include "cardview/ui/cardimage.h"
#include "common/sound.h"
#include "common/theme.h"
#include "quiz/quizscoring.h"
#include "quiz/ui/labeloptionsdialog.h"
#include "quiz/ui/namedialog.h"
#include "quiz/ui/questionoptionsdialog.h"
#include "quiz/ui/quizenddialog.h"
#include "quiz/ui/quizpanel.h"
#include "quiz/ui/quizstatuspanel.h"
#include "results/ui/bestlistverzform.h"
#include "results/ui/highscorelists.h"
#include "results/ui/protocolwindow.h"
#include "ui/desktopservices.h"
#include "ui/messages.h"
#include "ui/uistyle.h"

#include <QTimer>

QuizController::QuizController(TForm1& window, QWidget* area, QWidget* cardPanel)
    : QObject(&window)
    , m_window(window)
{
    m_statusPanel = new QuizStatusPanel(area);
    m_statusPanel->hide();
    connect(m_statusPanel, &QuizStatusPanel::figuresInfoRequested, &window, &TForm1::showFiguresInfo);

    m_panel = new QuizPanel(window.quiz(), window.cardView(), *m_statusPanel, cardPanel);
    m_panel->hide();
    connect(m_panel, &QuizPanel::markRequested, &window, &TForm1::markObject);
    connect(m_panel, &QuizPanel::quizEnded, this, &QuizController::endQuiz);
    connect(m_panel, &QuizPanel::linkZoneClicked, this, [] { openMakerSite(); });
    connect(m_panel, &QuizPanel::devicePixelRatioChanged, this, [this] {
        if (m_window.cardMode() == TForm1::QuizRunning && !m_window.layoutSuppressed())
            m_window.redrawCard();
    });
    m_window.cardView().quizObjectDrawn = [this](int index) { m_panel->redrawStripObject(index); };
}

void QuizController::connectEndDialog(TUebFertigForm* dialog)
{
    connect(dialog, &TUebFertigForm::protocolRequested, &m_window, &TForm1::showProtocolWindow);
    connect(dialog, &TUebFertigForm::highScoreListRequested, this,
        [this] { m_window.showHighScoreList(m_window.netController()->role() != OwnQuiz); });
    dialog->setHighScoreSaver([this] { return saveHighScoreResult(m_window.quiz()); });
    connect(dialog, &TUebFertigForm::highScoreEntered, this, [this] { m_window.quiz().resultEntered = true; });
    // A list that cannot be written is usually in a wrong folder: the folder dialog follows.
    connect(dialog, &TUebFertigForm::highScoreEntryFailed, &m_window, &TForm1::showFolderDialog);
}

QuizSession& QuizController::session() const
{
    return m_window.quiz();
}

NetController& QuizController::net() const
{
    return *m_window.netController();
}

QuizSnapshot QuizController::takeQuizOptions() const
{
    return takeOptions(m_window.quizOptions(), m_window.document().DokTyp);
}

bool QuizController::startQuiz(int requestedMode, int role)
{
    // The label editor's objects change under a quiz's numbers: it is closed first.
    if (AuthoringController::refusesWhileEditing(m_window.authoringController()))
        return false;
    if (net().role() == NetworkParticipant && role != NetworkParticipant) {
        showInfo(
            QStringLiteral("Die aktuelle Netzwerk-Übung muss zunächst beendet werden, um eine eigene Übung starten "
                           "zu können."));
        return false;
    }
    if (net().role() == NetworkInitiator && role != NetworkInitiator) {
        showInfo(
            QStringLiteral("Auf diesem Rechner wurde eine Netzwerk-Übung initiiert, die zuerst beendet werden muss. "
                           "Daher kann im Moment keine eigene Übung gestartet werden."));
        return false;
    }
    const bool replacesRunningQuiz = m_window.cardMode() == TForm1::QuizRunning && session().isRunning();
    if (!mayLeaveQuiz())
        return false;
    // From here on the quiz on screen is given up: none of its feedback, clock or time-out may
    // run into the new one, not even while the name dialog is open.
    m_panel->stop();
    if (role != 1)
        session().snapshot = takeQuizOptions();

    // A refused start leaves no quiz half-replaced: the one given up returns to the card.
    const auto refuse = [this, replacesRunningQuiz] {
        if (replacesRunningQuiz)
            leaveQuiz();
        m_window.updateModeButtons();
        return false;
    };
    if (session().selectQuestions(requestedMode) == 0) {
        showInfo(QuizTexts::nothingSelected);
        return refuse();
    }

    session().participantName.clear();
    TNameEingabeForm* names
        = role == 0 && m_window.currentSettings().nameEntryAtStart ? m_window.nameDialog() : nullptr;
    if (names) {
        if (names->exec() != QDialog::Accepted)
            return refuse();
        session().participantName = names->name();
    }

    m_cardArea.controls->selectTool(1);
    m_window.setCardMode(TForm1::QuizRunning);
    m_cardArea.controls->setInteractive(false);
    m_window.cardView().cardMode = CardView::Mode::Quiz;
    m_window.cardView().askedObject = -1;
    session().buildQuestionList();

    // The card image stays hidden behind the quiz panel, which shows what it holds.
    m_cardArea.cardImage->hide();
    m_cardArea.startPanel->hide();
    m_cardArea.background->paintNineSlice(ThemeTextures::builtIn().texture1);
    const QRect client = m_cardArea.cardPanel->contentsRect();
    m_panel->setGeometry(9, 8, client.width() - 17, client.height() - 16);
    m_panel->createTiles();
    m_window.cardView().setZoom(0);

    session().reset(role, role == 1 ? net().startTime() : std::nullopt);
    net().setRole(QuizNetRole(role));
    m_finished = false;
    m_window.updateModeButtons();
    // The question first, so that the card is drawn with its page and its one asked position.
    m_panel->begin(session().beginQuiz());
    layoutQuizCard();

    m_panel->show();
    m_panel->raise();
    m_panel->placeLinkZone(m_cardArea.cardImage->size());
    m_panel->startClock();
    // The sound output loads while the pupil reads the first question, not at the first answer.
    QTimer::singleShot(0, this, [] { soundPlayer().prepareOutput(); });
    return true;
}

void QuizController::abortQuiz()
{
    if (!mayLeaveQuiz())
        return;
    leaveQuiz();
}

bool QuizController::mayLeaveQuiz()
{
    if (m_window.cardMode() != TForm1::QuizRunning || !session().isRunning())
        return true;
    // The quiz goes on behind the question, but cannot move on or end under it.
    m_panel->holdProgress();
    const bool leave
        = askYesNo(QStringLiteral("Das aktuelle Quiz ist noch nicht beendet.\r\nQuiz wirklich abbrechen?"));
    m_panel->releaseProgress();
    return leave;
}

void QuizController::leaveQuiz()
{
    m_panel->leave();
    // A participant giving up the quiz reports it and leaves the exercise with its topic.
    const bool abortedParticipation = session().leaveQuiz();
    if (abortedParticipation) {
        net().sendFinishMessages();
        m_window.closeDocument();
    }
    net().setRole(OwnQuiz);
    m_finished = true;
    m_cardArea.controls->selectTool(1);
    m_window.cardView().askedObject = -1;
    m_window.markObject(-1, -1);
    m_window.cardView().setZoom(0);
    m_window.cardView().cardMode = CardView::Mode::LearningCard;
    m_cardArea.controls->applyNumbering(m_cardArea.controls->numberingMode(), false);
    m_cardArea.startPanel->show();
    m_window.showCardView();
}

void QuizController::layoutQuizCard()
{
    const QRect client = m_cardArea.cardPanel->contentsRect();
    m_panel->setGeometry(9, 8, client.width() - 17, client.height() - 16);
    m_panel->layoutTiles();
    m_cardArea.cardImage->setGeometry(9, 8, qMax(1, m_panel->quizPictureWidth()), qMax(1, client.height() - 16));
    m_panel->setCardOffset(m_cardArea.cardImage->pos() - m_panel->pos());
    m_window.redrawCard(); // rebuilds the instruction strip too
    if (m_window.document().DokTyp == DocType::SingleQuestions) {
        m_panel->layoutTiles(); // the grid hangs from a point of the card drawn just now
        m_panel->drawInstructionStrip(true);
    }
}

void QuizController::endQuiz()
{
    // Once per quiz, whoever calls.
    if (m_finished || m_window.cardMode() != TForm1::QuizRunning)
        return;
    m_finished = true;
    session().endQuiz(ProtocolContext::fromSystem());
    m_panel->refreshStatus();
    if (net().role() == NetworkParticipant)
        net().sendFinishMessages();
    TUebFertigForm* endDialog = m_window.quizEndDialog();
    if (!endDialog)
        return;

    const QuizStatusTexts texts = session().statusTexts();
    QuizEndFigures figures;
    figures.correct = texts.rightText;
    figures.questionCount = texts.totalText;
    figures.wrong = texts.wrongText;
    figures.successRate = texts.rateText;
    figures.open = QString::number(session().openCount);
    figures.time = texts.clockText;
    figures.timeLimit = session().snapshot.timeLimitOn != 0;
    figures.overallScore = texts.scoreText;
    figures.rating = ratingText(session().grade);
    figures.grade = session().grade;
    figures.score = session().overallScore;
    endDialog->showFigures(figures);
    endDialog->prepareRepeat(net().role(), session().wrongCount);
    protocolReady();
    endDialog->prepareHighScore(m_window.currentSettings().highScoreAutoEnter, net().role(), session().selectionMode);
    session().resultEntered = endDialog->resultEntered();

    // The dialog comes back when a repeat cannot start.
    // A participant repeats by joining again and leaves the exercise with its topic.
    const bool participant = net().role() == NetworkParticipant;
    for (;;) {
        if (endDialog->exec() != TUebFertigForm::Repeat) {
            net().setRole(OwnQuiz);
            leaveQuiz();
            if (participant)
                m_window.closeDocument();
            return;
        }
        if (participant) {
            if (net().joinExercise())
                return;
            showInfo(QStringLiteral("Eine Wiederholung der Netzwerk-Übung wurde nicht zugelassen."));
            continue;
        }
        if (startQuiz(endDialog->repeatMode(), net().role()))
            return;
    }
}

void QuizController::protocolReady()
{
    TUebProtokollForm* window = m_window.protocolWindow();
    if (!window)
        return;
    window->setProtocol(session().protocolText());
    if (m_window.currentSettings().protocolAutoSave)
        window->autoSaveProtocol();
}

void QuizController::showExerciseOptions()
{
    if (m_window.cardMode() == TForm1::QuizRunning) {
        showInfo(QStringLiteral("Die Übungsoptionen können nicht während der Übung geändert werden."));
        return;
    }
    int result;
    if (m_window.document().DokTyp == DocType::SingleQuestions) {
        TUebOptFragenForm* dialog = m_window.questionOptionsDialog();
        if (!dialog)
            return; // no dialogs before createDialogs()
        dialog->setOptions(m_window.quizOptions());
        result = dialog->exec();
        dialog->applyTo(m_window.quizOptions());
    } else {
        TUebOptForm* dialog = m_window.labelOptionsDialog();
        if (!dialog)
            return;
        dialog->setOptions(m_window.quizOptions());
        result = dialog->exec();
        dialog->applyTo(m_window.quizOptions());
    }
    if (result == QDialog::Accepted)
        startQuiz(0, 0);
}
