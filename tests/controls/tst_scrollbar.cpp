// SPDX-License-Identifier: GPL-3.0-or-later
#include "scrollbar.h"
#include "controlstest.h"

#include <QCoreApplication>
#include <QObject>
#include <QTest>

#include <memory>

using varnelo::ScrollBar;

// When code raises Change: a scroll bar set up as the window's, 0..500 with the value 500. The steps
// by arrow, trough, key and drag are driven on the window's own bar in tst_behaviour.
class TestScrollBar : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScrollBar> m_bar;

private slots:
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

    // Max, then Min, as Form_Load assigns them, then Value.
    void assignmentRaisesChangeInsideTheCallOnlyForANewNumber_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("dragged"); // the thumb held 40 px up, away from the value
        QTest::addColumn<QList<int>>("changes");
        QTest::newRow("Value 499") << 500 << 0 << 499 << false << QList<int>{499};
        QTest::newRow("Max, Min and Value as they are") << 500 << 0 << 500 << false << QList<int>{};
        QTest::newRow("the same Value, the thumb dragged away") << 500 << 0 << 500 << true << QList<int>{};
        QTest::newRow("Value above Max, clamped to the present 500") << 500 << 0 << 600 << false << QList<int>{};
        QTest::newRow("Value below Min, clamped to 0") << 500 << 0 << -1 << false << QList<int>{0};
        QTest::newRow("Max lowered below the value") << 400 << 0 << 400 << false << QList<int>{400};
        QTest::newRow("Max and Min both 0") << 0 << 0 << 0 << false << QList<int>{0};
    }

    void assignmentRaisesChangeInsideTheCallOnlyForANewNumber()
    {
        QFETCH(int, maximum);
        QFETCH(int, minimum);
        QFETCH(int, value);
        QFETCH(bool, dragged);
        QFETCH(QList<int>, changes);
        const QPoint thumb = varnelo::test::scrollBarPart(m_bar.get(), QStyle::SC_ScrollBarSlider).center();
        if (dragged) {
            QTest::mousePress(m_bar.get(), Qt::LeftButton, {}, thumb);
            QTest::mouseMove(m_bar.get(), thumb - QPoint(0, 40));
            QVERIFY(m_bar->sliderPosition() < 500);
        }

        bool inside = true;
        QList<int> seen; // the value at each Change, or -1 for one after the calls had returned
        QObject context;
        connect(m_bar.get(), &ScrollBar::Change, &context, [&] { seen << (inside ? m_bar->value() : -1); });
        m_bar->setMaximum(maximum);
        m_bar->setMinimum(minimum);
        m_bar->setValue(value);
        inside = false;
        QCoreApplication::processEvents(); // a queued Change would arrive here, too late
        QCOMPARE(seen, changes);
    }
};

QTEST_MAIN(TestScrollBar)
#include "tst_scrollbar.moc"
