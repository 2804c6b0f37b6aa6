// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the design says the program must show, written out once for every test, the session test's
// reference model and the fuzzer: plain C++ and none of the program's code, so that a test compares
// the program against these facts and not against itself.

#include <array>
#include <cstdint>

namespace varnelo::facts {

inline constexpr int Max = 500; // the scroll range is 0..Max, Max at the cold end
inline constexpr int Fractions = 6;

// The upper limits of fractions 0..5. The first five are the bounds between fractions (a temperature
// equal to one belongs to the higher fraction); the last is the top of the scale.
inline constexpr std::array<int, Fractions> Limits{32, 105, 160, 230, 430, 500};

// Where the scroll bar goes when fraction 0..5 is picked: Max minus the fraction's upper limit.
inline constexpr std::array<int, Fractions> PickTargets{468, 395, 340, 270, 70, 0};

// The multiples of five that the read-out shows one degree lower (the level is only the double
// nearest to its two decimals): 105 shows as 104, and so on.
inline constexpr std::array<int, 20> OneDegreeLow{35, 40, 45, 50, 55, 95, 100, 105, 110, 115,
                                                  160, 165, 170, 220, 225, 230, 330, 335, 340, 465};

// The hundredths of the level for scroll value v: v / 500 to two decimals, which is v / 5 rounded
// (v / 5 never ends in .5).
constexpr int hundredthsAt(int v)
{
    return (v + 2) / 5;
}

// The degrees the read-out shows for scroll value v.
constexpr int temperatureAt(int v)
{
    const int whole = Max - 5 * hundredthsAt(v);
    for (const int low : OneDegreeLow) {
        if (low == whole)
            return whole - 1;
    }
    return whole;
}

// The fraction (list row) a temperature lies in.
constexpr int fractionAt(int degrees)
{
    int fraction = 0;
    while (fraction < Fractions - 1 && degrees >= Limits[std::size_t(fraction)])
        ++fraction;
    return fraction;
}

// Colours as 0xRRGGBB.
inline constexpr std::uint32_t FormBack = 0xc0c0ff; // light lavender
inline constexpr std::uint32_t LabelBack = 0xffc080; // light orange
inline constexpr std::uint32_t PictureBack = 0x8080ff; // light blue
inline constexpr std::uint32_t Heated = 0xd21e1e; // the red bar
inline constexpr std::uint32_t Rest = 0x6482e6; // the blue bar

struct PixelRect {
    int x, y, width, height;
};

// The picture box's outer size in pixels and its drawing area inside the 2-px sunken frame.
inline constexpr PixelRect PictureBox{24, 24, 65, 177};
inline constexpr PixelRect DrawingArea{2, 2, 61, 173};

// The row of the drawing area (from its top) that holds the level line for the level k/100: the
// outer height of 177 px times the level, rounded.
constexpr int levelRow(int hundredths)
{
    return (PictureBox.height * hundredths + 50) / 100;
}

} // namespace varnelo::facts
