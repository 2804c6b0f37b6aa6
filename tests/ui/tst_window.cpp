// SPDX-License-Identifier: GPL-3.0-or-later
#include "listbox.h"
#include "scrollbar.h"
#include "scrollbarparts.h"
#include "startup.h"
#include "varnelo.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cstdlib>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QStringList ListItems{
    u"Летливи въглеводороди <32"_s, u"Бензин  32 -  105"_s, u"Нафта  105 - 160"_s,
    u"Керосин 160 - 230"_s,         u"Газойл 230 -  430"_s, u"Мазут >  430"_s,
};

} // namespace

// The window as the program opens it: design, texts, colours and the state before any input.
class TestWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<varnelo::Varnelo> m_form;

    template<typename Control = QWidget>
    Control *control(const QString &name) const
    {
        auto *found = m_form->findChild<Control *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

    QColor seenAt(QPoint point) const { return m_form->grab().toImage().pixelColor(point); }

private slots:
    void initTestCase() { varnelo::configureApplication(); }

    void init()
    {
        m_form = varnelo::openMainWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void cleanup() { m_form.reset(); }

    void controlsSitWhereDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("visible");
        QTest::newRow("Text1(0)") << u"Text1(0)"_s << QRect(8, 224, 457, 105) << true;
        QTest::newRow("Text1(1)") << u"Text1(1)"_s << QRect(48, 288, 449, 121) << false;
        QTest::newRow("Label1(0)") << u"Label1(0)"_s << QRect(144, 0, 225, 25) << true;
        QTest::newRow("Picture1") << u"Picture1"_s << QRect(24, 24, 65, 177) << true;
        QTest::newRow("Label1(1)") << u"Label1(1)"_s << QRect(184, 56, 233, 25) << true;
        QTest::newRow("VScroll1") << u"VScroll1"_s << QRect(88, 8, 25, 209) << true;
        QTest::newRow("List1") << u"List1"_s << QRect(184, 80, 233, 80) << true;
    }

    void controlsSitWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(bool, visible);
        const QWidget *widget = control(name);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->isVisible(), visible);
        QCOMPARE(widget->parentWidget(), m_form.get());
    }

    void windowHasAFixedSizeAndOnlyMenuAndCloseButtons()
    {
        QCOMPARE(m_form->size(), QSize(476, 345));
        QCOMPARE(m_form->minimumSize(), QSize(476, 345));
        QCOMPARE(m_form->maximumSize(), QSize(476, 345));
        m_form->resize(600, 400);
        QCOMPARE(m_form->size(), QSize(476, 345));

        const Qt::WindowFlags flags = m_form->windowFlags();
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint)); // else the window manager adds its buttons
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));
        QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    }

    // The whole window, frame included, as a person sees it placed.
    void windowOpensCentredOnTheScreen()
    {
        const QRect window = m_form->frameGeometry();
        const QRect screen = m_form->screen()->availableGeometry();
        QVERIFY2(window.size() != m_form->size(), "the window has no frame to measure");
        const QPoint offCentre = window.center() - screen.center();
        QVERIFY2(std::abs(offCentre.x()) <= 1 && std::abs(offCentre.y()) <= 1,
                 qPrintable(u"off centre by %1, %2 px"_s.arg(offCentre.x()).arg(offCentre.y())));
    }

    void captionIsAWebAddressThenTheTitle()
    {
        static const QRegularExpression caption(u"^https?://[^ ]+\\.[a-z]+/? Varnelo, бензин$"_s);
        QVERIFY2(caption.match(m_form->windowTitle()).hasMatch(), qPrintable(m_form->windowTitle()));
    }

    void fixedTextsReadAsDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label1(0)") << u"Label1(0)"_s << u"Varnelo"_s;
        QTest::newRow("Label1(1)") << u"Label1(1)"_s << u"Температура  деривати"_s;
        QTest::newRow("Text1(1)") << u"Text1(1)"_s
                                  << u"Неприятното в това да си първият, направил нещо по \n"
                                     u"правилния начин, е, че никой не оценява колко трудно е \n"
                                     u"било. \n"_s;
    }

    void fixedTextsReadAsDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        const QWidget *widget = control(name);
        if (const auto *label = qobject_cast<const QLabel *>(widget))
            QCOMPARE(label->text(), text);
        else
            QCOMPARE(qobject_cast<const QPlainTextEdit *>(widget)->toPlainText(), text);
    }

    void listHoldsTheSixFractionsInOrder()
    {
        const auto *list = control<varnelo::ListBox>(u"List1"_s);
        QStringList items;
        for (int row = 0; row < list->count(); ++row)
            items << list->item(row)->text();
        QCOMPARE(items, ListItems);
        QVERIFY(list->verticalScrollBar()->isVisible());
        QVERIFY(list->verticalScrollBar()->maximum() > 0);
    }

    void statementHasFourteenLinesWithTheListInTheMiddle()
    {
        const QString statement = control<QPlainTextEdit>(u"Text1(0)"_s)->toPlainText();
        QVERIFY(statement.endsWith(u'\n'));
        const QStringList lines = statement.chopped(1).split(u'\n');
        QCOMPARE(lines.size(), 14);
        for (const QString &line : lines)
            QVERIFY(!line.trimmed().isEmpty());
        QCOMPARE(lines.mid(6, 6), ListItems);
        QVERIFY(lines.at(2).contains(u"Varnelo"));
        const qsizetype withCrLf = statement.size() + lines.size();
        QVERIFY2(withCrLf >= 1150 && withCrLf <= 1450, qPrintable(QString::number(withCrLf)));
    }

    void everyControlUsesTheSerifFontAt12Points_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name :
             {"Text1(0)", "Text1(1)", "Label1(0)", "Picture1", "Label1(1)", "VScroll1", "List1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void everyControlUsesTheSerifFontAt12Points()
    {
        QFETCH(QString, name);
        const QFontInfo font = control(name)->fontInfo();
        QVERIFY2(font.family() == u"Times New Roman" || font.family() == u"Liberation Serif",
                 qPrintable(font.family()));
        QCOMPARE(font.pixelSize(), 16);
        QCOMPARE(font.weight(), int(QFont::Normal));
        QVERIFY(!font.italic());
        QVERIFY(!font.underline());
        QVERIFY(!font.strikeOut());
    }

    void coloursShowAsDesigned_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("colour");
        const QColor lavender(192, 192, 255), orange(255, 192, 128), lightBlue(128, 128, 255);
        QTest::newRow("form, left of the bar") << QPoint(4, 100) << lavender;
        QTest::newRow("form, between scroll bar and list") << QPoint(150, 150) << lavender;
        QTest::newRow("form, right of the list") << QPoint(450, 120) << lavender;
        QTest::newRow("Label1(0)") << QPoint(146, 23) << orange;
        QTest::newRow("Label1(1)") << QPoint(186, 58) << orange;
        QTest::newRow("Picture1, top left inside the frame") << QPoint(26, 26) << lightBlue;
        QTest::newRow("Picture1, bottom right inside the frame") << QPoint(86, 198) << lightBlue;
    }

    void coloursShowAsDesigned()
    {
        QFETCH(QPoint, point);
        QFETCH(QColor, colour);
        QCOMPARE(seenAt(point).rgb(), colour.rgb());
    }

    // Label1(1) and List1 share the row y = 80; the list is drawn there, not the label.
    void labelsLieBeneathTheOtherControls()
    {
        auto *list = control(u"List1"_s);
        const QColor listTop = list->grab().toImage().pixelColor(116, 0);
        QCOMPARE(seenAt({300, 80}).rgb(), listTop.rgb());
        QVERIFY(listTop.rgb() != QColor(255, 192, 128).rgb());
    }

    void startsWithNoBarNoReadoutNoSelectionAndTheThumbAtTheBottom()
    {
        QTRY_COMPARE(QApplication::focusWidget(), control(u"Text1(0)"_s));
        const auto *bar = control<varnelo::ScrollBar>(u"VScroll1"_s);
        QCOMPARE(bar->value(), 500);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 500);
        QCOMPARE(control<QLabel>(u"Label1(1)"_s)->text(), u"Температура  деривати"_s);
        const auto *list = control<varnelo::ListBox>(u"List1"_s);
        QCOMPARE(list->ListIndex(), -1);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!list->currentIndex().isValid());

        auto *picture = control(u"Picture1"_s);
        const QImage image = picture->grab().toImage();
        const QRect area = picture->contentsRect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                QCOMPARE(image.pixelColor(x, y).rgb(), QColor(128, 128, 255).rgb());
    }

    void tabCyclesInDesignOrder_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Tab") << int(Qt::NoModifier)
                             << QStringList{u"Picture1"_s, u"VScroll1"_s, u"List1"_s, u"Text1(0)"_s};
        QTest::newRow("Shift+Tab") << int(Qt::ShiftModifier)
                                   << QStringList{u"List1"_s, u"VScroll1"_s, u"Picture1"_s, u"Text1(0)"_s};
    }

    void tabCyclesInDesignOrder()
    {
        QFETCH(int, modifiers);
        QFETCH(QStringList, order);
        QTRY_COMPARE(QApplication::focusWidget(), control(u"Text1(0)"_s));
        for (const QString &next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
            QTRY_COMPARE(QApplication::focusWidget()->objectName(), next);
        }
    }

    // Qt's item views would make the first row current on focus-in; List1 stays without one.
    void listGainsFocusWithoutPickingARow_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Tab from VScroll1") << u"VScroll1"_s << int(Qt::NoModifier);
        QTest::newRow("Shift+Tab from Text1(0)") << u"Text1(0)"_s << int(Qt::ShiftModifier);
    }

    void listGainsFocusWithoutPickingARow()
    {
        QFETCH(QString, from);
        QFETCH(int, modifiers);
        auto *list = control<varnelo::ListBox>(u"List1"_s);
        QSignalSpy clicks(list, &varnelo::ListBox::Click);
        QWidget *start = control(from);
        start->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(start->hasFocus());
        QTest::keyClick(start, Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY(list->hasFocus());
        QCOMPARE(list->ListIndex(), -1);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(!list->currentIndex().isValid());
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(control<QLabel>(u"Label1(1)"_s)->text(), u"Температура  деривати"_s);
    }

    void statementCanBeSelectedAndScrolledButNotEdited()
    {
        for (const QString &name : {u"Text1(0)"_s, u"Text1(1)"_s}) {
            auto *box = control<QPlainTextEdit>(name);
            const QString before = box->toPlainText();
            QTest::keyClicks(box, u"abc"_s);
            for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
                QTest::keyClick(box, key);
            QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
            QCOMPARE(box->toPlainText(), before);
        }

        auto *box = control<QPlainTextEdit>(u"Text1(0)"_s);
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_End, Qt::ShiftModifier);
        const QString selected = box->textCursor().selectedText();
        QVERIFY(!selected.isEmpty());
        QVERIFY(box->toPlainText().startsWith(selected));

        QVERIFY(box->verticalScrollBar()->isVisible());
        QVERIFY(box->verticalScrollBar()->maximum() > 0);
        QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
        // The first paragraph wraps, and every line but its last breaks after a blank.
        const QTextBlock first = box->document()->firstBlock();
        const QTextLayout *layout = first.layout();
        QVERIFY(layout->lineCount() > 1);
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            QCOMPARE(first.text().at(line.textStart() + line.textLength() - 1), u' ');
        }
    }

    // One arrow click, one trough click or one key on VScroll1 moves Value by exactly 1 and raises
    // one Change; Home and End go to the ends. `part` is the scroll bar part clicked, or -1 for `key`.
    void oneStepOfVScroll1MovesValueByOne_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("part");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("value");
        QTest::newRow("up arrow") << 500 << int(QStyle::SC_ScrollBarSubLine) << 0 << 499;
        QTest::newRow("down arrow") << 250 << int(QStyle::SC_ScrollBarAddLine) << 0 << 251;
        QTest::newRow("down arrow at the bottom") << 500 << int(QStyle::SC_ScrollBarAddLine) << 0 << 500;
        QTest::newRow("trough above the thumb") << 500 << int(QStyle::SC_ScrollBarSubPage) << 0 << 499;
        QTest::newRow("trough below the thumb") << 250 << int(QStyle::SC_ScrollBarAddPage) << 0 << 251;
        QTest::newRow("Up") << 500 << -1 << int(Qt::Key_Up) << 499;
        QTest::newRow("Down") << 250 << -1 << int(Qt::Key_Down) << 251;
        QTest::newRow("PageUp") << 500 << -1 << int(Qt::Key_PageUp) << 499;
        QTest::newRow("PageDown") << 250 << -1 << int(Qt::Key_PageDown) << 251;
        QTest::newRow("Home") << 500 << -1 << int(Qt::Key_Home) << 0;
        QTest::newRow("End") << 250 << -1 << int(Qt::Key_End) << 500;
    }

    void oneStepOfVScroll1MovesValueByOne()
    {
        QFETCH(int, start);
        QFETCH(int, part);
        QFETCH(int, key);
        QFETCH(int, value);
        auto *bar = control<varnelo::ScrollBar>(u"VScroll1"_s);
        bar->setValue(start);
        QCOMPARE(bar->value(), start);
        bar->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(bar->hasFocus());

        QSignalSpy changes(bar, &varnelo::ScrollBar::Change);
        if (part >= 0) {
            const QRect rect = scrollBarPart(bar, QStyle::SubControl(part));
            QVERIFY(!rect.isEmpty());
            QTest::mouseClick(bar, Qt::LeftButton, {}, rect.center());
        } else {
            QTest::keyClick(bar, Qt::Key(key));
        }
        QCOMPARE(bar->value(), value);
        QCOMPARE(changes.count(), value == start ? 0 : 1);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
