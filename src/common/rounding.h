#pragma once

#include <cmath>

// The two ways the program rounds a computed position or size to whole pixels. Each caller
// keeps the rule its drawing was made with: a change would move pixels of every card, tile and
// grade scale, which the program's pixel tests and the teachers' printed sheets rely on.

// Nearest integer with halves going to the even neighbour (0.5 → 0, 1.5 → 2, 2.5 → 2, −0.5 → 0),
// whatever rounding mode the floating-point unit is in.
inline int roundHalfToEven(double value)
{
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(whole);
}

// Nearest integer with halves going away from zero (0.5 → 1, 2.5 → 3, −0.5 → −1).
inline int roundHalfAwayFromZero(double value)
{
    return static_cast<int>(std::lround(value));
}
