// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fraction model, in two headers:
//   fractions.h   - the six oil fractions (list text and upper limit) and TempLimit, the table of
//                   limits the window fills once at load and classifies against;
//   temperature.h - the arithmetic: scroll value -> Level -> temperature -> fraction, and a picked
//                   fraction back to a scroll value.
// Data flows one way: the window reads its scroll bar, calls these pure functions and keeps the
// results (Level, FractionIndex) in its own state. Failures are thrown as RuntimeError.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace varnelo {

struct Fraction {
    std::string_view text; // UTF-8, exactly as the list shows it, doubled blanks included
    std::int16_t limit; // upper limit in whole degrees
};

// Ascending by evaporation temperature. The list items and TempLimit are both made from this one
// table, so their order cannot drift apart.
inline constexpr std::array<Fraction, 6> Fractions{{
    {"Летливи въглеводороди <32", 32},
    {"Бензин  32 -  105", 105},
    {"Нафта  105 - 160", 160},
    {"Керосин 160 - 230", 230},
    {"Газойл 230 -  430", 430},
    {"Мазут >  430", 500},
}};

// Eight slots, 0..7, each empty or a whole number. Only 0..5 are ever filled; 6 and 7 stay empty.
// Reading outside 0..7 is a subscript error, as it would be for any fixed-size table of the form.
class TempLimitTable
{
public:
    static constexpr int Slots = 8;

    // Sets slots 0..5 to the limits of Fractions, in index order.
    void fill();

    // The slot's content; throws RuntimeError(SubscriptOutOfRange) outside 0..7.
    std::optional<std::int16_t> slot(int index) const;

    // The slot as a number: an empty slot counts as 0, as an empty variant does in arithmetic.
    std::int16_t limit(int index) const;

private:
    std::array<std::optional<std::int16_t>, Slots> m_slots{};
};

} // namespace varnelo
