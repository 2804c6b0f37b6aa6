// SPDX-License-Identifier: GPL-3.0-or-later
#include "scrollbar.h"
#include "scrollbarparts.h"
#include "startup.h"

#include <QApplication>
#include <QMouseEvent>
#include <QObject>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <memory>

using varnelo::ScrollBar;

// Change of a scroll bar set up as the window's: 0..500, thumb at the lower end, 25 x 209 px. The
// steps by arrow, trough and key are driven on the window's own bar in tst_window.
class TestScrollBar : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScrollBar> m_bar;

private slots:
    void initTestCase() { varnelo::configureApplication(); }

    void init()
    {
        m_bar = std::make_unique<ScrollBar>(Qt::Vertical);
        m_bar->setRange(0, 500);
        m_bar->setValue(500);
        m_bar->resize(25, 209);
        m_bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_bar.get()));
    }

    void cleanup() { m_bar.reset(); }

    void assignmentRaisesChangeInsideTheCallOnlyForANewNumber_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("assigned");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("raised");
        QTest::newRow("500 to 499") << 500 << 499 << 499 << true;
        QTest::newRow("500 to 0") << 500 << 0 << 0 << true;
        QTest::newRow("0 to 500") << 0 << 500 << 500 << true;
        QTest::newRow("the same 500") << 500 << 500 << 500 << false;
        QTest::newRow("the same 250") << 250 << 250 << 250 << false;
        QTest::newRow("above Max, clamped to the present 500") << 500 << 600 << 500 << false;
        QTest::newRow("below Min, clamped to 0") << 250 << -1 << 0 << true;
    }

    void assignmentRaisesChangeInsideTheCallOnlyForANewNumber()
    {
        QFETCH(int, start);
        QFETCH(int, assigned);
        QFETCH(int, value);
        QFETCH(bool, raised);
        m_bar->setValue(start);

        bool returned = false;
        QList<int> seenValues;
        QList<bool> seenInsideTheCall;
        QObject context;
        connect(m_bar.get(), &ScrollBar::Change, &context, [&] {
            seenValues << m_bar->value();
            seenInsideTheCall << !returned;
        });
        m_bar->setValue(assigned);
        returned = true;
        QCoreApplication::processEvents(); // a queued Change would arrive here, too late

        QCOMPARE(m_bar->value(), value);
        QCOMPARE(seenValues, raised ? QList<int>{value} : QList<int>{});
        QVERIFY(!seenInsideTheCall.contains(false));
    }

    // Form_Load assigns Max and then Min; bounds that leave the value inside raise nothing.
    void boundsRaiseChangeOnlyWhenTheyMoveTheValue_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("changes");
        QTest::newRow("Max and Min as they are") << 0 << 500 << 500 << 0;
        QTest::newRow("Max raised") << 0 << 600 << 500 << 0;
        QTest::newRow("Min raised, still below the value") << 100 << 500 << 500 << 0;
        QTest::newRow("Max lowered below the value") << 0 << 400 << 400 << 1;
        QTest::newRow("Max and Min both 0") << 0 << 0 << 0 << 1;
    }

    void boundsRaiseChangeOnlyWhenTheyMoveTheValue()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, value);
        QFETCH(int, changes);
        QSignalSpy spy(m_bar.get(), &ScrollBar::Change);
        m_bar->setMaximum(maximum);
        m_bar->setMinimum(minimum);
        QCOMPARE(m_bar->value(), value);
        QCOMPARE(spy.count(), changes);
    }

    // Vertical offsets of the pointer from where the thumb was pressed, one move event each.
    void thumbDragRaisesOneChangeOnlyOnRelease_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<bool>("raised");
        QTest::newRow("up by 60 px") << QList<int>{-20, -40, -60} << true;
        QTest::newRow("up and back to the start") << QList<int>{-30, -60, -30, 0} << false;
        QTest::newRow("down, past the lower end") << QList<int>{20, 40} << false;
    }

    void thumbDragRaisesOneChangeOnlyOnRelease()
    {
        QFETCH(QList<int>, path);
        QFETCH(bool, raised);
        const QRect thumb = scrollBarPart(m_bar.get(), QStyle::SC_ScrollBarSlider);
        QVERIFY(!thumb.isEmpty());
        const QPoint start = thumb.center();
        QSignalSpy spy(m_bar.get(), &ScrollBar::Change);

        QTest::mousePress(m_bar.get(), Qt::LeftButton, {}, start);
        int highest = m_bar->sliderPosition();
        for (const int dy : path) {
            const QPoint at = start + QPoint(0, dy);
            QMouseEvent move(QEvent::MouseMove, at, m_bar->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
            QApplication::sendEvent(m_bar.get(), &move);
            highest = std::min(highest, m_bar->sliderPosition());
        }
        if (std::ranges::any_of(path, [](int dy) { return dy < 0; }))
            QVERIFY2(highest < 500, "the thumb did not follow the pointer");
        QCOMPARE(spy.count(), 0);
        QCOMPARE(m_bar->value(), 500);

        const int shown = m_bar->sliderPosition();
        QTest::mouseRelease(m_bar.get(), Qt::LeftButton, {}, start + QPoint(0, path.last()));
        QCOMPARE(m_bar->value(), shown);
        QCOMPARE(spy.count(), raised ? 1 : 0);
        QCOMPARE(m_bar->value() != 500, raised);
    }
};

QTEST_MAIN(TestScrollBar)
#include "tst_scrollbar.moc"
