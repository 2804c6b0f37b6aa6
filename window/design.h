// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The design of the form Varnelo: every place and size in twips, the colours and the fixed texts,
// written once. varnelo.cpp builds the window from it.

#include "twips.h"

#include <QColor>
#include <QString>

namespace varnelo::design {

inline constexpr int ClientWidth = 7140;
inline constexpr int ClientHeight = 5175;
inline constexpr int FontHeight = 240; // 12 pt

// In tab order.
inline constexpr TwipsRect Text1_0{120, 3360, 6855, 1575};
inline constexpr TwipsRect Text1_1{720, 4320, 6735, 1815};
inline constexpr TwipsRect Label1_0{2160, 0, 3375, 375};
inline constexpr TwipsRect Picture1{360, 360, 975, 2655};
inline constexpr TwipsRect Label1_1{2760, 840, 3495, 375};
inline constexpr TwipsRect VScroll1{1320, 120, 375, 3135};
inline constexpr TwipsRect List1{2760, 1200, 3495, 1200};

inline constexpr int ScrollMin = 0;
inline constexpr int ScrollMax = 500;

inline constexpr QColor FormBackColor(192, 192, 255); // light lavender
inline constexpr QColor LabelBackColor(255, 192, 128); // light orange
inline constexpr QColor PictureBackColor(128, 128, 255); // light blue
inline constexpr QColor HeatedColor(210, 30, 30); // the red bar, heated through
inline constexpr QColor RestColor(100, 130, 230); // the blue bar, the rest of the range

inline constexpr char16_t WebAddress[] = u"https://varnelo.bg";
inline constexpr char16_t CaptionTail[] = u"Varnelo, бензин";
inline constexpr char16_t TitleCaption[] = u"Varnelo";
inline constexpr char16_t ReadoutCaption[] = u"Температура  деривати";
inline constexpr char16_t ReadoutPrefix[] = u"Достигната температура: ";
inline constexpr char16_t ReadoutSuffix[] = u" градуса.";

QString taskStatement();
QString quotation();

} // namespace varnelo::design
