// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fractions.h"

#include <cstdint>

namespace varnelo {

// Level is the share of the bar above the level line, 0.00 (500 degrees) to 1.00 (0 degrees), and
// always the double nearest to a two-decimal value. Every function here is pure; each floating-point
// step is checked and a division by zero, overflow or invalid operation throws RuntimeError.

// v / max rounded to two decimals: the 501 scroll values map onto 101 levels.
double LevelFromValue(std::int16_t v, std::int16_t max);

// floor((1 - level) * max), each step rounded to double on its own. Because level is only the
// double nearest to its two-decimal value, some temperatures come out one degree low (0.79 -> 104).
double TemperatureOf(double level, std::int16_t max);

// The fraction a temperature lies in, tested against TempLimit slots 0..4 in ascending order; a
// temperature equal to a limit belongs to the higher fraction.
std::int16_t FractionOf(double temperature, const TempLimitTable &tempLimit);

struct FractionTarget {
    double level; // (max - limit) / max, unrounded
    std::int16_t value; // max * level, rounded half to even
};

// Where the scroll bar goes when fraction `index` (0..7) is picked: to the fraction's upper limit.
FractionTarget ValueForFraction(int index, std::int16_t max, const TempLimitTable &tempLimit);

} // namespace varnelo
