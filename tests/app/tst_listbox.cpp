// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"
#include "listbox.h"
#include "runtimeerror.h"
#include "startup.h"

#include <QApplication>
#include <QLineEdit>
#include <QObject>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <optional>

using varnelo::ListBox;

// ListIndex and Click of a list box filled and sized as the window's (233 x 80 px, six items, of
// which about four show at a time), below a line edit that the Tab key leaves from.
class TestListBox : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> m_window;
    QLineEdit *m_before = nullptr;
    ListBox *m_list = nullptr;

    void verifySelected(int row)
    {
        QCOMPARE(m_list->ListIndex(), row);
        QCOMPARE(m_list->currentRow(), row);
        const QList<QListWidgetItem *> selected = m_list->selectedItems();
        QCOMPARE(selected.size(), row == -1 ? 0 : 1);
        if (row != -1)
            QCOMPARE(m_list->row(selected.constFirst()), row);
    }

private slots:
    void initTestCase() { varnelo::configureApplication(); }

    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(233, 240);
        m_before = new QLineEdit(m_window.get());
        m_before->setGeometry(0, 0, 233, 30);
        m_list = new ListBox(m_window.get());
        m_list->setGeometry(0, 40, 233, 80);
        for (const varnelo::Fraction &fraction : varnelo::Fractions)
            m_list->addItem(QString::fromUtf8(fraction.text.data(), qsizetype(fraction.text.size())));
        m_before->setFocus();
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTRY_VERIFY(m_before->hasFocus());
    }

    void cleanup() { m_window.reset(); }

    // A pick by mouse (`key` 0: a click on `row`) or by key, with the list focused first.
    void userPickRaisesClickOnlyForANewRow_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("clicks");
        const int mouse = 0, none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("click, nothing selected") << -1 << mouse << none << 0 << 1;
        QTest::newRow("click on the last item, scrolled to") << -1 << mouse << none << 5 << 1;
        QTest::newRow("click on another item") << 2 << mouse << none << 4 << 1;
        QTest::newRow("click on the selected item") << 3 << mouse << none << 3 << 0;
        QTest::newRow("Ctrl+click on the selected item") << 3 << mouse << ctrl << 3 << 0;
        QTest::newRow("Ctrl+Space on the selected item") << 3 << int(Qt::Key_Space) << ctrl << 3 << 0;
        QTest::newRow("Down") << 2 << int(Qt::Key_Down) << none << 3 << 1;
        QTest::newRow("Up") << 2 << int(Qt::Key_Up) << none << 1 << 1;
        QTest::newRow("Home") << 2 << int(Qt::Key_Home) << none << 0 << 1;
        QTest::newRow("End") << 2 << int(Qt::Key_End) << none << 5 << 1;
        QTest::newRow("Up on the first item") << 0 << int(Qt::Key_Up) << none << 0 << 0;
        QTest::newRow("Down on the last item") << 5 << int(Qt::Key_Down) << none << 5 << 0;
        QTest::newRow("Down, nothing selected") << -1 << int(Qt::Key_Down) << none << 0 << 1;
    }

    void userPickRaisesClickOnlyForANewRow()
    {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, row);
        QFETCH(int, clicks);
        m_list->setListIndex(start);
        m_list->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(m_list->hasFocus());
        QSignalSpy spy(m_list, &ListBox::Click);
        if (key == 0) {
            m_list->scrollToItem(m_list->item(row));
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers),
                              m_list->visualItemRect(m_list->item(row)).center());
        } else {
            QTest::keyClick(m_list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        }
        verifySelected(row);
        QCOMPARE(spy.count(), clicks);
    }

    void assignmentRaisesClickInsideTheCallOnlyForANewRow_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("assigned");
        QTest::addColumn<bool>("raised");
        QTest::newRow("none to 2") << -1 << 2 << true;
        QTest::newRow("2 to 4") << 2 << 4 << true;
        QTest::newRow("0 to 5, out of view") << 0 << 5 << true;
        QTest::newRow("4 to none") << 4 << -1 << true;
        QTest::newRow("the same 2") << 2 << 2 << false;
        QTest::newRow("none again") << -1 << -1 << false;
    }

    void assignmentRaisesClickInsideTheCallOnlyForANewRow()
    {
        QFETCH(int, start);
        QFETCH(int, assigned);
        QFETCH(bool, raised);
        m_list->setListIndex(start);

        bool returned = false;
        QList<int> seenIndexes;
        QList<bool> seenInsideTheCall;
        QObject context;
        connect(m_list, &ListBox::Click, &context, [&] {
            seenIndexes << m_list->ListIndex();
            seenInsideTheCall << !returned;
        });
        m_list->setListIndex(assigned);
        returned = true;
        QCoreApplication::processEvents();

        QCOMPARE(seenIndexes, raised ? QList<int>{assigned} : QList<int>{});
        QVERIFY(!seenInsideTheCall.contains(false));
        verifySelected(assigned);
        if (assigned != -1)
            QVERIFY(m_list->viewport()->rect().contains(m_list->visualItemRect(m_list->item(assigned))));
    }

    void assignmentOutsideTheItemsIsAnInvalidPropertyValue_data()
    {
        QTest::addColumn<int>("assigned");
        QTest::newRow("-2") << -2;
        QTest::newRow("6, one past the last") << 6;
        QTest::newRow("32767") << 32767;
    }

    void assignmentOutsideTheItemsIsAnInvalidPropertyValue()
    {
        QFETCH(int, assigned);
        m_list->setListIndex(3);
        QSignalSpy spy(m_list, &ListBox::Click);
        std::optional<int> number;
        try {
            m_list->setListIndex(assigned);
        } catch (const varnelo::RuntimeError &error) {
            number = error.number();
        }
        QCOMPARE(number, std::optional<int>(380));
        verifySelected(3);
        QCOMPARE(spy.count(), 0);
    }

    // The window's list is full of items; here it is made tall enough to have room below them.
    void gainingFocusMarksNoRow_data()
    {
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("click below the last item") << true;
        QTest::newRow("Tab from the line edit") << false;
    }

    void gainingFocusMarksNoRow()
    {
        QFETCH(bool, byMouse);
        m_list->resize(233, 200);
        QVERIFY(m_before->hasFocus());
        QSignalSpy spy(m_list, &ListBox::Click);
        if (byMouse) {
            const QPoint below(20, m_list->viewport()->height() - 5);
            QVERIFY(!m_list->indexAt(below).isValid());
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, below);
        } else {
            QTest::keyClick(m_before, Qt::Key_Tab);
        }
        QTRY_VERIFY(m_list->hasFocus());
        verifySelected(-1);
        QVERIFY(!m_list->currentIndex().isValid());
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
