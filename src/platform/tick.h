#pragma once

#include <QtGlobal>

// The program's millisecond tick. It stands for the Windows tick: monotonic, in milliseconds,
// and wrapping at 2^32, so every difference between two readings goes through ticksSince().
class TickSource
{
public:
    virtual ~TickSource() = default;
    virtual quint32 now() const = 0;
};

// The program-wide tick. It starts when the program starts and never goes backwards; it is
// not a wall clock and says nothing about the time of day.
TickSource& systemTick();

// Milliseconds from start to now, correct across the wrap at 2^32 as long as the two readings
// lie less than about 49.7 days apart.
quint32 ticksSince(quint32 start, quint32 now);
