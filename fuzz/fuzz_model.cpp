// SPDX-License-Identifier: GPL-3.0-or-later
//
// libFuzzer over the model's operations with arbitrary inputs: any 16-bit scroll value and maximum,
// any double (NaN, infinities and subnormals included) as level, temperature or number to convert,
// any int as a fraction or slot index, and a TempLimit table that is filled or still empty. Every
// call must either return a result inside the range stated below or throw varnelo::RuntimeError
// with a fitting number; anything else (a crash, a sanitizer report, another exception, NaN, a
// wrapped integer, a result out of range) aborts, and libFuzzer keeps the input.
//
// Input: 19 bytes, little-endian, missing bytes read as zero:
//   v (int16), max (int16), x (double, raw bits), index (int32), flags (byte: bit 0 fills the table),
//   t (int16, a whole temperature).

#include "arithmetic.h"
#include "designfacts.h"
#include "fractions.h"
#include "runtimeerror.h"
#include "temperature.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace varnelo;

namespace {

[[noreturn]] void violated(const char *what, int line)
{
    std::fprintf(stderr, "fuzz_model: %s (line %d)\n", what, line);
    std::abort();
}

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition))                                                                          \
            violated(#condition, __LINE__);                                                        \
    } while (false)

// What a call did: returned a value, or threw RuntimeError with a number. Any other exception
// goes on to libFuzzer, which reports it.
template<typename T>
struct Outcome {
    std::optional<T> value;
    int error = 0;
};

template<typename Call>
auto attempt(Call call) -> Outcome<decltype(call())>
{
    try {
        return {call(), 0};
    } catch (const RuntimeError &error) {
        return {std::nullopt, error.number()};
    }
}


struct Input {
    std::int16_t v = 0;
    std::int16_t max = 0;
    double x = 0;
    std::int32_t index = 0;
    bool filled = false;
    std::int16_t t = 0;
};

Input decode(const std::uint8_t *data, std::size_t size)
{
    std::array<std::uint8_t, 19> bytes{};
    if (size > 0)
        std::memcpy(bytes.data(), data, size < bytes.size() ? size : bytes.size());
    const auto take = [&bytes](std::size_t at, std::size_t count) {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i)
            value |= std::uint64_t(bytes[at + i]) << (8 * i);
        return value;
    };
    Input input;
    input.v = std::int16_t(std::uint16_t(take(0, 2)));
    input.max = std::int16_t(std::uint16_t(take(2, 2)));
    const std::uint64_t bits = take(4, 8);
    std::memcpy(&input.x, &bits, sizeof input.x);
    input.index = std::int32_t(std::uint32_t(take(12, 4)));
    input.filled = (bytes[16] & 1) != 0;
    input.t = std::int16_t(std::uint16_t(take(17, 2)));
    return input;
}

// The error for a division by zero: 0/0 is an invalid operation, reported as an overflow.
int divisionError(int dividend)
{
    return dividend == 0 ? RuntimeError::Overflow : RuntimeError::DivisionByZero;
}

// LevelFromValue: for max != 0 a finite double that is exactly the double nearest to h/100, where
// h is v*100/max rounded to the nearest whole (either neighbour on an exact tie, since the quotient
// is rounded to double first); so |level| <= 32768. For max == 0 a division error.
std::optional<double> checkLevelFromValue(std::int16_t v, std::int16_t max)
{
    const auto [level, error] = attempt([&] { return LevelFromValue(v, max); });
    if (max == 0) {
        CHECK(!level && error == divisionError(v));
        return std::nullopt;
    }
    CHECK(level);
    CHECK(std::isfinite(*level) && std::fabs(*level) <= 32768.0);
    const double hundredths = std::nearbyint(*level * 100.0);
    CHECK(*level == hundredths / 100.0);
    const std::int64_t h = std::int64_t(hundredths);
    const std::int64_t off = 100 * std::int64_t(v) - h * std::int64_t(max); // 100v/max - h, times max
    CHECK(2 * std::llabs(off) <= std::llabs(max));
    return level;
}

// TemperatureOf: floor((1 - level) * max), each step rounded on its own: a finite whole number,
// or an overflow when a step is not finite (NaN or infinite level, or a product out of range).
void checkTemperatureOf(double level, std::int16_t max)
{
    const auto [t, error] = attempt([&] { return TemperatureOf(level, max); });
    const volatile double d = 1.0 - level;
    const volatile double p = d * double(max);
    if (!std::isfinite(d) || !std::isfinite(p)) {
        CHECK(!t && error == RuntimeError::Overflow);
        return;
    }
    CHECK(t);
    CHECK(std::isfinite(*t) && *t == std::floor(*t));
    CHECK(*t == std::floor(p));
}

// FractionOf: 0..5, the number of bounds (the table's slots 0..4, all 0 while it is empty) not
// above the temperature; NaN is an invalid operation.
void checkFractionOf(double temperature, const TempLimitTable &table, bool filled)
{
    const auto [fraction, error] = attempt([&] { return FractionOf(temperature, table); });
    if (std::isnan(temperature)) {
        CHECK(!fraction && error == RuntimeError::Overflow);
        return;
    }
    CHECK(fraction);
    int expected = 0;
    for (int slot = 0; slot < facts::Fractions - 1; ++slot)
        expected += temperature >= (filled ? facts::Limits[std::size_t(slot)] : 0) ? 1 : 0;
    CHECK(*fraction == expected);
}

// ValueForFraction: a subscript error outside slots 0..7 (looked at first); for max == 0 a
// division error; else the level (max - limit) / max, finite, and the value max * level rounded
// half to even, which is max - limit exactly, or an overflow when that is outside -32768..32767.
void checkValueForFraction(int index, std::int16_t max, const TempLimitTable &table, bool filled)
{
    const auto [target, error] = attempt([&] { return ValueForFraction(index, max, table); });
    if (index < 0 || index > 7) {
        CHECK(!target && error == RuntimeError::SubscriptOutOfRange);
        return;
    }
    const int limit = filled && index < facts::Fractions ? facts::Limits[std::size_t(index)] : 0;
    const int headroom = max - limit;
    if (max == 0) {
        CHECK(!target && error == divisionError(headroom));
        return;
    }
    if (headroom < -32768 || headroom > 32767) {
        CHECK(!target && error == RuntimeError::Overflow);
        return;
    }
    CHECK(target);
    CHECK(std::isfinite(target->level));
    CHECK(target->level == double(headroom) / double(max));
    CHECK(target->value == headroom);
    CHECK(double(target->value) == std::nearbyint(double(max) * target->level));
}

// The conversions: to a 16-bit integer by rounding half to even, to single precision; both fail
// rather than wrap, saturate or pass NaN on.
void checkConversions(double x)
{
    const auto [whole, wholeError] = attempt([&] { return toInt16(x); });
    const double rounded = std::nearbyint(x);
    if (!std::isfinite(x) || rounded < -32768.0 || rounded > 32767.0) {
        CHECK(!whole && wholeError == RuntimeError::Overflow);
    } else {
        CHECK(whole && double(*whole) == rounded);
    }

    const auto [single, singleError] = attempt([&] { return toSingle(x); });
    if (!std::isfinite(x) || std::fabs(x) > double(FLT_MAX)) {
        CHECK(!single && singleError == RuntimeError::Overflow);
    } else {
        CHECK(single && std::isfinite(*single) && double(*single) == double(float(x)));
    }
}

void checkTable(int index, const TempLimitTable &table, bool filled)
{
    const auto [slot, error] = attempt([&] { return table.slot(index); });
    if (index < 0 || index > 7) {
        CHECK(!slot && error == RuntimeError::SubscriptOutOfRange);
        return;
    }
    CHECK(slot);
    if (filled && index < facts::Fractions)
        CHECK(*slot && **slot == facts::Limits[std::size_t(index)]);
    else
        CHECK(!*slot);
}

// With the window's settings the whole chain has fixed answers: the read-out for v is 500 - 5k for
// k = v/5 rounded, twenty of them one degree lower, and a picked fraction lands on its limit.
void checkWindowChain(std::int16_t v)
{
    constexpr std::int16_t Max = facts::Max;
    if (v < 0 || v > Max)
        return;
    TempLimitTable table;
    table.fill();
    const double level = LevelFromValue(v, Max);
    const double t = TemperatureOf(level, Max);
    CHECK(t == facts::temperatureAt(v));
    const int fraction = FractionOf(t, table);
    CHECK(fraction >= 0 && fraction <= 5);
    const FractionTarget target = ValueForFraction(fraction, Max, table);
    CHECK(target.value == facts::PickTargets[std::size_t(fraction)]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Input input = decode(data, size);
    TempLimitTable table;
    if (input.filled)
        table.fill();

    if (const auto level = checkLevelFromValue(input.v, input.max))
        checkTemperatureOf(*level, input.max);
    checkTemperatureOf(input.x, input.max);
    checkFractionOf(input.x, table, input.filled);
    checkFractionOf(input.t, table, input.filled);
    checkValueForFraction(input.index, input.max, table, input.filled);
    checkValueForFraction(input.t, input.max, table, input.filled);
    checkConversions(input.x);
    checkTable(input.index, table, input.filled);
    checkWindowChain(input.v);
    CHECK(!RuntimeError::describe(input.index).empty());
    return 0;
}
