// The quiz commands of the main window: starting, leaving and ending a quiz with the end-of-quiz
// dialog loop, the options dialogs and the results windows. The quiz panel shows the quiz and
// gives the feedback; the rules live in QuizSession.

#include "mainwindow.h"

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

void TForm1::createQuizPanel()
{
    m_uebInfoPan = new QuizStatusPanel(m_lernPan);
    m_uebInfoPan->hide();
    connect(m_uebInfoPan, &QuizStatusPanel::figuresInfoRequested, this, &TForm1::showFiguresInfo);

    m_quizPanel = new QuizPanel(m_quiz, m_cardView, *m_uebInfoPan, m_lernKartPan);
    m_quizPanel->hide();
    connect(m_quizPanel, &QuizPanel::markRequested, this, &TForm1::markObject);
    connect(m_quizPanel, &QuizPanel::quizEnded, this, &TForm1::endQuiz);
    connect(m_quizPanel, &QuizPanel::linkZoneClicked, this, [] { openMakerSite(); });
    connect(m_quizPanel, &QuizPanel::devicePixelRatioChanged, this, [this] {
        if (m_cardMode == QuizRunning && !layoutSuppressed())
            redrawCard();
    });
    m_cardView.quizObjectDrawn = [this](int index) { m_quizPanel->redrawStripObject(index); };
}

void TForm1::connectQuizDialogs()
{
    connect(m_uebFertigForm, &TUebFertigForm::protocolRequested, this, &TForm1::showProtocolWindow);
    connect(m_uebFertigForm, &TUebFertigForm::highScoreListRequested, this,
        [this] { showHighScoreList(m_netRole != OwnQuiz); });
    m_uebFertigForm->setHighScoreSaver([this] { return saveHighScoreResult(m_quiz); });
    connect(m_uebFertigForm, &TUebFertigForm::highScoreEntered, this, [this] { m_quiz.resultEntered = true; });
    // A list that cannot be written is usually in a wrong folder: the folder dialog follows.
    connect(m_uebFertigForm, &TUebFertigForm::highScoreEntryFailed, this, &TForm1::showFolderDialog);
}

void TForm1::showHighScoreList(bool network)
{
    TBestListForm* window = highScoreWindow();
    if (!window)
        return;
    if (!network && m_netRole == NetworkParticipant) {
        showInfo(HighScoreTexts::notDuringNetExercise);
        return;
    }
    ::showHighScoreList(*window, m_highScoreList, m_document, network);
}

void TForm1::showProtocolWindow()
{
    if (TUebProtokollForm* window = protocolWindow())
        window->showProtocol();
}

void TForm1::showFolderDialog()
{
    if (TBestListVerzForm* dialog = folderDialog())
        dialog->exec();
}

void TForm1::clearHighScoreList()
{
    m_highScoreList.clear();
}

QuizSnapshot TForm1::takeQuizOptions() const
{
    return takeOptions(m_quizOptions, m_document.DokTyp);
}

bool TForm1::startQuiz(int requestedMode, int role)
{
    if (m_netRole == NetworkParticipant && role != NetworkParticipant) {
        showInfo(
            QStringLiteral("Die aktuelle Netzwerk-Übung muss zunächst beendet werden, um eine eigene Übung starten "
                           "zu können."));
        return false;
    }
    if (m_netRole == NetworkInitiator && role != NetworkInitiator) {
        showInfo(
            QStringLiteral("Auf diesem Rechner wurde eine Netzwerk-Übung initiiert, die zuerst beendet werden muss. "
                           "Daher kann im Moment keine eigene Übung gestartet werden."));
        return false;
    }
    const bool replacesRunningQuiz = m_cardMode == QuizRunning && m_quiz.isRunning();
    if (!mayLeaveQuiz())
        return false;
    // From here on the quiz on screen is given up: none of its feedback, clock or time-out may
    // run into the new one, not even while the name dialog is open.
    m_quizPanel->stop();
    if (role != 1)
        m_quiz.snapshot = takeQuizOptions();

    // A refused start leaves no quiz half-replaced: the one given up returns to the card.
    const auto refuse = [this, replacesRunningQuiz] {
        if (replacesRunningQuiz)
            leaveQuiz();
        updateModeButtons();
        return false;
    };
    if (m_quiz.selectQuestions(requestedMode) == 0) {
        showInfo(QuizTexts::nothingSelected);
        return refuse();
    }

    m_quiz.participantName.clear();
    TNameEingabeForm* names = role == 0 && currentSettings().nameEntryAtStart ? nameDialog() : nullptr;
    if (names) {
        if (names->exec() != QDialog::Accepted)
            return refuse();
        m_quiz.participantName = names->name();
    }

    m_cardControls->selectTool(1);
    m_cardMode = QuizRunning;
    m_cardControls->setInteractive(false);
    m_cardView.cardMode = CardView::Mode::Quiz;
    m_cardView.askedObject = -1;
    m_quiz.buildQuestionList();

    // The card image stays hidden behind the quiz panel, which shows what it holds.
    m_lernKartPicImg->hide();
    m_startInfoPan->hide();
    m_mainBackImg2->paintNineSlice(ThemeTextures::builtIn().texture1);
    const QRect client = m_lernKartPan->contentsRect();
    m_quizPanel->setGeometry(9, 8, client.width() - 17, client.height() - 16);
    m_quizPanel->createTiles();
    m_cardView.setZoom(0);

    m_quiz.reset(role, role == 1 ? m_netStartTime : std::nullopt);
    m_netRole = QuizNetRole(role);
    m_quizFinished = false;
    updateModeButtons();
    // The question first, so that the card is drawn with its page and its one asked position.
    m_quizPanel->begin(m_quiz.beginQuiz());
    layoutQuizCard();

    m_quizPanel->show();
    m_quizPanel->raise();
    m_quizPanel->placeLinkZone(m_lernKartPicImg->size());
    m_quizPanel->startClock();
    // The sound output loads while the pupil reads the first question, not at the first answer.
    QTimer::singleShot(0, this, [] { soundPlayer().prepareOutput(); });
    return true;
}

void TForm1::abortQuiz()
{
    if (!mayLeaveQuiz())
        return;
    leaveQuiz();
}

void TForm1::leaveQuiz()
{
    m_quizPanel->leave();
    // A participant giving up the quiz reports it and leaves the exercise with its topic.
    const bool abortedParticipation = m_quiz.leaveQuiz();
    if (abortedParticipation) {
        sendFinishMessages();
        closeDocument();
    }
    m_netRole = OwnQuiz;
    m_quizFinished = true;
    m_cardControls->selectTool(1);
    m_cardView.askedObject = -1;
    markObject(-1, -1);
    m_cardView.setZoom(0);
    m_cardView.cardMode = CardView::Mode::LearningCard;
    m_cardControls->applyNumbering(m_cardControls->numberingMode(), false);
    m_startInfoPan->show();
    showCardView();
}

void TForm1::layoutQuizCard()
{
    const QRect client = m_lernKartPan->contentsRect();
    m_quizPanel->setGeometry(9, 8, client.width() - 17, client.height() - 16);
    m_quizPanel->layoutTiles();
    m_lernKartPicImg->setGeometry(9, 8, qMax(1, m_quizPanel->quizPictureWidth()), qMax(1, client.height() - 16));
    m_quizPanel->setCardOffset(m_lernKartPicImg->pos() - m_quizPanel->pos());
    redrawCard(); // rebuilds the instruction strip too
    if (m_document.DokTyp == DocType::SingleQuestions) {
        m_quizPanel->layoutTiles(); // the grid hangs from a point of the card drawn just now
        m_quizPanel->drawInstructionStrip(true);
    }
}

void TForm1::endQuiz()
{
    // Once per quiz, whoever calls.
    if (m_quizFinished || m_cardMode != QuizRunning)
        return;
    m_quizFinished = true;
    m_quiz.endQuiz(ProtocolContext::fromSystem());
    m_quizPanel->refreshStatus();
    if (m_netRole == NetworkParticipant)
        sendFinishMessages();
    TUebFertigForm* endDialog = quizEndDialog();
    if (!endDialog)
        return;

    const QuizStatusTexts texts = m_quiz.statusTexts();
    QuizEndFigures figures;
    figures.correct = texts.rightText;
    figures.questionCount = texts.totalText;
    figures.wrong = texts.wrongText;
    figures.successRate = texts.rateText;
    figures.open = QString::number(m_quiz.openCount);
    figures.time = texts.clockText;
    figures.timeLimit = m_quiz.snapshot.timeLimitOn != 0;
    figures.overallScore = texts.scoreText;
    figures.rating = ratingText(m_quiz.grade);
    figures.grade = m_quiz.grade;
    figures.score = m_quiz.overallScore;
    endDialog->showFigures(figures);
    endDialog->prepareRepeat(m_netRole, m_quiz.wrongCount);
    quizProtocolReady();
    endDialog->prepareHighScore(currentSettings().highScoreAutoEnter, m_netRole, m_quiz.selectionMode);
    m_quiz.resultEntered = endDialog->resultEntered();

    // The dialog comes back when a repeat cannot start.
    // A participant repeats by joining again and leaves the exercise with its topic.
    const bool participant = m_netRole == NetworkParticipant;
    for (;;) {
        if (endDialog->exec() != TUebFertigForm::Repeat) {
            m_netRole = OwnQuiz;
            leaveQuiz();
            if (participant)
                closeDocument();
            return;
        }
        if (participant) {
            if (joinNetExercise())
                return;
            showInfo(QStringLiteral("Eine Wiederholung der Netzwerk-Übung wurde nicht zugelassen."));
            continue;
        }
        if (startQuiz(endDialog->repeatMode(), m_netRole))
            return;
    }
}

void TForm1::quizProtocolReady()
{
    TUebProtokollForm* window = protocolWindow();
    if (!window)
        return;
    window->setProtocol(m_quiz.protocolText());
    if (currentSettings().protocolAutoSave)
        window->autoSaveProtocol();
}

void TForm1::showExerciseOptions()
{
    if (m_cardMode == QuizRunning) {
        showInfo(QStringLiteral("Die Übungsoptionen können nicht während der Übung geändert werden."));
        return;
    }
    int result;
    if (m_document.DokTyp == DocType::SingleQuestions) {
        TUebOptFragenForm* dialog = questionOptionsDialog();
        if (!dialog)
            return; // no dialogs before createDialogs()
        dialog->setOptions(m_quizOptions);
        result = dialog->exec();
        dialog->applyTo(m_quizOptions);
    } else {
        TUebOptForm* dialog = labelOptionsDialog();
        if (!dialog)
            return;
        dialog->setOptions(m_quizOptions);
        result = dialog->exec();
        dialog->applyTo(m_quizOptions);
    }
    if (result == QDialog::Accepted)
        startQuiz(0, 0);
}
