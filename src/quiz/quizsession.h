#pragma once

#include "document/topicdocument.h"
#include "platform/tick.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

struct QuizOptions;

// One question: the object whose caption is the text to place (for single questions the answer
// tile's label) and the object that is the position, gap or question asked.
struct QuestionPair
{
    int textObject = -1;
    int targetObject = -1;

    bool operator==(const QuestionPair&) const = default;
};

// The exercise options a quiz runs with, taken once at its start so that a changed option only
// applies from the next start on.
struct QuizSnapshot
{
    int queryMode = 0; // 0 free assignment, 1 one text at a time, 2 one position at a time
    int onCorrect = 0; // 0 show the label, 1 green tick
    int onWrong = 0; // 0 unlimited attempts / ask again; 1 red cross / ask each question once
    int textOrder = 1; // 0 alphabetical, 1 shuffled (single questions: answer slots in order / at random)
    int targetOrder = 1; // 0 ordered, 1 shuffled, 2 question marks (not for single questions)
    int timeLimitOn = 0;
    int timeLimitSeconds = 180;

    bool operator==(const QuizSnapshot&) const = default;
};

// The snapshot from the option dialog of the document's kind. Single questions always run with
// queryMode 0 and onCorrect 0. A minute or second field that is empty or not a number counts as
// 0, and one above 59 as 59, as the fields cannot hold more; a radio index outside its group
// falls back to the group's default.
QuizSnapshot takeOptions(const QuizOptions& options, DocType kind);

struct QuizRates
{
    double successRate = 0; // right answers among all answers
    double overallScore = 0; // right answers among answers and open questions
};

// Texts the window shows for the engine.
namespace QuizTexts {
inline const QString nothingSelected
    = QStringLiteral("Bitte zuerst über das Menü \"Quizauswahl\" das gewünschte Quiz auswählen.");
inline const QString quizStarted = QStringLiteral("Quiz wird gestartet");
inline const QString timeUp = QStringLiteral("Das Zeitlimit ist erreicht, die Übung wird beendet.");
} // namespace QuizTexts

// What the window shows as the next question.
enum class PromptKind {
    None, // free assignment, or nothing left to ask
    Text, // one text at a time: only the tile tagged textObject is visible
    Position, // one position at a time: targetObject is the only active target on the card
    Question // a single question: the tiles at the list positions of choices are visible
};

struct QuizPrompt
{
    PromptKind kind = PromptKind::None;
    int listIndex = -1; // currentIndex when it was presented
    int textObject = -1;
    int targetObject = -1;
    // Single questions only.
    int questionNumber = 0; // the question page the card shows
    QString counterText; // "3. Frage", with " (wiederholte Frage)" after a wrong answer
    QList<int> choices; // list positions of the answer tiles to show, in list order
    int solution = -1; // list position of the tile with the right answer
    QString questionText; // tags expanded, picture tag cut out
    QString pictureName; // the picture shown with the question; empty for none
};

// What becomes of the tile that was released.
enum class TileFate {
    Stays, // nothing was judged: the tile lies where it was dropped
    Destroyed, // placed right: the target shows the answer
    GlidesBack, // wrong, free assignment or one position at a time: back to where the drag began
    Hidden, // wrong, one text at a time
    AllHidden // single questions: every tile is hidden after the answer
};

// The outcome of one released tile. Everything the engine decides has already happened when it
// returns (counters, cover states, protocol); the window gives the feedback, then ends the quiz
// (quizOver) or presents the next question (nextQuestion()).
struct JudgeResult
{
    bool judged = false; // false: released away from a target, or the tile does not take part
    bool right = false;
    int target = -1; // the object answered
    int text = -1; // the tile's text object
    TileFate tile = TileFate::Stays;
    bool redrawTarget = false; // the target's look changed (label, tick or cross)
    bool blinkSolution = false; // single question answered wrongly: the right tile blinks
    bool quizOver = false; // nothing is open any more: the window calls endQuiz()
    bool askNext = false; // the window calls nextQuestion() after the feedback
};

// The texts of the status panel.
struct QuizStatusTexts
{
    QString statusWord; // "warte auf Antwort" / "Quiz beendet"
    QString totalText; // "von  20"
    QString nameText; // the participant, "-" for none
    QString rightText;
    QString wrongText;
    QString rateText; // success rate "75.0 %"
    QString scoreText; // overall score "30.0 %"
    QString openText;
    QString timeModeText; // "Verbleibende Zeit:" / "Benötigte Zeit:"
    QString clockText; // "02:59"
};

struct TickResult
{
    bool clockChanged = false; // the clock label needs its new text
    bool timeUp = false; // the time limit ended the quiz: the window shows QuizTexts::timeUp, then calls endQuiz()
};

// What the protocol header needs from outside the quiz.
struct ProtocolContext
{
    QString computerName;
    QString userName;
    // Only for the initiator of a network exercise.
    QString communicationFolder;
    QString channelName;

    // The names of this machine and its user.
    static ProtocolContext fromSystem();
};

// The quiz on the open document: every rule and all quiz state, free of widgets. The main window
// owns the tiles, the card, the waits and the sounds; it calls the steps below and shows what
// they return. Random choices come from randomInt(), the tick and the wall clock are injected,
// so a whole quiz can be played in a test.
//
// A start, in the window's order: selectQuestions() (refused when it returns 0), the name entry,
// buildQuestionList(), the tiles, reset(), the quiz mode, beginQuiz(), the card, refreshStatus().
// start() runs the engine's part of that in one call.
// How a quiz ended; the numbers are the ones the network exercise sends and reads (TN-FERTIG,
// TN-BESTLIST).
enum QuizEndStatus : int { QuizNotEnded = 0, QuizFinished = 1, QuizAborted = 2, QuizTimeLimitReached = 3 };

// Whose quiz it is; the numbers are the ones of the network exercise's messages and files.
enum QuizNetRole : int { OwnQuiz = 0, NetworkParticipant = 1, NetworkInitiator = 2 };

class QuizSession
{
public:
    // The document is not owned and must outlive the session; the tick too. Without a clock
    // function the local time is used.
    explicit QuizSession(
        TopicDocument& document, const TickSource& tick = systemTick(), std::function<QDateTime()> clock = {});

    TopicDocument& document() const { return m_document; }

    QList<QuestionPair> questionList;
    int selectionMode = 0; // 0 complete, 1 only the questions not solved at the first try, 2 random
    int questionCount = 0;
    int availableCount = 0;
    int currentIndex = 0;
    int questionCounter = 1;
    int correctCount = 0;
    int wrongCount = 0;
    int openCount = 0;
    double successRate = 0; // right answers among all answers
    double overallScore = 0; // right answers among answers and open questions
    int grade = 0; // 1..6 once the quiz has ended
    QuizEndStatus endStatus = QuizNotEnded;
    QuizNetRole netRole = OwnQuiz;
    QString participantName;
    QString receivedName; // a network participant's name as the initiator sent it
    quint32 startTick = 0;
    double startTime = 0; // days since 30 December 1899, local time
    double endTime = 0;
    int elapsedMs = 0;
    int remainingSeconds = 0;
    int hoverTarget = -1;
    bool resultEntered = false;
    QuizSnapshot snapshot;
    QString protocolHeader;
    QString protocolDetail;

    // Formats the start and end times in the protocol header; by default oleDateTimeText
    // ("08.12.26 00:52:58").
    std::function<QString(double)> dateTimeText;

    // Quiz items of the document's kind: labels and cloze gaps, or the answers of single questions.
    bool isQuizItem(const DocObject& object) const;
    int countEligible(bool onlySelected) const;
    int countOpen() const;

    // True from reset() until the quiz ends or is left.
    bool isRunning() const { return m_active && endStatus == QuizNotEnded; }

    // Start: chooses the questions (random when the title says "zufällig" and requestedMode is 0,
    // only those answered wrongly in the last run when it is 1) and marks them open. Returns how
    // many were chosen; 0 means the start is refused with QuizTexts::nothingSelected.
    int selectQuestions(int requestedMode);
    // What selectQuestions(0) would return, without choosing anything.
    int questionsOnOffer() const;
    // Start: builds and orders questionList and numbers the targets.
    void buildQuestionList();
    // Start: counters, clock and protocol back to zero. A network participant passes the start
    // time the initiator sent.
    void reset(int role, std::optional<double> receivedStartTime = {});
    // Start: the first protocol line, then the first question (kind None in free assignment).
    QuizPrompt beginQuiz();
    // The engine's steps of a start in one call; false when nothing was selected.
    bool start(int requestedMode, int role);

    // The question shown at the moment.
    const QuizPrompt& prompt() const { return m_prompt; }

    // The number a screen reader gives target object: its place among the quiz's targets in
    // numbering order (a cloze text's gaps in the order of the text), fixed at the start, so
    // that a gap is called the same wherever and whenever it is spoken; 0 for no target.
    int spokenNumber(int object) const { return m_spokenNumbers.value(object); }
    const QHash<int, int>& spokenNumbers() const { return m_spokenNumbers; }

    // A tile is grabbed: a click on a single question's tile answers the question asked.
    void grabTile();
    // The dragged tile's rectangle in card fractions: finds and remembers its target (-1 none).
    int dragOver(const QRectF& cardRect);
    // The targets a tile may be put on now, in the order the keyboard steps through them: the
    // same objects dragOver() can find (only the asked position when one is asked at a time).
    QList<int> dropCandidates() const;
    // The keyboard's drop: object becomes hoverTarget when it is one of dropCandidates(), as if the
    // tile had been dragged onto it; otherwise hoverTarget is -1. Returns hoverTarget.
    int chooseTarget(int object);
    // The tile tagged textObject is released over hoverTarget.
    JudgeResult judgeAnswer(int textObject);
    // Steps to the next open question and presents it (after a judged answer).
    QuizPrompt nextQuestion();

    // Recomputes elapsedMs, remainingSeconds and the clock text; true when the text changed.
    bool updateClock();
    // Both rates from the counters as they are now; refreshStatus() stores them.
    QuizRates currentRates() const;
    // Recomputes both rates and the clock.
    void refreshStatus();
    // True while the quiz runs and the clock, as last updated, shows no time left.
    bool timeLimitReached() const;
    // Milliseconds on the quiz clock now, since the start.
    int clockMs() const;
    // Whether something done at ms on the quiz clock came in time: without a limit always; with
    // one while the clock still showed a whole second left (the moment timeLimitReached() turns).
    bool withinTimeLimit(int ms) const;
    // The end by time limit: status 3 and its protocol line; nothing when the quiz is not
    // running. The window calls it when the time-out may act (not during an answer's feedback),
    // then shows QuizTexts::timeUp and calls endQuiz().
    void expireTimeLimit();
    // The 100 ms timer's engine part in one call: the clock, then the time-out at once.
    TickResult timerTick();
    QuizStatusTexts statusTexts() const;
    QString currentClockText() const { return m_clockText; }
    // The end dialog's texts: "17  von  20", and "Verbliebene Zeit:" / "Benötigte Zeit:".
    QString rightAnswersText() const;
    QString endTimeCaption() const;

    // The end: the status fixed, the grade, the protocol header. Runs once per quiz.
    void endQuiz(const ProtocolContext& context);
    // The end dialog offers the repeat of wrongly answered questions.
    bool mayRepeatPartially() const { return netRole == OwnQuiz && wrongCount >= 1; }
    // The result may enter the topic's high-score list (never a partial repeat).
    bool mayEnterHighScores() const { return netRole == OwnQuiz && selectionMode != 1; }
    // Back to the learning card: every quiz mark is uncovered. Returns true when this aborted a
    // running network participation (endStatus is then QuizAborted; the window sends the finish
    // messages).
    bool leaveQuiz();
    // A quiz still running is given up before its end (the program closes during a network
    // participant's quiz): it counts as aborted. An ended quiz keeps how it ended.
    void markAborted()
    {
        if (endStatus == QuizNotEnded)
            endStatus = QuizAborted;
    }

    // Appends text and CR LF to the header (target 0) or the detail (1); withTime first puts the
    // time stamp "MM:SS - " into the detail.
    void appendProtocolLine(int target, const QString& text, bool withTime);
    QString timeStamp() const;
    void buildProtocolHeader(const ProtocolContext& context);
    QString protocolText() const { return protocolHeader + protocolDetail; }

private:
    bool singleQuestions() const { return m_document.DokTyp == DocType::SingleQuestions; }
    // A title with "zufällig" asks a random draw of the questions.
    bool drawsAtRandom() const;
    int randomDrawSize() const;
    bool textAskable(int listIndex) const;
    int askedTargetOnly() const;
    bool accepts(int textObject, int target) const;
    QuizPrompt present();
    QString judgementLine(bool right, const QString& text, const QString& target) const;

    TopicDocument& m_document;
    const TickSource& m_tick;
    std::function<QDateTime()> m_clock;
    QString m_clockText = QStringLiteral("00:00");
    QuizPrompt m_prompt;
    QStringList m_normalized; // normalizeText of every caption, taken at the start
    QList<bool> m_placed; // per object: its text's tile was placed right and is gone
    QHash<int, int> m_spokenNumbers; // target object -> spokenNumber()
    bool m_active = false;
    bool m_awaitingAnswer = false; // a presented question has not been answered yet
    bool m_ended = false;
};
