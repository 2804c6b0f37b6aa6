// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window must show after any sequence of user actions, worked out from the design alone:
// its own table of temperatures, its own fraction bands and pick targets, and none of the program's
// code. It follows the form's event chains: a new scroll value redraws, classifies and, if the list
// shows another fraction, selects it (whose Click then finds nothing to do); a newly selected row
// that differs from the last classified fraction moves the scroll bar to that fraction's limit, and
// that move runs the first chain unless the bar already stands there.

#include "designfacts.h"

#include <algorithm>
#include <array>
#include <optional>

namespace session {

// The controls that take the keyboard focus, in Tab order.
enum class Control { Text1_0, Picture1, VScroll1, List1 };

class ReferenceModel
{
public:
    static constexpr int Max = varnelo::facts::Max;
    static constexpr int Rows = varnelo::facts::Fractions;
    static constexpr int GasOil = 4;

    // Things the model has seen happen, so a run can show that it reached the interesting chains.
    struct Events {
        int redraws = 0;
        int pickOfClassifiedFraction = 0; // a new selection equal to the classified fraction: no move
        int firstPickOfRowZeroFromStart = 0;
        int gasOilLandsOnFuelOil = 0;
        int pickOntoCurrentValue = 0; // the target is where the bar stands: no Change, no redraw
        int pickOfSelectedRow = 0; // the row was already selected: no Click at all
    };

    int value() const { return m_value; }
    int listIndex() const { return m_listIndex; }
    int currentRow() const { return m_currentRow; }
    Control focus() const { return m_focus; }
    const Events &events() const { return m_events; }

    // Degrees in the read-out, or nothing while the label still shows its design caption.
    std::optional<int> readout() const { return m_readout; }

    // The row of the drawing area (from its top) that holds the level line, or nothing before the
    // first redraw.
    std::optional<int> levelRow() const
    {
        if (!m_hundredths)
            return std::nullopt;
        return varnelo::facts::levelRow(*m_hundredths);
    }

    // The user moves the thumb to `value` (a step, a key, a wheel notch over the bar, the end of a
    // drag). The wheel over the list only scrolls it.
    void userMovesSlider(int value) { assignValue(std::clamp(value, 0, Max)); }
    void userStepsSlider(int delta) { userMovesSlider(m_value + delta); }

    // The user selects `row` by mouse or keyboard; selecting the selected row raises nothing. With
    // the mouse that is a press, each of a double-click's two presses, and each row entered with the
    // button held; moves inside a row and the release select nothing.
    void userSelectsRow(int row)
    {
        m_currentRow = row;
        if (row == m_listIndex) {
            ++m_events.pickOfSelectedRow;
            return;
        }
        m_listIndex = row;
        if (row == m_fractionIndex) {
            ++m_events.pickOfClassifiedFraction;
            if (row == 0 && !m_readout)
                ++m_events.firstPickOfRowZeroFromStart;
        }
        List1_Click();
    }

    void userFocuses(Control control) { m_focus = control; }
    void userTabs(bool backwards)
    {
        constexpr int count = 4;
        m_focus = Control((int(m_focus) + (backwards ? count - 1 : 1)) % count);
    }

    static int temperatureAt(int v) { return varnelo::facts::temperatureAt(v); }
    static int fractionAt(int degrees) { return varnelo::facts::fractionAt(degrees); }
    static int targetOf(int row) { return varnelo::facts::PickTargets[std::size_t(row)]; }

private:
    // Code and user alike: only a different number raises Change.
    void assignValue(int value)
    {
        if (value == m_value)
            return;
        m_value = value;
        VScroll1_Change();
    }

    void VScroll1_Change()
    {
        m_hundredths = varnelo::facts::hundredthsAt(m_value);
        UpdateDisplay();
    }

    void UpdateDisplay()
    {
        ++m_events.redraws;
        m_readout = temperatureAt(m_value);
        m_fractionIndex = fractionAt(*m_readout);
        if (m_listIndex != m_fractionIndex) {
            m_listIndex = m_currentRow = m_fractionIndex;
            List1_Click();
        }
    }

    void List1_Click()
    {
        if (m_listIndex == m_fractionIndex)
            return;
        m_fractionIndex = m_listIndex;
        const int target = targetOf(m_fractionIndex);
        if (target == m_value)
            ++m_events.pickOntoCurrentValue;
        const bool pickedGasOil = m_fractionIndex == GasOil;
        assignValue(target);
        if (pickedGasOil && m_listIndex == GasOil + 1)
            ++m_events.gasOilLandsOnFuelOil;
    }

    int m_value = Max; // the thumb starts at the bottom, the cold end
    int m_listIndex = -1;
    int m_currentRow = -1;
    int m_fractionIndex = 0;
    std::optional<int> m_hundredths;
    std::optional<int> m_readout;
    Control m_focus = Control::Text1_0;
    Events m_events;
};

} // namespace session
