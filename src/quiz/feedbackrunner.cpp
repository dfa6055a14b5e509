#include "quiz/feedbackrunner.h"

#include "common/rounding.h"

#include <cmath>
#include <memory>

bool FeedbackRunner::run(const std::function<bool()>& stillCurrent)
{
    const quint64 generation = m_generation;
    m_waiting = false;
    while (!m_steps.empty()) {
        Step step = std::move(m_steps.front());
        m_steps.pop_front();
        const Wait wait = step();
        if (generation != m_generation || !stillCurrent())
            return false;
        if (wait.again)
            m_steps.push_front(std::move(step));
        if (wait.ms != 0 || wait.again) {
            m_waiting = true;
            m_timer.start(wait.ms);
            return false;
        }
    }
    return true;
}

void FeedbackRunner::cancel()
{
    ++m_generation;
    m_waiting = false;
    m_timer.stop();
    m_steps.clear();
}

FeedbackRunner::Step FeedbackRunner::glide(const TickSource& tick, std::function<std::optional<QPoint>()> position,
    std::function<void(QPoint)> move, QPoint target, int frameMs)
{
    struct Course
    {
        QPoint start;
        QPoint delta;
        int steps = -1; // not begun
        quint32 began = 0;
    };
    auto course = std::make_shared<Course>();
    return [&tick, position = std::move(position), move = std::move(move), target, frameMs, course]() -> Wait {
        const std::optional<QPoint> at = position();
        if (!at)
            return next();
        if (course->steps < 0) {
            course->start = *at;
            course->delta = target - *at;
            // The glide's rounding is the quiz layout's: halves to even.
            course->steps = roundHalfToEven(std::hypot(double(course->delta.x()), double(course->delta.y())) * 0.5);
            course->began = tick.now();
            if (course->steps < 1)
                return next();
        }
        const int step = int(qMin<quint32>(quint32(course->steps), ticksSince(course->began, tick.now())));
        move(course->start
            + QPoint(roundHalfToEven(double(course->delta.x()) * step / course->steps),
                roundHalfToEven(double(course->delta.y()) * step / course->steps)));
        return step >= course->steps ? next() : again(qMin(frameMs, course->steps - step));
    };
}
