// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The form Varnelo, the program's one window.
//
//   VScroll1 (the still's control) --Change--> VScroll1_Change: Level = LevelFromValue(Value, Max)
//        ^                                          |
//        | Value = the fraction's limit             v
//   List1_Click <--Click-- List1.ListIndex <-- UpdateDisplay: bar in Picture1, read-out in
//        (guard: ListIndex == FractionIndex ends          Label1(1), FractionIndex = FractionOf(T)
//         the chain)
//
// Assignments to VScroll1's value and List1's ListIndex raise Change and Click at once, inside the
// assignment, so the handlers nest; the guard at the top of List1_Click ends every chain. The
// arithmetic comes from the model; the form owns its controls and the state Level, TempLimit and
// FractionIndex.

#include "form.h"
#include "fractions.h"

#include <array>
#include <cstdint>

class QLabel;
class QPlainTextEdit;

namespace varnelo {

class ListBox;
class PictureBox;
class ScrollBar;

class Varnelo : public Form
{
    Q_OBJECT

public:
    explicit Varnelo(QWidget *parent = nullptr);

    // Runs once, before the window is first shown.
    void Form_Load();

private:
    void VScroll1_Change();
    void List1_Click();
    void UpdateDisplay();

    std::array<QPlainTextEdit *, 2> Text1{};
    std::array<QLabel *, 2> Label1{};
    PictureBox *Picture1 = nullptr;
    ScrollBar *VScroll1 = nullptr;
    ListBox *List1 = nullptr;

    double Level = 0;
    TempLimitTable TempLimit;
    std::int16_t FractionIndex = 0;
};

} // namespace varnelo
