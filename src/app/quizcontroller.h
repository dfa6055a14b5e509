#pragma once

#include "quiz/quizsession.h"

#include <QObject>

class CardControls;
class CardImage;
class NetController;
class QuizPanel;
class QuizStatusPanel;
class TextureImage;
class TForm1;
class TUebFertigForm;
class QWidget;

// The widgets of the main window's card area that a quiz takes over while it runs.
struct QuizCardArea
{
    QWidget* cardPanel = nullptr; // the quiz panel covers its contents
    CardImage* cardImage = nullptr; // hidden behind the quiz panel, which shows what it holds
    QWidget* startPanel = nullptr;
    TextureImage* background = nullptr;
    CardControls* controls = nullptr;
};

// Starting, leaving and ending a quiz on the open topic, with the end-of-quiz dialog loop and
// the quiz card's layout. It owns the quiz panel and the status panel; the rules of a quiz live
// in the window's QuizSession, and the window keeps the menus and switches between card and quiz
// through its card mode.
class QuizController : public QObject
{
    Q_OBJECT
public:
    // Makes the quiz panel over cardPanel and the status panel in area, which the window places
    // beside the card.
    QuizController(TForm1& window, QWidget* area, QWidget* cardPanel);
    // The rest of the card area, made after the panels so that they stack below it.
    void setCardArea(const QuizCardArea& cardArea) { m_cardArea = cardArea; }

    QuizPanel* panel() const { return m_panel; }
    QuizStatusPanel* statusPanel() const { return m_statusPanel; }

    // Starts a quiz on the open topic: requestedMode 0 complete, 1 only the questions not solved
    // at the first try; role says whose quiz it is. True when it runs.
    bool startQuiz(int requestedMode, int role);
    // The pupil's "Quiz abbrechen": after mayLeaveQuiz, back to the card.
    void abortQuiz();
    // Leaves the quiz on screen for the card without asking; a participant's aborted quiz is
    // reported and leaves the exercise with its topic.
    void leaveQuiz();
    // True when no quiz runs, it has ended, or the user confirms aborting it.
    bool mayLeaveQuiz();
    // Places the quiz panel, the card beside its tiles and the tiles themselves for the panel's
    // present size, and redraws the card.
    void layoutQuizCard();
    // The exercise options dialog of the open topic's kind; OK starts a quiz.
    void showExerciseOptions();
    // The options a quiz starts with, from the option dialogs and the open topic's kind.
    QuizSnapshot takeQuizOptions() const;
    // The end-of-quiz dialog's requests, wired once when the dialog is made.
    void connectEndDialog(TUebFertigForm* dialog);

private:
    // The quiz panel's quiz has ended: the result, the protocol, the high-score list and the
    // end-of-quiz dialog loop. Runs once per quiz.
    void endQuiz();
    void protocolReady();
    QuizSession& session() const;
    NetController& net() const;

    TForm1& m_window;
    QuizCardArea m_cardArea;
    QuizPanel* m_panel = nullptr;
    QuizStatusPanel* m_statusPanel = nullptr;
    bool m_finished = true;
};
