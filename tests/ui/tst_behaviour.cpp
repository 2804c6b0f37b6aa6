// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"
#include "listbox.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "temperature.h"
#include "varnelo.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <cmath>
#include <cstdint>
#include <memory>

using namespace Qt::StringLiterals;
using namespace varnelo;

// A helper that failed has already recorded why; the test stops there.
#define CHECK(call)                                                                                \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

namespace {

constexpr std::int16_t Max = 500;
constexpr int NoBar = -1; // nothing drawn yet: the whole area in the background colour

const QColor Red(210, 30, 30);
const QColor Blue(100, 130, 230);
const QColor Background(128, 128, 255);
const QString DesignCaption = u"Температура  деривати"_s;

QString readout(int degrees)
{
    return u"Достигната температура: "_s + QString::number(degrees) + u" градуса."_s;
}

// What the model says the window shows for a scroll value.
struct Prediction {
    int degrees;
    int fraction;
    int lineRow; // the level-line row in the drawing area
};

Prediction predict(int value)
{
    static const TempLimitTable limits = [] {
        TempLimitTable table;
        table.fill();
        return table;
    }();
    const double level = LevelFromValue(static_cast<std::int16_t>(value), Max);
    const double t = TemperatureOf(level, Max);
    return {static_cast<int>(t), FractionOf(t, limits), static_cast<int>(std::lround(177 * level))};
}

} // namespace

// The window's behaviour as a pupil meets it: every action goes through real mouse and key events,
// and every check reads what is on screen. Each test starts from a freshly loaded window.
class tst_Behaviour : public QObject
{
    Q_OBJECT

    struct Shown {
        int value;
        QString readout;
        int listIndex;
        QList<int> selectedRows;
        QImage bar;
    };

    std::unique_ptr<Varnelo> m_form;
    ScrollBar *m_bar = nullptr;
    ListBox *m_list = nullptr;
    PictureBox *m_picture = nullptr;
    QLabel *m_readout = nullptr;
    std::unique_ptr<QSignalSpy> m_clicks; // entries into List1_Click
    std::unique_ptr<QSignalSpy> m_changes; // entries into VScroll1_Change

    QImage grabBar() const { return m_picture->grab().toImage(); }

    QList<int> selectedRows() const
    {
        QList<int> rows;
        for (const QModelIndex &index : m_list->selectionModel()->selectedIndexes())
            rows.append(index.row());
        return rows;
    }

    Shown shown() const
    {
        return {m_bar->value(), m_readout->text(), m_list->ListIndex(), selectedRows(), grabBar()};
    }

    void resetSpies()
    {
        m_clicks->clear();
        m_changes->clear();
    }

    QRect scrollPart(QStyle::SubControl part) const
    {
        QStyleOptionSlider option;
        option.initFrom(m_bar);
        option.orientation = m_bar->orientation();
        option.minimum = m_bar->minimum();
        option.maximum = m_bar->maximum();
        option.sliderPosition = m_bar->sliderPosition();
        option.sliderValue = m_bar->value();
        option.singleStep = m_bar->singleStep();
        option.pageStep = m_bar->pageStep();
        option.upsideDown = false;
        option.subControls = QStyle::SC_All;
        return m_bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, m_bar);
    }

    void clickScroll(QStyle::SubControl part)
    {
        const QRect rect = scrollPart(part);
        QVERIFY2(!rect.isEmpty(), "that part of the scroll bar is not on screen");
        QTest::mouseClick(m_bar, Qt::LeftButton, {}, rect.center());
    }

    void pressOn(QWidget *control, Qt::Key key)
    {
        control->setFocus();
        QTRY_VERIFY(control->hasFocus());
        QTest::keyClick(control, key);
    }

    // Home first, so that the bar is drawn even for the start value 500.
    void keyTo(int value)
    {
        CHECK(pressOn(m_bar, Qt::Key_Home));
        if (value > Max / 2)
            QTest::keyClick(m_bar, Qt::Key_End);
        while (m_bar->value() < value)
            QTest::keyClick(m_bar, Qt::Key_Down);
        while (m_bar->value() > value)
            QTest::keyClick(m_bar, Qt::Key_Up);
        QCOMPARE(m_bar->value(), value);
    }

    void clickItem(int row)
    {
        QListWidgetItem *item = m_list->item(row);
        QVERIFY(item);
        m_list->scrollToItem(item); // as a pupil scrolls the list to find it
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, m_list->visualItemRect(item).center());
    }

    void verifySelected(int row)
    {
        QCOMPARE(m_list->ListIndex(), row);
        QCOMPARE(selectedRows(), QList<int>{row});
        QCOMPARE(m_list->currentRow(), row); // the focus frame sits on the highlight
        const QRect item = m_list->visualItemRect(m_list->item(row));
        QVERIFY2(m_list->viewport()->rect().contains(item), "the selected item is out of view");
    }

    // Rows 0..lineRow of the drawing area blue, the rest red, clipped to the area; the frame
    // around it untouched.
    void verifyBar(const QImage &image, int lineRow)
    {
        const QRect area = m_picture->contentsRect();
        for (int x : {0, area.width() / 2, area.width() - 1}) {
            for (int y = 0; y < area.height(); ++y) {
                const QColor expected = lineRow == NoBar ? Background : y <= lineRow ? Blue : Red;
                const QColor seen = image.pixelColor(area.left() + x, area.top() + y);
                if (seen != expected)
                    QFAIL(qPrintable(u"area column %1, row %2 is %3, expected %4 (level line at row %5)"_s
                                         .arg(x).arg(y).arg(seen.name(), expected.name()).arg(lineRow)));
            }
        }
        const QRect outer = m_picture->rect();
        const QPoint middle = outer.center();
        for (const QPoint point : {QPoint(0, 0), QPoint(1, 1), QPoint(middle.x(), 1), QPoint(1, middle.y()),
                                   QPoint(outer.right() - 1, middle.y()),
                                   QPoint(middle.x(), outer.bottom() - 1), outer.bottomRight()}) {
            const QColor seen = image.pixelColor(point);
            QVERIFY2(seen != Red && seen != Blue && seen != Background,
                     qPrintable(u"frame pixel (%1, %2) is %3"_s.arg(point.x()).arg(point.y())
                                    .arg(seen.name())));
        }
    }

    void verifyShows(int value)
    {
        QCOMPARE(m_bar->value(), value);
        const Prediction expected = predict(value);
        QCOMPARE(m_readout->text(), readout(expected.degrees));
        CHECK(verifySelected(expected.fraction));
        CHECK(verifyBar(grabBar(), expected.lineRow));
    }

    void verifyUnchanged(const Shown &before)
    {
        const Shown now = shown();
        QCOMPARE(now.value, before.value);
        QCOMPARE(now.readout, before.readout);
        QCOMPARE(now.listIndex, before.listIndex);
        QCOMPARE(now.selectedRows, before.selectedRows);
        QVERIFY2(now.bar == before.bar, "the bar changed");
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The program's style: the arrow and trough rectangles come from it, and in it a trough
        // click steps by the page step instead of jumping.
        QApplication::setStyle(u"Fusion"_s);
    }

    void init()
    {
        m_form = std::make_unique<Varnelo>();
        m_bar = m_form->findChild<ScrollBar *>(u"VScroll1"_s);
        m_list = m_form->findChild<ListBox *>(u"List1"_s);
        m_picture = m_form->findChild<PictureBox *>(u"Picture1"_s);
        m_readout = m_form->findChild<QLabel *>(u"Label1(1)"_s);
        QVERIFY(m_bar && m_list && m_picture && m_readout);
        m_clicks = std::make_unique<QSignalSpy>(m_list, &ListBox::Click);
        m_changes = std::make_unique<QSignalSpy>(m_bar, &ScrollBar::Change);
        m_form->Form_Load();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void cleanup()
    {
        m_clicks.reset();
        m_changes.reset();
        m_form.reset();
    }

    void startsWithoutBarSelectionOrReadout()
    {
        QCOMPARE(m_picture->contentsRect(), QRect(2, 2, 61, 173));
        QCOMPARE(grabBar().size(), QSize(65, 177));
        QCOMPARE(m_bar->value(), 500);
        QCOMPARE(m_readout->text(), DesignCaption);
        QCOMPARE(m_list->ListIndex(), -1);
        QVERIFY(selectedRows().isEmpty());
        CHECK(verifyBar(grabBar(), NoBar));
        QCOMPARE(m_changes->count(), 0);
        QCOMPARE(m_clicks->count(), 0);
    }

    void upArrowDrawsTheBarAndSelectsOnlyOnce()
    {
        CHECK(clickScroll(QStyle::SC_ScrollBarSubLine));
        QCOMPARE(m_bar->value(), 499);
        QCOMPARE(m_changes->count(), 1);
        QCOMPARE(m_readout->text(), u"Достигната температура: 0 градуса."_s);
        CHECK(verifySelected(0));
        QCOMPARE(m_list->item(0)->text(), u"Летливи въглеводороди <32"_s);
        const QImage firstDrawn = grabBar();
        CHECK(verifyBar(firstDrawn, 177)); // level 1.00: blue over the whole area
        QCOMPARE(m_clicks->count(), 1);

        // 498 has the same level: drawn alike, and ListIndex is already right, so it is left alone.
        CHECK(clickScroll(QStyle::SC_ScrollBarSubLine));
        QCOMPARE(m_bar->value(), 498);
        QCOMPARE(m_changes->count(), 2);
        QCOMPARE(m_readout->text(), u"Достигната температура: 0 градуса."_s);
        QVERIFY(grabBar() == firstDrawn);

        CHECK(clickScroll(QStyle::SC_ScrollBarSubLine));
        QCOMPARE(m_bar->value(), 497);
        QCOMPARE(m_readout->text(), u"Достигната температура: 5 градуса."_s);
        CHECK(verifySelected(0));
        QCOMPARE(m_clicks->count(), 1);
    }

    void scrollInputStepsByOne_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<QStyle::SubControl>("part"); // clicked; SC_None for a key
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("degrees");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("clicks");

        const auto byKey = QStyle::SC_None;
        const auto byMouse = Qt::Key_unknown;
        const auto up = QStyle::SC_ScrollBarSubLine;
        const auto down = QStyle::SC_ScrollBarAddLine;
        const auto above = QStyle::SC_ScrollBarSubPage; // the trough above the thumb
        const auto below = QStyle::SC_ScrollBarAddPage;
        QTest::newRow("down arrow into volatile") << 467 << down << byMouse << 468 << 30 << 0 << 1;
        QTest::newRow("up arrow into petrol") << 468 << up << byMouse << 467 << 34 << 1 << 1;
        QTest::newRow("trough above into petrol") << 468 << above << byMouse << 467 << 34 << 1 << 1;
        QTest::newRow("trough below, same level") << 400 << below << byMouse << 401 << 99 << 1 << 0;
        QTest::newRow("Up into petrol") << 468 << byKey << Qt::Key_Up << 467 << 34 << 1 << 1;
        QTest::newRow("Down, same fraction") << 402 << byKey << Qt::Key_Down << 403 << 94 << 1 << 0;
        QTest::newRow("PageUp into gas oil") << 268 << byKey << Qt::Key_PageUp << 267 << 235 << 4 << 1;
        QTest::newRow("PageDown into kerosene") << 267 << byKey << Qt::Key_PageDown << 268 << 229 << 3 << 1;
        QTest::newRow("up arrow at the hot end") << 0 << up << byMouse << 0 << 500 << 5 << 0;
        QTest::newRow("Up at the hot end") << 0 << byKey << Qt::Key_Up << 0 << 500 << 5 << 0;
        QTest::newRow("Down at the cold end") << 500 << byKey << Qt::Key_Down << 500 << 0 << 0 << 0;
    }

    void scrollInputStepsByOne()
    {
        QFETCH(int, from);
        QFETCH(QStyle::SubControl, part);
        QFETCH(Qt::Key, key);
        QFETCH(int, value);
        QFETCH(int, degrees);
        QFETCH(int, row);
        QFETCH(int, clicks);

        CHECK(keyTo(from));
        const Shown before = shown();
        resetSpies();
        if (part != QStyle::SC_None)
            CHECK(clickScroll(part));
        else
            CHECK(pressOn(m_bar, key));

        QCOMPARE(m_clicks->count(), clicks);
        if (value == from) {
            QCOMPARE(m_changes->count(), 0);
            CHECK(verifyUnchanged(before));
            return;
        }
        QCOMPARE(m_changes->count(), 1);
        QCOMPARE(m_bar->value(), value);
        QCOMPARE(m_readout->text(), readout(degrees));
        CHECK(verifySelected(row));
        CHECK(verifyBar(grabBar(), predict(value).lineRow));
    }

    void thumbDragChangesNothingUntilRelease()
    {
        CHECK(keyTo(100));
        const Shown before = shown();
        resetSpies();

        QPoint at = scrollPart(QStyle::SC_ScrollBarSlider).center();
        QTest::mousePress(m_bar, Qt::LeftButton, {}, at);
        int thumb = m_bar->sliderPosition();
        for (int move = 0; move < 3; ++move) {
            at.ry() += 20;
            QTest::mouseMove(m_bar, at); // the left button is still held
            QVERIFY2(m_bar->sliderPosition() > thumb, "the thumb does not follow the drag");
            thumb = m_bar->sliderPosition();
            QCOMPARE(m_changes->count(), 0);
            QCOMPARE(m_clicks->count(), 0);
            CHECK(verifyUnchanged(before));
        }
        QTest::mouseRelease(m_bar, Qt::LeftButton, {}, at);

        QCOMPARE(m_changes->count(), 1);
        QVERIFY(predict(thumb).degrees != predict(100).degrees);
        CHECK(verifyShows(thumb));
        QCOMPARE(m_clicks->count(), predict(thumb).fraction != predict(100).fraction ? 1 : 0);
    }

    void barSplitsAtTheLevelLine_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("lineRow"); // round(177 * level): the outer height, not the area's

        QTest::newRow("0.00") << 0 << 0;
        QTest::newRow("0.01") << 5 << 2;
        QTest::newRow("0.14") << 70 << 25;
        QTest::newRow("0.50") << 250 << 89;
        QTest::newRow("0.79") << 395 << 140;
        QTest::newRow("0.96") << 480 << 170;
        QTest::newRow("0.97, line on the last row") << 485 << 172;
        QTest::newRow("0.98, line below the area") << 490 << 173;
        QTest::newRow("1.00") << 500 << 177;
    }

    void barSplitsAtTheLevelLine()
    {
        QFETCH(int, value);
        QFETCH(int, lineRow);

        CHECK(keyTo(value));
        CHECK(verifyBar(grabBar(), lineRow));
    }

    // Each pick starts with the bar drawn and another fraction selected.
    void pickMovesToTheFractionLimit_data()
    {
        QTest::addColumn<bool>("byKeyboard");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("from"); // selected by mouse before the pick
        QTest::addColumn<Qt::Key>("key"); // the pick by keyboard, from `from`
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("degrees");
        QTest::addColumn<int>("shownRow");
        QTest::addColumn<int>("lineRow");
        QTest::addColumn<int>("clicks");

        for (const bool byKeyboard : {false, true}) {
            const auto add = [byKeyboard](const char *name) -> QTestData & {
                return QTest::addRow("%s: %s", byKeyboard ? "keyboard" : "mouse", name) << byKeyboard;
            };
            add("volatile") << 0 << 1 << Qt::Key_Up << 468 << 30 << 0 << 166 << 1;
            add("petrol") << 1 << 0 << Qt::Key_Down << 395 << 104 << 1 << 140 << 1;
            add("naphtha") << 2 << 1 << Qt::Key_Down << 340 << 159 << 2 << 120 << 1;
            add("kerosene") << 3 << 2 << Qt::Key_Down << 270 << 229 << 3 << 96 << 1;
            // The pick, then the display update's own assignment: the selection lands on fuel oil.
            add("gas oil ends on fuel oil") << 4 << 3 << Qt::Key_Down << 70 << 430 << 5 << 25 << 2;
            add("fuel oil") << 5 << 3 << Qt::Key_End << 0 << 500 << 5 << 0 << 1;
        }
    }

    void pickMovesToTheFractionLimit()
    {
        QFETCH(bool, byKeyboard);
        QFETCH(int, row);
        QFETCH(int, from);
        QFETCH(Qt::Key, key);
        QFETCH(int, value);
        QFETCH(int, degrees);
        QFETCH(int, shownRow);
        QFETCH(int, lineRow);
        QFETCH(int, clicks);

        CHECK(clickScroll(QStyle::SC_ScrollBarSubLine)); // drawn, volatile selected
        if (from != 0)
            CHECK(clickItem(from));
        QCOMPARE(m_list->ListIndex(), from);
        resetSpies();

        if (byKeyboard)
            CHECK(pressOn(m_list, key));
        else
            CHECK(clickItem(row));

        QCOMPARE(m_clicks->count(), clicks);
        QCOMPARE(m_changes->count(), 1);
        QCOMPARE(m_bar->value(), value);
        QCOMPARE(m_readout->text(), readout(degrees));
        CHECK(verifySelected(shownRow));
        CHECK(verifyBar(grabBar(), lineRow));
    }

    void reclickingTheSelectedItemDoesNothing_data()
    {
        QTest::addColumn<int>("picked");
        QTest::addColumn<int>("selected");

        QTest::newRow("naphtha") << 2 << 2;
        QTest::newRow("fuel oil after the gas-oil pick") << 4 << 5;
    }

    void reclickingTheSelectedItemDoesNothing()
    {
        QFETCH(int, picked);
        QFETCH(int, selected);

        CHECK(clickScroll(QStyle::SC_ScrollBarSubLine));
        CHECK(clickItem(picked));
        QCOMPARE(m_list->ListIndex(), selected);
        const Shown before = shown();
        resetSpies();

        CHECK(clickItem(selected));
        QCOMPARE(m_clicks->count(), 0);
        QCOMPARE(m_changes->count(), 0);
        CHECK(verifyUnchanged(before));
    }

    void firstPickOfVolatileOnlyHighlights_data()
    {
        QTest::addColumn<Qt::Key>("key"); // Key_unknown: by mouse

        QTest::newRow("mouse") << Qt::Key_unknown;
        QTest::newRow("Down") << Qt::Key_Down;
        QTest::newRow("Home") << Qt::Key_Home;
    }

    void firstPickOfVolatileOnlyHighlights()
    {
        QFETCH(Qt::Key, key);

        if (key == Qt::Key_unknown)
            CHECK(clickItem(0));
        else
            CHECK(pressOn(m_list, key));

        QCOMPARE(m_clicks->count(), 1);
        CHECK(verifySelected(0));
        QCOMPARE(m_changes->count(), 0);
        QCOMPARE(m_bar->value(), 500);
        QCOMPARE(m_readout->text(), DesignCaption);
        CHECK(verifyBar(grabBar(), NoBar));
    }

    void pickingGasOilAgainKeepsItWithoutRedraw_data()
    {
        QTest::addColumn<bool>("byKeyboard");

        QTest::newRow("mouse") << false;
        QTest::newRow("Up") << true;
    }

    void pickingGasOilAgainKeepsItWithoutRedraw()
    {
        QFETCH(bool, byKeyboard);

        CHECK(clickScroll(QStyle::SC_ScrollBarSubLine));
        CHECK(clickItem(3));
        CHECK(clickItem(4));
        QCOMPARE(m_bar->value(), 70);
        QCOMPARE(m_list->ListIndex(), 5);
        const QImage bar = grabBar();
        resetSpies();

        if (byKeyboard)
            CHECK(pressOn(m_list, Qt::Key_Up));
        else
            CHECK(clickItem(4));

        QCOMPARE(m_clicks->count(), 1);
        QCOMPARE(m_changes->count(), 0);
        QCOMPARE(m_bar->value(), 70);
        QCOMPARE(m_readout->text(), u"Достигната температура: 430 градуса."_s);
        CHECK(verifySelected(4));
        QVERIFY(grabBar() == bar);
    }

    void everyScrollValueShowsWhatTheModelPredicts()
    {
        CHECK(pressOn(m_bar, Qt::Key_Home));
        int shownFraction = -1;
        for (int value = 0; value <= Max; ++value) {
            if (value > 0)
                QTest::keyClick(m_bar, Qt::Key_Down);
            QCOMPARE(m_changes->count(), 1);
            const int fraction = predict(value).fraction;
            QCOMPARE(m_clicks->count(), fraction != shownFraction ? 1 : 0);
            shownFraction = fraction;
            CHECK(verifyShows(value));
            resetSpies();
        }
    }
};

QTEST_MAIN(tst_Behaviour)
#include "tst_behaviour.moc"
