// SPDX-License-Identifier: GPL-3.0-or-later
#include "arithmetic.h"

#include "runtimeerror.h"

#include <cmath>
#include <limits>

namespace varnelo {

namespace {

double checked(double result)
{
    if (!std::isfinite(result))
        throw RuntimeError(RuntimeError::Overflow); // an overflow, or an invalid operation
    return result;
}

} // namespace

double checkedDivide(double dividend, double divisor)
{
    if (divisor == 0.0) {
        // 0/0 is an invalid operation, reported as an overflow; x/0 is a division by zero.
        const bool invalid = dividend == 0.0 || std::isnan(dividend);
        throw RuntimeError(invalid ? RuntimeError::Overflow : RuntimeError::DivisionByZero);
    }
    return checked(checked(dividend) / divisor);
}

double checkedMultiply(double a, double b)
{
    return checked(a * b);
}

double checkedSubtract(double a, double b)
{
    return checked(a - b);
}

float toSingle(double value)
{
    if (std::fabs(checked(value)) > std::numeric_limits<float>::max())
        throw RuntimeError(RuntimeError::Overflow);
    return static_cast<float>(value);
}

std::int16_t toInt16(double value)
{
    // nearbyint rounds in the default mode, to nearest with halves to even.
    const double rounded = std::nearbyint(checked(value));
    if (rounded < -32768.0 || rounded > 32767.0)
        throw RuntimeError(RuntimeError::Overflow);
    return static_cast<std::int16_t>(rounded);
}

} // namespace varnelo
