// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"
#include "listbox.h"
#include "runtimeerror.h"
#include "controlstest.h"
#include "runtime.h"

#include <QCoreApplication>
#include <QObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using varnelo::ListBox;
using varnelo::test::Seen;
using varnelo::test::seenIn;

namespace {

// The selection a list shows with `row` picked, or none for -1.
Seen picked(int row)
{
    return {0, {}, row, row == -1 ? QList<int>{} : QList<int>{row}, row};
}

struct UserPick {
    int start; // assigned to ListIndex before
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int row; // selected afterwards
    int clicks;
};

} // namespace

// ListIndex and Click of a list box filled and sized as the window's: 233 x 80 px, six items of
// which about four show at a time. Gaining the focus is checked on the window's own list in
// tst_window.
class TestListBox : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ListBox> m_list;

    bool inView(int row) const
    {
        return m_list->viewport()->rect().contains(m_list->visualItemRect(m_list->item(row)));
    }

private slots:
    void initTestCase() { varnelo::useRuntimeStyle(); }

    void init()
    {
        m_list = std::make_unique<ListBox>();
        m_list->resize(233, 80);
        for (const varnelo::Fraction &fraction : varnelo::Fractions)
            m_list->addItem(QString::fromUtf8(fraction.text.data(), qsizetype(fraction.text.size())));
        m_list->show();
        m_list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_list.get()));
    }

    void cleanup() { m_list.reset(); }

    // A pick by mouse (`key` Key_unknown: a click on `row`) or by a key on the focused list.
    void userPickRaisesClickOnlyForANewRow_data()
    {
        QTest::addColumn<UserPick>("pick");
        const auto mouse = Qt::Key_unknown;
        QTest::newRow("click, nothing selected") << UserPick{-1, mouse, {}, 0, 1};
        QTest::newRow("click on another item") << UserPick{2, mouse, {}, 4, 1};
        QTest::newRow("click on the selected item") << UserPick{3, mouse, {}, 3, 0};
        QTest::newRow("Ctrl+click on the selected item") << UserPick{3, mouse, Qt::ControlModifier, 3, 0};
        QTest::newRow("Ctrl+Space on the selected item") << UserPick{3, Qt::Key_Space, Qt::ControlModifier, 3, 0};
        QTest::newRow("Down") << UserPick{2, Qt::Key_Down, {}, 3, 1};
        QTest::newRow("Down, nothing selected") << UserPick{-1, Qt::Key_Down, {}, 0, 1};
        QTest::newRow("Up on the first item") << UserPick{0, Qt::Key_Up, {}, 0, 0};
        QTest::newRow("End, out of view") << UserPick{2, Qt::Key_End, {}, 5, 1};
    }

    void userPickRaisesClickOnlyForANewRow()
    {
        QFETCH(UserPick, pick);
        m_list->setListIndex(pick.start);
        m_list->setFocus(Qt::TabFocusReason);
        QSignalSpy spy(m_list.get(), &ListBox::Click);
        if (pick.key == Qt::Key_unknown) {
            m_list->scrollToItem(m_list->item(pick.row)); // as a person scrolls the list to find it
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, pick.modifiers,
                              m_list->visualItemRect(m_list->item(pick.row)).center());
        } else {
            QTest::keyClick(m_list.get(), pick.key, pick.modifiers);
        }
        QCOMPARE(seenIn(m_list.get()), picked(pick.row));
        QCOMPARE(spy.count(), pick.clicks);
        QVERIFY(inView(pick.row));
    }

    // The list is scrolled to the top before each assignment, as a person may leave it. A number
    // outside the items is an invalid property value and leaves the selection as it was.
    void assignmentRaisesClickInsideTheCallAndScrollsToTheRow_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("assigned");
        QTest::addColumn<QList<int>>("clicks"); // ListIndex at each Click
        QTest::addColumn<int>("error");
        QTest::newRow("none to 2") << -1 << 2 << QList<int>{2} << 0;
        QTest::newRow("0 to 5, out of view") << 0 << 5 << QList<int>{5} << 0;
        QTest::newRow("4 to none") << 4 << -1 << QList<int>{-1} << 0;
        QTest::newRow("the same 2") << 2 << 2 << QList<int>{} << 0;
        QTest::newRow("the same 5, out of view") << 5 << 5 << QList<int>{} << 0;
        QTest::newRow("-2") << 3 << -2 << QList<int>{} << 380;
        QTest::newRow("6, one past the last") << 3 << 6 << QList<int>{} << 380;
    }

    void assignmentRaisesClickInsideTheCallAndScrollsToTheRow()
    {
        QFETCH(int, start);
        QFETCH(int, assigned);
        QFETCH(QList<int>, clicks);
        QFETCH(int, error);
        m_list->setListIndex(start);
        m_list->scrollToTop();

        bool inside = true;
        QList<int> seen; // ListIndex at each Click, or -2 for one after the call had returned
        QObject context;
        connect(m_list.get(), &ListBox::Click, &context, [&] { seen << (inside ? m_list->ListIndex() : -2); });
        int raised = 0;
        try {
            m_list->setListIndex(assigned);
        } catch (const varnelo::RuntimeError &e) {
            raised = e.number();
        }
        inside = false;
        QCoreApplication::processEvents();

        QCOMPARE(raised, error);
        QCOMPARE(seen, clicks);
        const int row = error ? start : assigned;
        QCOMPARE(seenIn(m_list.get()), picked(row));
        if (row != -1 && !error)
            QVERIFY(inView(row));
    }
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
