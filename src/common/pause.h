#pragma once

#include "platform/tick.h"

#include <functional>

// Which events a wait processes while it runs.
enum class WaitEvents {
    None, // nothing runs meanwhile: no timers, no repaints, no input
    NonUserInput, // timers, repaints and background work run; the user's input waits until after
    All, // the user interface stays live, and the user may act during the wait
};

// Waits until tick has advanced by ms since the call, or until done (when given) returns true,
// whichever comes first; done is asked before every pass. Returns true when done ended the
// wait. Processes the events that events allows on every pass (none without a QCoreApplication
// or in a thread without an event loop); between passes it sleeps a few milliseconds rather
// than spinning.
bool waitForTicks(
    quint32 ms, WaitEvents events, const TickSource& tick = systemTick(), const std::function<bool()>& done = {});

// Waits until the tick has advanced by ms since the call. Unless withoutMessages, pending events
// are processed meanwhile: the window stays live, timers fire, and the user may act, so callers
// must cope with what the user does during the pause.
void pauseMs(quint32 ms, bool withoutMessages, const TickSource& tick = systemTick());
