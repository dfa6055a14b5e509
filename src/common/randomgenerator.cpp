#include "randomgenerator.h"

#include <QTime>

void RandomGenerator::seedFromTimeOfDay(const QTime& time)
{
    m_seed = quint32(((time.hour() * 60 + time.minute()) * 60 + time.second()) * 1000 + time.msec());
}

int RandomGenerator::next(int n)
{
    m_seed = m_seed * 134775813u + 1u;
    // The range is taken as unsigned 32 bits, as the generator's arithmetic is; a negative
    // range therefore maps to 0.
    if (n <= 0)
        return 0;
    return int((quint64(m_seed) * quint64(quint32(n))) >> 32);
}

RandomGenerator& programRandom()
{
    static RandomGenerator generator;
    return generator;
}

int randomInt(int n)
{
    return programRandom().next(n);
}

int randomRange(int a, int b)
{
    if (a >= b)
        return a;
    return a + randomInt(b - a + 1);
}
