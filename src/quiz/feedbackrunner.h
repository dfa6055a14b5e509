#pragma once

#include "platform/tick.h"

#include <QPoint>
#include <QtGlobal>

#include <deque>
#include <functional>
#include <optional>

// The timer a feedback waits on: the quiz panel gives a single-shot QTimer, tests one of their own.
class StepTimer
{
public:
    virtual ~StepTimer() = default;
    // Leads to one call of FeedbackRunner::run() after ms milliseconds, replacing one still due.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
};

// The timed steps of an answer's feedback (colours, sound, pauses, blinking, a tile gliding
// home), run one after another on a timer, so that the window stays live meanwhile. Each step
// does its part and says what comes next. cancel() ends a feedback for good (a new quiz, leaving
// the quiz); the generation it counts lets calls deferred by an earlier feedback or quiz see
// that they are stale.
class FeedbackRunner
{
public:
    struct Wait
    {
        int ms = 0; // before the next step; 0 runs it at once
        bool again = false; // the same step runs again after ms (a glide's next frame)
    };
    static constexpr Wait next(int ms = 0) { return {ms, false}; }
    static constexpr Wait again(int ms) { return {ms, true}; }
    using Step = std::function<Wait()>;

    explicit FeedbackRunner(StepTimer& timer)
        : m_timer(timer)
    { }

    void add(Step step) { m_steps.push_back(std::move(step)); }
    bool empty() const { return m_steps.empty(); }
    // No step is left to run or waited for: the last feedback has run to its end or was
    // cancelled. Asked between runs (a step that is running has already left the queue).
    bool idle() const { return m_steps.empty() && !m_waiting; }

    // Runs the steps in turn until one asks for a wait (the timer then leads to run() again) or
    // none is left: true when the last step has run. After every step stillCurrent is asked;
    // when that step, or what it set off, cancelled the feedback or ended it, nothing more runs
    // and run() returns false.
    bool run(const std::function<bool()>& stillCurrent);

    // Ends the feedback: the steps left never run, the timer stops, the generation moves on.
    void cancel();
    quint64 generation() const { return m_generation; }

    // A step that moves a thing from where it is when the step first runs to target: one pixel
    // step per two pixels of distance and one millisecond per step, each frame (every frameMs)
    // placing it where the time elapsed on tick says, whatever the frame rate. position() gives
    // nothing once the thing is gone, which ends the glide. tick must outlive the step.
    static Step glide(const TickSource& tick, std::function<std::optional<QPoint>()> position,
        std::function<void(QPoint)> move, QPoint target, int frameMs);

private:
    StepTimer& m_timer;
    std::deque<Step> m_steps;
    bool m_waiting = false; // the timer will lead to run()
    quint64 m_generation = 0;
};
