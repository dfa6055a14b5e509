#pragma once

#include "cardview/cardview.h"
#include "quiz/feedbackrunner.h"
#include "quiz/instructionstrip.h"
#include "quiz/quizsession.h"
#include "quiz/spokentext.h"
#include "quiz/ui/keyboardcarry.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>

class MarkerFrame;
class QLabel;
class QTimer;
class QuizStatusPanel;
class THoverPanel;

// The quiz as the pupil sees it (UebungPan): the card with its instruction strip as background,
// the answer tiles on it, dragging and judging, the feedback of every answer, the status panel
// with its clock, and the time limit. The rules are the engine's (QuizSession); the main window
// starts and leaves the quiz, lays out the card and runs the end-of-quiz dialog.
//
// States: Idle (no quiz) → Waiting (a question is asked) → Feedback (an answer's colours,
// sound, pauses, blinking and glide run on timers) → Waiting … → Ended. Nothing here waits in a
// loop: the window stays live during the feedback and what arrives meanwhile is held or refused:
// - a time-out is held until the feedback ends; it is dropped when that answer closed the last
//   question, so the quiz ends exactly once;
// - in free assignment a tile may be dragged and let go during the feedback, and is judged once
//   the feedback is over, where it then lies; when one question is asked at a time, presses and
//   releases during the feedback are refused, so no click can answer a question not yet shown;
// - a held time-out first lets every tile let go before the limit be judged, in the order they
//   were let go, each with its feedback; a tile let go after the limit goes home unjudged;
// - a modal window that opens during a drag takes the pointer's release: the tile goes home
//   unjudged;
// - leaving or restarting cancels the remaining steps, which never touch a tile or quiz again.
//
// Every answer can be given from the keyboard (KeyboardCarry), through the same requests as the
// pointer's and so the same judging: a key counts as the pointer would at that moment, refused
// during a feedback when one question is asked at a time, held until the feedback is over in
// free assignment.
class QuizPanel : public QWidget, private TileRequests
{
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Feedback, Ended };

    // quiz, card and status outlive the panel. The status panel is the main window's; this panel
    // fills it and runs its clock.
    QuizPanel(QuizSession& quiz, CardView& card, QuizStatusPanel& status, QWidget* parent = nullptr);
    ~QuizPanel() override;

    State state() const { return m_state; }

    // Start, after the engine has built its question list: stops whatever the last quiz left
    // running and creates one tile per question, piled or stacked at the panel's edge.
    void createTiles();
    // Start: presents the first question (before the card is drawn, so that the card shows its
    // page and its one asked position).
    void begin(const QuizPrompt& prompt);
    // Start, once the card is drawn: the status display and the clock.
    void startClock();
    // The engine's rates and the status panel's labels, now.
    void refreshStatus();
    // Stops the feedback, the clock and a held time-out; the tiles stay until leave().
    void stop();
    // Back to the learning card: stops and destroys the tiles, the marker and the counter.
    void leave();

    // Where the card's image control lies, relative to this panel: tiles are judged where they
    // lie over the card, and the strip copies the card there.
    void setCardOffset(QPoint offset) { m_cardOffset = offset; }
    // Places the tiles (the pile of texts, or the answer grid hung from a point of the card).
    void layoutTiles();
    // The width of the card picture during the quiz; the strip lies right of it.
    int quizPictureWidth() const { return m_quizPictureWidth; }
    // Rebuilds the background from the card's view; with repaint the panel shows it at once.
    void drawInstructionStrip(bool repaint);
    // Takes over one object's box after it was drawn into the card's view.
    void redrawStripObject(int index);
    // The link zone over the logo of the picture, for a card image of cardSize.
    void placeLinkZone(QSize cardSize);
    // The target marker at bounds (pixels of the card's image control); hidden for null bounds.
    void showMarker(const QRect& bounds);

    // While held, the quiz neither moves on after an answer nor ends by its time limit: the
    // window holds it while it asks whether to leave the quiz, so that the quiz cannot end under
    // that question. Holds nest; what was held runs once the last hold is released.
    void holdProgress();
    void releaseProgress();

    const QImage& background() const { return m_strip.image(); }

signals:
    // The quiz's marker on an object's part (see the card's markObject); -1 hides it.
    void markRequested(int index, int part);
    // The quiz has ended, finished or by time-out; emitted once per quiz, as the last thing the
    // panel does in that call, so the receiver may run dialogs and start a new quiz.
    void quizEnded();
    // An answer was judged on target (-1 none); the session holds its figures of this moment.
    void answerJudged(int target);
    // The time limit has ended the quiz: the session's status is 3, the end follows.
    void timeLimitExpired();
    // The transparent zone over the picture's logo was clicked.
    void linkZoneClicked();
    // The panel is now on a screen with another device pixel ratio than the card it shows (the
    // window moved to another screen): the card wants drawing again.
    void devicePixelRatioChanged();

public:
    // What the panel paints that a screen reader reads besides its widgets (see spokenItems() in
    // quiz/spokentext.h); none while no quiz is answered.
    using SpokenItem = ::SpokenItem;
    QList<SpokenItem> spokenItems() const;

    // The tile picked up by the keyboard, null while none is carried.
    THoverPanel* carriedTile() const;
    // The target the carried tile would be put on, -1 for none.
    int chosenTarget() const;
    // The answer tiles that take part now, in the order of Tab and the keys 1 to 5.
    QList<THoverPanel*> tilesInOrder() const;
    // The panel's widgets in the order a screen reader lists them: the others first, then the
    // tiles that take part in tilesInOrder(), then the rest.
    QList<QWidget*> accessibleChildOrder() const;
    // A screen reader's press on a tile: what Enter on it does, after the focus moved to it.
    void pressTile(THoverPanel* tile);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool singleQuestions() const;
    bool freeAssignment() const;
    // Whether a press on tile (by the pointer, or Enter picking it up) takes it now: the one rule
    // for both.
    bool acceptsPress(const THoverPanel* tile) const;
    // A quiz runs and waits for an answer or gives the feedback of one: keys, a screen reader's
    // presses and its items count only then.
    bool answering() const;
    void destroyTiles();
    void layoutAnswerGrid();
    void present(const QuizPrompt& prompt);
    void hideAllTiles();
    QRectF tileCardRect(const THoverPanel* tile) const;

    // A tile's way, the same for the pointer and the keys (which ask through TileRequests).
    // A pick-up if a press takes tile now (acceptsPress): it comes to the top and its place is
    // kept for the way home. False when refused.
    bool liftTile(THoverPanel* tile);
    DropFate dropFate() const override;
    // A tile let go, by the pointer where it lies (keyTarget -1) or by keys on keyTarget.
    void putDown(THoverPanel* tile, int keyTarget) override;
    // The marker on the target such a tile goes to.
    void markDropTarget(THoverPanel* tile, int keyTarget);
    void returnHome(THoverPanel* tile) override;
    // The keyboard's own requests.
    bool pickUp(THoverPanel* tile) override;
    void clickTile(THoverPanel* tile) override;
    QRect targetRect(int index) const override;
    void showChosenTarget(int target) override;

    void grabTile(THoverPanel* tile, Qt::MouseButton button, QPoint pos);
    void dragTile(THoverPanel* tile, QPoint pos);
    void releaseTile(THoverPanel* tile);
    // The drag whose release will not come (a modal window took it): the tile goes home.
    void abandonDrag();
    // Back to where the tile's last drag or pick-up began.
    void sendHome(THoverPanel* tile);
    // Free assignment: a tile let go during a feedback, judged after it; keyTarget for a tile
    // put down by keys on that target.
    void holdDrop(THoverPanel* tile, int keyTarget);
    void forgetHeldDrop(const THoverPanel* tile);
    void judge(THoverPanel* tile);
    void queueRightFeedback(THoverPanel* tile);
    void queueWrongFeedback(THoverPanel* tile);
    void queueGlideBack(THoverPanel* tile, QPoint origin);
    void runSteps();
    void concludeAnswer();
    void judgeNextPending();
    void cancelFeedback();

    void timerTick();
    void timeOut();
    void finish();
    // An answer whose feedback is over waits for the hold to be released.
    bool conclusionHeld() const;
    void runHeld();

    QuizSession& m_quiz;
    CardView& m_card;
    QuizStatusPanel& m_status;
    State m_state = State::Idle;

    InstructionStrip m_strip;
    PixelRatioWatch m_ratioWatch;
    QPoint m_cardOffset;
    int m_quizPictureWidth = 0;
    QLabel* m_frageZaehlerPan = nullptr;
    QWidget* m_imgKlickZone = nullptr;
    MarkerFrame* m_moveAnker = nullptr;
    QTimer* m_zeitTimer = nullptr;

    // Tiles by list position; a tile placed right is gone.
    QList<QPointer<THoverPanel>> m_tiles;
    QPointer<THoverPanel> m_solutionTile;
    // The tile whose press was accepted, and where each tile lay when its drag began.
    QPointer<THoverPanel> m_dragTile;
    QPoint m_dragPoint;
    QHash<const THoverPanel*, QPoint> m_dragOrigins;

    // The answer in feedback.
    JudgeResult m_judged;
    QPointer<THoverPanel> m_judgedTile;
    // The feedback's steps on their single-shot timer. Its generation counts starts and leaves:
    // a deferred call of an earlier quiz sees the number change and does nothing.
    struct StepQTimer final : StepTimer
    {
        QTimer* timer = nullptr;
        void start(int ms) override;
        void stop() override;
    };
    StepQTimer m_stepTimer;
    FeedbackRunner m_feedback {m_stepTimer};
    // Free assignment: tiles let go during the feedback, judged in turn after it.
    struct HeldDrop
    {
        QPointer<THoverPanel> tile;
        int releasedMs = 0; // on the quiz clock
        int keyTarget = -1; // put down by keys on this target; -1 let go by the pointer
    };
    QList<HeldDrop> m_heldDrops;

    // The keyboard's focus, cues and carried tile, over m_tiles.
    KeyboardCarry m_keys {*this, m_quiz, m_tiles, *this};

    int m_holds = 0;
};
