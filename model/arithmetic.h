// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace varnelo {

// Floating-point steps with the failure tests that follow each one: a division by zero, an overflow
// or an invalid operation throws RuntimeError instead of leaving infinity or NaN behind. The tests
// look at operands and results rather than the FPU flags, which the compiler is free to move.
double checkedDivide(double dividend, double divisor);
double checkedMultiply(double a, double b);
double checkedSubtract(double a, double b);

// Single precision for drawing coordinates: an overflow outside float's range.
float toSingle(double value);

// Conversion to a 16-bit integer: round half to even, an overflow outside -32768..32767.
std::int16_t toInt16(double value);

} // namespace varnelo
