// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowtest.h"

#include <QApplication>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#include <cstdlib>

using namespace varnelo::test;

namespace {

const QStringList ListItems{
    u"Летливи въглеводороди <32"_s, u"Бензин  32 -  105"_s, u"Нафта  105 - 160"_s,
    u"Керосин 160 - 230"_s,         u"Газойл 230 -  430"_s, u"Мазут >  430"_s,
};
const QStringList ControlNames{u"Text1(0)"_s, u"Text1(1)"_s, u"Label1(0)"_s, u"Picture1"_s,
                               u"Label1(1)"_s, u"VScroll1"_s, u"List1"_s};

} // namespace

// The window as the program opens it: design, texts, colours and the state before any input.
class TestWindow : public QObject
{
    Q_OBJECT

private:
    Window m_window;

    template<typename Control = QWidget>
    Control *control(const QString &name) const
    {
        auto *found = m_window.form->findChild<Control *>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }

private slots:
    void initTestCase() { varnelo::configureApplication(); }
    void init() { m_window.open(); }
    void cleanup() { m_window.close(); }

    void controlsSitWhereDesigned()
    {
        QList<QRect> geometry;
        QStringList hidden;
        for (const QString &name : ControlNames) {
            geometry << control(name)->geometry();
            if (!control(name)->isVisible())
                hidden << name;
        }
        QCOMPARE(geometry, (QList<QRect>{{8, 224, 457, 105}, {48, 288, 449, 121}, {144, 0, 225, 25},
                                         {24, 24, 65, 177}, {184, 56, 233, 25}, {88, 8, 25, 209},
                                         {184, 80, 233, 80}}));
        QCOMPARE(hidden, QStringList{u"Text1(1)"_s});
    }

    void windowHasAFixedSizeAndOnlyMenuAndCloseButtons()
    {
        const QWidget *form = m_window.form.get();
        QCOMPARE(form->size(), QSize(476, 345));
        QCOMPARE(form->minimumSize(), QSize(476, 345));
        QCOMPARE(form->maximumSize(), QSize(476, 345));
        // Without CustomizeWindowHint the window manager adds buttons of its own.
        const Qt::WindowFlags buttons = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
        QCOMPARE(form->windowFlags() & buttons, Qt::CustomizeWindowHint | Qt::WindowTitleHint
                     | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    }

    // The whole window, frame included, as a person sees it placed.
    void windowOpensCentredOnTheScreen()
    {
        const QRect window = m_window.form->frameGeometry();
        QVERIFY2(window.size() != m_window.form->size(), "the window has no frame to measure");
        const QPoint offCentre = window.center() - m_window.form->screen()->availableGeometry().center();
        QVERIFY2(std::abs(offCentre.x()) <= 1 && std::abs(offCentre.y()) <= 1,
                 qPrintable(u"off centre by %1, %2 px"_s.arg(offCentre.x()).arg(offCentre.y())));
    }

    void fixedTextsReadAsDesigned()
    {
        static const QRegularExpression caption(u"^https?://[^ ]+\\.[a-z]+/? Varnelo, бензин$"_s);
        QVERIFY2(caption.match(m_window.form->windowTitle()).hasMatch(), qPrintable(m_window.form->windowTitle()));
        QCOMPARE(control<QLabel>(u"Label1(0)"_s)->text(), u"Varnelo"_s);
        QCOMPARE(control<QLabel>(u"Label1(1)"_s)->text(), DesignCaption);
        QCOMPARE(control<QPlainTextEdit>(u"Text1(1)"_s)->toPlainText(),
                 u"Неприятното в това да си първият, направил нещо по \n"
                 u"правилния начин, е, че никой не оценява колко трудно е \n"
                 u"било. \n"_s);
        QStringList items;
        for (int row = 0; row < m_window.list->count(); ++row)
            items << m_window.list->item(row)->text();
        QCOMPARE(items, ListItems);

        // The task statement: fourteen lines, the list's items word for word as lines 7 to 12.
        const QString statement = control<QPlainTextEdit>(u"Text1(0)"_s)->toPlainText();
        QVERIFY(statement.endsWith(u'\n'));
        const QStringList lines = statement.chopped(1).split(u'\n');
        QCOMPARE(lines.size(), 14);
        QCOMPARE(lines.mid(6, 6), ListItems);
        QVERIFY(!lines.contains(QString()));
        const qsizetype withCrLf = statement.size() + lines.size();
        QVERIFY2(withCrLf >= 1150 && withCrLf <= 1450, qPrintable(QString::number(withCrLf)));
    }

    void everyControlUsesTheSerifFontAt12Points()
    {
        for (const QString &name : ControlNames) {
            const QFontInfo font = control(name)->fontInfo();
            QVERIFY2(font.family() == u"Times New Roman" || font.family() == u"Liberation Serif",
                     qPrintable(name + u": "_s + font.family()));
            QCOMPARE(font.pixelSize(), 16);
            QCOMPARE(font.weight(), int(QFont::Normal));
            QVERIFY(!font.italic());
        }
    }

    // Label1(1) and List1 share the row y = 80; the list is drawn there, not the label.
    void coloursShowAsDesignedWithTheLabelsBeneath()
    {
        const QImage shown = m_window.form->grab().toImage();
        const QRgb lavender = 0xff000000 | varnelo::facts::FormBack, orange = 0xff000000 | varnelo::facts::LabelBack;
        const QRgb listTop = m_window.list->grab().toImage().pixel(116, 0);
        QVERIFY(listTop != orange);
        QCOMPARE((QList<QRgb>{shown.pixel(4, 100), shown.pixel(450, 120), shown.pixel(146, 23),
                              shown.pixel(186, 58), shown.pixel(300, 80)}),
                 (QList<QRgb>{lavender, lavender, orange, orange, listTop}));
    }

    // The focus starts in Text1(0) and Tab runs round the design order both ways. Nothing changes
    // on the way: List1 gains the focus without selecting or marking a row.
    void tabCyclesInDesignOrderLeavingTheStartStateAlone_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("Tab") << int(Qt::NoModifier)
                             << QStringList{u"Picture1"_s, u"VScroll1"_s, u"List1"_s, u"Text1(0)"_s};
        QTest::newRow("Shift+Tab") << int(Qt::ShiftModifier)
                                   << QStringList{u"List1"_s, u"VScroll1"_s, u"Picture1"_s, u"Text1(0)"_s};
    }

    void tabCyclesInDesignOrderLeavingTheStartStateAlone()
    {
        QFETCH(int, modifiers);
        QFETCH(QStringList, order);
        const Seen start{500, DesignCaption, -1, {}, -1};
        QTRY_COMPARE(QApplication::focusWidget(), control(u"Text1(0)"_s));
        QCOMPARE(m_window.seen(), start);
        QCOMPARE(barFault(m_window.drawn(), NoBar), QString());
        for (const QString &next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
            QTRY_COMPARE(QApplication::focusWidget()->objectName(), next);
            QCOMPARE(m_window.seen(), start);
        }
        QCOMPARE(m_window.changes->count(), 0);
        QCOMPARE(m_window.clicks->count(), 0);
    }

    // Each tab stop, reached with Tab, shows the focus around itself, and the cue goes with the
    // focus. The bar's pixels, frame included, stay exactly as drawn throughout.
    void everyTabStopShowsTheFocusWhileItHasIt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("tabs"); // from Text1(0)
        QTest::addColumn<int>("value"); // assigned first: 395 draws the bar at level 0.79, 500 changes nothing
        QTest::newRow("Text1(0)") << u"Text1(0)"_s << 0 << 395;
        QTest::newRow("Picture1") << u"Picture1"_s << 1 << 395;
        QTest::newRow("VScroll1") << u"VScroll1"_s << 2 << 395;
        QTest::newRow("List1") << u"List1"_s << 3 << 395;
        // Without a selected row the list marks no row as current either.
        QTest::newRow("List1 before any pick") << u"List1"_s << 3 << 500;
    }

    void everyTabStopShowsTheFocusWhileItHasIt()
    {
        QFETCH(QString, name);
        QFETCH(int, tabs);
        QFETCH(int, value);
        QWidget *stop = control(name);
        m_window.bar->setValue(value);
        const QRect picture = m_window.picture->geometry();
        const QRect around = stop->geometry().adjusted(-4, -4, 4, 4);
        const auto shown = [this] { return m_window.form->grab().toImage(); };
        QTRY_VERIFY(QApplication::focusWidget());
        QApplication::focusWidget()->clearFocus();
        const QImage unfocused = shown();

        control(u"Text1(0)"_s)->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i < tabs; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_VERIFY(QApplication::focusWidget() == stop || stop->isAncestorOf(QApplication::focusWidget()));
        const QImage focused = shown();
        QVERIFY2(focused.copy(around) != unfocused.copy(around), "no sign of the focus at the control");
        QCOMPARE(focused.copy(picture), unfocused.copy(picture));
        QCOMPARE(barFault(focused.copy(picture), value == 500 ? NoBar : 140), QString());

        QApplication::focusWidget()->clearFocus();
        QCOMPARE(shown(), unfocused);
    }

    void statementCanBeSelectedButNotEdited()
    {
        auto *box = control<QPlainTextEdit>(u"Text1(0)"_s);
        const QString statement = box->toPlainText();
        QTest::keyClicks(box, u"abc"_s);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Backspace, Qt::Key_Delete})
            QTest::keyClick(box, key);
        QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), statement);

        QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_End, Qt::ShiftModifier);
        const QString selected = box->textCursor().selectedText();
        QVERIFY(!selected.isEmpty());
        QVERIFY(statement.startsWith(selected));
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
