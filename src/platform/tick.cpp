#include "platform/tick.h"

#include <QElapsedTimer>

namespace {

class ElapsedTimerTick final : public TickSource
{
public:
    ElapsedTimerTick() { m_timer.start(); }

    // Truncating to 32 bits is intended: it gives the same wrap as the Windows tick.
    quint32 now() const override { return static_cast<quint32>(m_timer.elapsed()); }

private:
    QElapsedTimer m_timer;
};

// Reading the tick once during static initialisation starts it with the program rather than
// with its first use.
[[maybe_unused]] const TickSource& startedWithProgram = systemTick();

} // namespace

TickSource& systemTick()
{
    static ElapsedTimerTick tick;
    return tick;
}

quint32 ticksSince(quint32 start, quint32 now)
{
    // Unsigned subtraction is modulo 2^32, which is exactly what a wrapped tick needs.
    return now - start;
}
