// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>

namespace varnelo {

// Every position and size is written in twips, as designed, and turned into logical pixels here and
// nowhere else. Qt's device-pixel ratio takes it from there on high-density screens.
inline constexpr int TwipsPerPixel = 15;

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

constexpr int twipsToPixels(int twips)
{
    return twips / TwipsPerPixel; // the design's lengths are whole pixels
}

constexpr QRect twipsToPixels(const TwipsRect &rect)
{
    return {twipsToPixels(rect.left), twipsToPixels(rect.top), twipsToPixels(rect.width),
            twipsToPixels(rect.height)};
}

constexpr double twipsToPixelsF(double twips)
{
    return twips / TwipsPerPixel;
}

constexpr float pixelsToTwips(int pixels)
{
    return static_cast<float>(pixels * TwipsPerPixel);
}

} // namespace varnelo
