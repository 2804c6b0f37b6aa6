// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"
#include "temperature.h"
#include "windowtest.h"

#include <QScreen>

#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdint>

using namespace varnelo;
using namespace varnelo::test;

namespace {

constexpr std::int16_t Max = 500;

double levelOf(int value)
{
    return LevelFromValue(static_cast<std::int16_t>(value), Max);
}

// The level line's row in the drawing area: the outer height, not the area's, times the level.
int lineRow(int value)
{
    return static_cast<int>(std::lround(177 * levelOf(value)));
}

// What the model says the window shows once a Change has brought the bar to `value`.
Seen predicted(int value)
{
    static const TempLimitTable limits = [] {
        TempLimitTable table;
        table.fill();
        return table;
    }();
    const double t = TemperatureOf(levelOf(value), Max);
    return showing(value, static_cast<int>(t), FractionOf(t, limits));
}

// One step on the scroll bar from the value `start`: a click on `part`, or `key` for SC_None.
struct Step {
    int start;
    QStyle::SubControl part;
    Qt::Key key;
    Seen shows; // afterwards; for a step that goes nowhere, what showed before it
};

// A pick in the list: a click on `row`, or `key` (Key_unknown: none) on the focused list.
struct Pick {
    int from; // assigned to ListIndex before, with the bar drawn; -1: the window as opened
    int row;
    Qt::Key key;
    Seen shows;
    int clicks;
};

// A mouse gesture on the list, with the list scrolled to its end (rows 2 to 5 in view): a press
// with small moves inside `row` before the release, a double-click on it, or a press on it dragged
// onto `to`.
struct Gesture {
    enum Kind { Jitter, DoubleClick, Drag } kind;
    int row;
    int to;
};

} // namespace

// The window's behaviour as a pupil meets it: every action goes through real mouse and key events,
// and every check reads what is on screen. Each test starts from a freshly opened window; a state
// to start from is set by assigning the bar's value or a mouse pick.
class TestBehaviour : public QObject
{
    Q_OBJECT

private:
    Window m;

private slots:
    void initTestCase() { varnelo::configureApplication(); }
    void init() { m.open(); }
    void cleanup() { m.close(); }

    void firstStepsUpFromTheStartDrawTheBarAndSelectOnce()
    {
        m.clickPart(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(m.seen(), showing(499, 0, 0));
        QCOMPARE(barFault(m.drawn(), 177), QString()); // level 1.00: blue over the whole area
        QCOMPARE(m.clicks->count(), 1);
        const QImage first = m.drawn();

        // 498 has the same level: drawn alike, and ListIndex is already right, so it is left alone.
        m.clickPart(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(m.seen(), showing(498, 0, 0));
        QCOMPARE(m.drawn(), first);
        m.clickPart(QStyle::SC_ScrollBarSubLine);
        QCOMPARE(m.seen(), showing(497, 5, 0));
        QCOMPARE(m.changes->count(), 3);
        QCOMPARE(m.clicks->count(), 1);
    }

    // One arrow or trough click or one key moves the value by exactly 1 and raises one Change;
    // Home and End go to the ends.
    void oneInputStepMovesTheValueByOne_data()
    {
        QTest::addColumn<Step>("step");
        const auto up = QStyle::SC_ScrollBarSubLine, down = QStyle::SC_ScrollBarAddLine, key = QStyle::SC_None;
        const auto mouse = Qt::Key_unknown;
        QTest::newRow("up arrow into petrol") << Step{468, up, mouse, showing(467, 34, 1)};
        QTest::newRow("down arrow into volatile") << Step{467, down, mouse, showing(468, 30, 0)};
        QTest::newRow("trough above the thumb") << Step{468, QStyle::SC_ScrollBarSubPage, mouse, showing(467, 34, 1)};
        QTest::newRow("trough below the thumb") << Step{400, QStyle::SC_ScrollBarAddPage, mouse, showing(401, 99, 1)};
        QTest::newRow("Up into petrol") << Step{468, key, Qt::Key_Up, showing(467, 34, 1)};
        QTest::newRow("Down, same fraction") << Step{402, key, Qt::Key_Down, showing(403, 94, 1)};
        QTest::newRow("PageUp into gas oil") << Step{268, key, Qt::Key_PageUp, showing(267, 235, 4)};
        QTest::newRow("PageDown into kerosene") << Step{267, key, Qt::Key_PageDown, showing(268, 229, 3)};
        QTest::newRow("Home") << Step{250, key, Qt::Key_Home, showing(0, 500, 5)};
        QTest::newRow("End") << Step{250, key, Qt::Key_End, showing(500, 0, 0)};
        QTest::newRow("down arrow at the cold end") << Step{500, down, mouse, {500, DesignCaption, -1, {}, -1}};
        QTest::newRow("Up at the hot end") << Step{0, key, Qt::Key_Up, showing(0, 500, 5)};
    }

    void oneInputStepMovesTheValueByOne()
    {
        QFETCH(Step, step);
        m.bar->setValue(step.start);
        const int listIndex = m.list->ListIndex();
        const QImage drawn = m.drawn();
        m.resetCounts();
        if (step.part != QStyle::SC_None)
            m.clickPart(step.part);
        else
            m.press(m.bar, step.key);

        const bool moved = step.shows.value != step.start;
        QCOMPARE(m.seen(), step.shows);
        QCOMPARE(m.changes->count(), moved ? 1 : 0);
        QCOMPARE(m.clicks->count(), step.shows.listIndex == listIndex ? 0 : 1);
        if (moved)
            QCOMPARE(barFault(m.drawn(), lineRow(step.shows.value)), QString());
        else
            QCOMPARE(m.drawn(), drawn);
    }

    // Offsets of the pointer from where the thumb was pressed, one move each.
    void thumbDragChangesNothingUntilRelease_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::newRow("down by 60 px") << QList<int>{20, 40, 60};
        QTest::newRow("down and back to the start") << QList<int>{30, 60, 30, 0};
    }

    void thumbDragChangesNothingUntilRelease()
    {
        QFETCH(QList<int>, path);
        m.bar->setValue(100);
        const Seen before = m.seen();
        const QImage drawn = m.drawn();
        m.resetCounts();

        const QPoint start = scrollBarPart(m.bar, QStyle::SC_ScrollBarSlider).center();
        QTest::mousePress(m.bar, Qt::LeftButton, {}, start);
        int furthest = 100;
        for (const int dy : path) {
            QTest::mouseMove(m.bar, start + QPoint(0, dy)); // the left button is still held
            furthest = std::max(furthest, m.bar->sliderPosition());
            QCOMPARE(m.seen(), before);
            QCOMPARE(m.drawn(), drawn);
            QCOMPARE(m.changes->count(), 0);
        }
        QVERIFY2(furthest > 100, "the thumb did not follow the pointer");
        const int shown = m.bar->sliderPosition();
        QCOMPARE(shown == 100, path.last() == 0);
        QTest::mouseRelease(m.bar, Qt::LeftButton, {}, start + QPoint(0, path.last()));

        QCOMPARE(m.changes->count(), shown == 100 ? 0 : 1);
        QCOMPARE(m.seen(), shown == 100 ? before : predicted(shown));
        QCOMPARE(barFault(m.drawn(), lineRow(shown)), QString());
    }

    void barSplitsAtTheLevelLine_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("lineRow");
        QTest::newRow("0.00, blue on the top row only") << 0 << 0;
        QTest::newRow("0.50") << 250 << 89;
        QTest::newRow("0.79") << 395 << 140;
        QTest::newRow("0.96, red on the last two rows") << 480 << 170;
        QTest::newRow("1.00, red below the area") << 499 << 177;
    }

    void barSplitsAtTheLevelLine()
    {
        QFETCH(int, value);
        QFETCH(int, lineRow);
        m.bar->setValue(value);
        QCOMPARE(barFault(m.drawn(), lineRow), QString());
    }

    // A pick that moves the bar raises one Change and redraws; one that does not leaves the value,
    // the read-out and the drawing as they were.
    void pickInTheListMovesTheBarToTheFractionLimit_data()
    {
        QTest::addColumn<Pick>("pick");
        for (const bool byKeyboard : {false, true}) {
            const auto add = [byKeyboard](const char *name, int from, int row, Qt::Key key, const Seen &shows,
                                          int clicks) {
                QTest::addRow("%s: %s", byKeyboard ? "keyboard" : "mouse", name)
                    << Pick{from, row, byKeyboard ? key : Qt::Key_unknown, shows, clicks};
            };
            add("volatile", 1, 0, Qt::Key_Up, showing(468, 30, 0), 1);
            add("petrol reads 104", 0, 1, Qt::Key_Down, showing(395, 104, 1), 1);
            add("naphtha", 1, 2, Qt::Key_Down, showing(340, 159, 2), 1);
            add("kerosene", 2, 3, Qt::Key_Down, showing(270, 229, 3), 1);
            // The pick, then the display update's own assignment: the selection lands on fuel oil.
            add("gas oil ends on fuel oil", 3, 4, Qt::Key_Down, showing(70, 430, 5), 2);
            add("fuel oil", 3, 5, Qt::Key_End, showing(0, 500, 5), 1);
            // Gas oil again: ListIndex differs from the fraction shown, the limit is where the bar is.
            add("gas oil again is kept", 4, 4, Qt::Key_Up, showing(70, 430, 4), 1);
            // The first pick from the start finds FractionIndex 0 already.
            add("volatile first from the start is only highlighted", -1, 0, Qt::Key_Down,
                {500, DesignCaption, 0, {0}, 0}, 1);
        }
        QTest::newRow("mouse: naphtha again") << Pick{2, 2, Qt::Key_unknown, showing(340, 159, 2), 0};
        QTest::newRow("mouse: fuel oil again after the gas-oil pick")
            << Pick{4, 5, Qt::Key_unknown, showing(70, 430, 5), 0};
    }

    void pickInTheListMovesTheBarToTheFractionLimit()
    {
        QFETCH(Pick, pick);
        if (pick.from >= 0) {
            m.bar->setValue(499); // drawn, volatile selected
            m.list->setListIndex(pick.from);
        }
        const Seen before = m.seen();
        const QImage drawn = m.drawn();
        m.resetCounts();

        if (pick.key == Qt::Key_unknown)
            m.clickItem(pick.row);
        else
            m.press(m.list, pick.key);
        const bool moved = pick.shows.value != before.value;
        QCOMPARE(m.seen(), pick.shows);
        QCOMPARE(m.changes->count(), moved ? 1 : 0);
        QCOMPARE(m.clicks->count(), pick.clicks);
        if (moved)
            QCOMPARE(barFault(m.drawn(), lineRow(pick.shows.value)), QString());
        else
            QCOMPARE(m.drawn(), drawn);
    }

    // However the mouse is held, a press on an item is one pick and a double-click is two; moving
    // onto another item with the button down picks that item.
    void mouseGesturePicksOncePerItemEntered_data()
    {
        QTest::addColumn<int>("from"); // ListIndex assigned before, with the bar drawn
        QTest::addColumn<Gesture>("gesture");
        QTest::addColumn<Seen>("shows");
        QTest::addColumn<int>("clicks");
        using enum Gesture::Kind;
        QTest::newRow("press, jitter, release on gas oil ends on fuel oil")
            << 3 << Gesture{Jitter, 4, 4} << showing(70, 430, 5) << 2;
        QTest::newRow("press, jitter, release on naphtha") << 5 << Gesture{Jitter, 2, 2} << showing(340, 159, 2) << 1;
        // The second press picks gas oil again, as a second single click would.
        QTest::newRow("double-click on gas oil ends on gas oil")
            << 3 << Gesture{DoubleClick, 4, 4} << showing(70, 430, 4) << 3;
        // From fuel oil after a gas-oil pick: the first press keeps gas oil, the second finds it selected.
        QTest::newRow("double-click on gas oil after its pick") << 4 << Gesture{DoubleClick, 4, 4} << showing(70, 430, 4) << 1;
        QTest::newRow("double-click on naphtha") << 5 << Gesture{DoubleClick, 2, 2} << showing(340, 159, 2) << 1;
        QTest::newRow("drag from kerosene onto gas oil ends on fuel oil")
            << 1 << Gesture{Drag, 3, 4} << showing(70, 430, 5) << 3;
        QTest::newRow("drag from gas oil onto kerosene") << 1 << Gesture{Drag, 4, 3} << showing(270, 229, 3) << 3;
        QTest::newRow("drag from naphtha onto fuel oil") << 1 << Gesture{Drag, 2, 5} << showing(0, 500, 5) << 2;
        // The press on the selected row picks nothing; nor may the release pick gas oil again.
        QTest::newRow("drag from the selected naphtha onto gas oil ends on fuel oil")
            << 2 << Gesture{Drag, 2, 4} << showing(70, 430, 5) << 2;
    }

    void mouseGesturePicksOncePerItemEntered()
    {
        QFETCH(int, from);
        QFETCH(Gesture, gesture);
        QFETCH(Seen, shows);
        QFETCH(int, clicks);
        m.bar->setValue(499);
        m.list->setListIndex(from);
        m.list->scrollToBottom();
        m.resetCounts();

        QWidget *viewport = m.list->viewport();
        const auto centreOf = [this](int row) { return m.list->visualItemRect(m.list->item(row)).center(); };
        const QPoint at = centreOf(gesture.row);
        if (gesture.kind == Gesture::DoubleClick) {
            // Through the window, so that Qt itself turns the second press into a double-click.
            QTest::mouseDClick(m.form->windowHandle(), Qt::LeftButton, {}, viewport->mapTo(m.form.get(), at));
        } else {
            QTest::mousePress(viewport, Qt::LeftButton, {}, at);
            QPoint last = at;
            if (gesture.kind == Gesture::Jitter) {
                for (const QPoint step : {QPoint(1, 1), QPoint(2, -1), QPoint(-1, 2), QPoint(1, -2)}) {
                    last += step;
                    QTest::mouseMove(viewport, last);
                }
            } else {
                // The first pick may have scrolled the list: aim where the row is now.
                QTest::mouseMove(viewport, at + QPoint(1, 1));
                last = centreOf(gesture.to);
                QTest::mouseMove(viewport, last);
                QTest::mouseMove(viewport, last + QPoint(-1, 1));
            }
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, last);
        }
        QCOMPARE(m.seen(), shows);
        QCOMPARE(m.clicks->count(), clicks);
        QCOMPARE(barFault(m.drawn(), lineRow(shows.value)), QString());
    }

    // Only what changed is repainted on each step; what ends up on screen must be what painting the
    // whole window afresh gives.
    void stepByStepPaintingMatchesAFullRepaint()
    {
        m.bar->setFocus(Qt::TabFocusReason);
        const auto onScreen = [this] {
            QCoreApplication::processEvents();
            return m.form->screen()->grabWindow(m.form->winId()).toImage();
        };
        for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_End}) {
            m.press(m.bar, key);
            QCOMPARE(onScreen(), m.form->grab().toImage());
        }
        m.bar->setValue(250);
        QCOMPARE(onScreen(), m.form->grab().toImage());
    }

    void everyScrollValueShowsWhatTheModelPredicts()
    {
        m.bar->setFocus(Qt::TabFocusReason);
        int listIndex = -1;
        for (int value = 0; value <= Max; ++value) {
            m.resetCounts();
            QTest::keyClick(m.bar, value == 0 ? Qt::Key_Home : Qt::Key_Down);
            const Seen expected = predicted(value);
            QCOMPARE(m.seen(), expected);
            QCOMPARE(barFault(m.drawn(), lineRow(value)), QString());
            QCOMPARE(m.changes->count(), 1);
            QCOMPARE(m.clicks->count(), expected.listIndex == listIndex ? 0 : 1);
            listIndex = expected.listIndex;
        }
    }
};

QTEST_MAIN(TestBehaviour)
#include "tst_behaviour.moc"
