#pragma once

#include "platform/tick.h"

// A tick that moves only when told to, or by a fixed step on every reading, so that code that
// waits on the tick runs through its wait without real time passing.
class ManualTick final : public TickSource
{
public:
    explicit ManualTick(quint32 start = 0, quint32 stepPerRead = 0)
        : m_now(start)
        , m_stepPerRead(stepPerRead)
    { }

    // Returns the current value, then moves on by the step.
    quint32 now() const override
    {
        const quint32 value = m_now;
        m_now += m_stepPerRead;
        ++m_reads;
        return value;
    }

    void advance(quint32 ms) { m_now += ms; }
    void set(quint32 value) { m_now = value; }
    void setStepPerRead(quint32 step) { m_stepPerRead = step; }

    // The value the next reading returns, without counting as a reading.
    quint32 peek() const { return m_now; }
    int reads() const { return m_reads; }

private:
    mutable quint32 m_now;
    quint32 m_stepPerRead;
    mutable int m_reads = 0;
};
