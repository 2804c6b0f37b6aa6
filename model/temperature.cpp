// SPDX-License-Identifier: GPL-3.0-or-later
#include "temperature.h"

#include "arithmetic.h"
#include "decimal.h"
#include "runtimeerror.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <string_view>

namespace varnelo {

namespace {

// Two decimals by writing the number out and reading it back: to_chars rounds the exact binary value
// correctly and from_chars returns the nearest double, independent of the user's locale.
double roundToTwoDecimals(double value)
{
    char text[64];
    const auto written = std::to_chars(std::begin(text), std::end(text), value,
                                       std::chars_format::fixed, 2);
    if (written.ec != std::errc())
        throw RuntimeError(RuntimeError::Overflow);
#ifdef __EMSCRIPTEN__
    // Emscripten's C++ library has no from_chars for double.
    const auto read = readTwoDecimals(std::string_view(std::begin(text), written.ptr));
    if (!read)
        throw RuntimeError(RuntimeError::Overflow);
    return *read;
#else
    double result = 0;
    const auto read = std::from_chars(std::begin(text), written.ptr, result);
    if (read.ec != std::errc())
        throw RuntimeError(RuntimeError::Overflow);
    return result;
#endif
}

} // namespace

double LevelFromValue(std::int16_t v, std::int16_t max)
{
    return roundToTwoDecimals(checkedDivide(v, max));
}

double TemperatureOf(double level, std::int16_t max)
{
    // The order matters: 1 - level first, then the product, each rounded to double.
    const double d = checkedSubtract(1.0, level);
    const double p = checkedMultiply(d, max);
    return std::floor(p);
}

std::int16_t FractionOf(double temperature, const TempLimitTable &tempLimit)
{
    if (std::isnan(temperature))
        throw RuntimeError(RuntimeError::Overflow);
    std::int16_t fraction = 0;
    while (fraction < 5 && temperature >= tempLimit.limit(fraction))
        ++fraction;
    return fraction;
}

FractionTarget ValueForFraction(int index, std::int16_t max, const TempLimitTable &tempLimit)
{
    // Whole-number subtraction: two 16-bit operands cannot overflow an int.
    const int headroom = max - tempLimit.limit(index);
    const double level = checkedDivide(headroom, max);
    return {level, toInt16(checkedMultiply(max, level))};
}

} // namespace varnelo
