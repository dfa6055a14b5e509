#include "common/pause.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace {

// Longest time between two looks at the tick. Short enough for the 100 ms retry pauses to keep
// their length, long enough not to keep a core busy.
constexpr quint32 passMs = 5;

} // namespace

bool waitForTicks(quint32 ms, WaitEvents events, const TickSource& tick, const std::function<bool()>& done)
{
    const quint32 start = tick.now();
    // A thread without an event dispatcher has no events to process and could not be woken.
    const bool processEvents = events != WaitEvents::None && QCoreApplication::instance() != nullptr
        && QAbstractEventDispatcher::instance() != nullptr;
    const QEventLoop::ProcessEventsFlags flags
        = events == WaitEvents::All ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents;

    // Wakes the event dispatcher at the end of a pass when no other event comes.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.setTimerType(Qt::PreciseTimer);

    for (;;) {
        if (processEvents)
            QCoreApplication::processEvents(flags);
        if (done && done())
            return true;
        const quint32 elapsed = ticksSince(start, tick.now());
        if (elapsed >= ms)
            return false;
        const quint32 pass = std::min(ms - elapsed, passMs);
        if (processEvents) {
            wakeUp.start(int(pass));
            QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
        } else {
            QThread::msleep(pass);
        }
    }
}

void pauseMs(quint32 ms, bool withoutMessages, const TickSource& tick)
{
    waitForTicks(ms, withoutMessages ? WaitEvents::None : WaitEvents::All, tick);
}
