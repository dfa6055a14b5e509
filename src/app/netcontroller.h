#pragma once

#include "quiz/quizsession.h"

#include <QObject>

#include <optional>

class NetControlWindow;
class NetExercise;
class QLabel;
class QuizPanel;
class TForm1;

// The network exercise as the main window runs it: the teacher's initiation and end, a pupil's
// joining, the reports during the quiz and at its end, and what happens to the exercise when the
// program closes. NetExercise holds the files and the channel; this class holds the dialogs, the
// messages and the part this machine takes.
class NetController : public QObject
{
    Q_OBJECT
public:
    // noticeLabel and statusLabel are the top bar's lines for results waiting to be saved and for
    // the exercise initiated here; the window owns them.
    NetController(TForm1& window, QuizPanel& quizPanel, QLabel* noticeLabel, QLabel* statusLabel);

    // The part this machine takes: its own quiz, a participant's, or the initiator of an exercise.
    QuizNetRole role() const { return m_role; }
    void setRole(QuizNetRole role) { m_role = role; }
    NetExercise* exercise() const { return m_net; }
    // The teacher's live view of the exercise initiated here, once shown.
    NetControlWindow* controlDisplay() const { return m_controlWindow; }
    // The start time a participant's quiz keeps: taken when joining.
    std::optional<double> startTime() const { return m_startTime; }

    // The menu's commands.
    void initiateExercise();
    // The join command checks that neither a quiz runs nor this machine initiated the exercise,
    // then joins.
    void joinCommand();
    // Joins the released exercise; also the end dialog's repeat for a participant. True when the
    // participant's quiz started.
    bool joinExercise();
    // The end command: with confirm, after the teacher's Yes. False when no exercise was
    // initiated here or the teacher said No.
    void endExercise();
    bool endExercise(bool confirm);
    // The teacher's live view of the exercise initiated here; outside one it says so.
    void showControlDisplay();

    // Results of the exercise that could not be written to the class's list yet: tried once more,
    // then the teacher chooses to save them elsewhere (Yes), let them go (No) or stay (Cancel,
    // false).
    bool settleWaitingResults();
    // Closing the program while pupils still work on the exercise initiated here: asked first.
    bool mayEndWhilePupilsWork();
    // TN-FERTIG, and TN-BESTLIST for a finished or timed-out quiz.
    void sendFinishMessages();
    // The program closes: a participant's running quiz is reported as aborted, the channels are
    // closed, and the machine that published an exercise withdraws its files.
    void closeForExit();
    // Whether the participant's channel listens; off while the card is shown.
    void setParticipantListening(bool listening);

private:
    void takeNetSettings();
    void showWaitingResults(int count);
    // The line in the top bar that tells the teacher an exercise runs, on which channel, with how
    // many pupils; hidden when none runs.
    void showNetStatus();

    TForm1& m_window;
    NetExercise* m_net = nullptr;
    NetControlWindow* m_controlWindow = nullptr;
    QLabel* m_noticeLabel = nullptr;
    QLabel* m_statusLabel = nullptr;
    QuizNetRole m_role = OwnQuiz;
    std::optional<double> m_startTime;
    // The teacher was told that others may write the communication folder (once a run).
    bool m_warnedWritableFolder = false;
};
