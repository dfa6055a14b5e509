#pragma once

#include <QtGlobal>

class QTime;

// The program's one pseudo-random generator: a 32-bit linear congruential generator
// (seed := seed * 134775813 + 1; a result in [0, n) is the high 32 bits of seed * n).
// The same sequence follows from the same seed on every machine, which keeps
// quizzes reproducible in tests.
class RandomGenerator
{
public:
    explicit RandomGenerator(quint32 seed = 0)
        : m_seed(seed)
    { }

    quint32 seed() const { return m_seed; }
    void setSeed(quint32 seed) { m_seed = seed; }

    // Seed from a time of day: ((hour * 60 + minute) * 60 + second) * 1000 + milliseconds.
    void seedFromTimeOfDay(const QTime& time);

    // A number from 0 to n - 1; 0 when n <= 0 (the generator still advances).
    int next(int n);

private:
    quint32 m_seed;
};

// The program-wide generator, seeded once at start.
RandomGenerator& programRandom();

// Shorthands on the program-wide generator.
int randomInt(int n);

// a when a >= b, else a + a number from 0 to b - a, both ends included.
int randomRange(int a, int b);
