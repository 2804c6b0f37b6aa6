// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader gets from the window through Qt's accessibility layer: a Bulgarian name at
// every focus stop, and every new read-out announced on the bar as the same sentence.

#include "startup.h"
#include "varnelo.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

// Qt hands accessibility events to an update handler only while assistive technology is active,
// which on the offscreen platform only the platform-integration layer can switch on.
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// One change a screen reader is told about: whose name or description changed, and the text it
// reads at that moment.
struct Announcement {
    QObject *object;
    QAccessible::Event type;
    QString text;
};

QList<Announcement> announcements;

void recordAnnouncement(QAccessibleEvent *event)
{
    QAccessibleInterface *iface = event->accessibleInterface();
    if (!iface)
        return;
    if (event->type() == QAccessible::NameChanged)
        announcements.append({event->object(), event->type(), iface->text(QAccessible::Name)});
    else if (event->type() == QAccessible::DescriptionChanged)
        announcements.append({event->object(), event->type(), iface->text(QAccessible::Description)});
}

QStringList announced(const QObject *object, QAccessible::Event type)
{
    QStringList texts;
    for (const Announcement &a : std::as_const(announcements)) {
        if (a.object == object && a.type == type)
            texts.append(a.text);
    }
    return texts;
}

bool isCyrillic(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

QString accessibleText(QObject *object, QAccessible::Text which)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(which) : QString();
}

} // namespace

class TstAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void everyFocusStopHasABulgarianName();
    void barIsAPictureThatSaysNothingBeforeTheFirstRedraw();
    void everyNewReadoutIsAnnouncedOnTheBar_data();
    void everyNewReadoutIsAnnouncedOnTheBar();

private:
    std::unique_ptr<varnelo::Varnelo> m_form;
};

void TstAccessibility::initTestCase()
{
    varnelo::configureApplication();
    QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
    QVERIFY(platform);
    platform->setActive(true);
    QVERIFY(QAccessible::isActive());
    QAccessible::installUpdateHandler(recordAnnouncement);
}

void TstAccessibility::init()
{
    m_form = varnelo::openMainWindow();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    announcements.clear();
}

void TstAccessibility::cleanup()
{
    m_form.reset();
}

void TstAccessibility::everyFocusStopHasABulgarianName()
{
    // Walk the tab order as a keyboard user does, until the focus comes round again.
    QWidget *first = QApplication::focusWidget();
    QVERIFY(first);
    QStringList stops;
    QStringList names;
    QWidget *focus = first;
    do {
        stops.append(focus->objectName());
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(focus);
        QVERIFY(iface);
        QVERIFY(iface->state().focusable);
        const QString name = iface->text(QAccessible::Name);
        QVERIFY2(isCyrillic(name), qPrintable(focus->objectName() + u": \""_s + name + u'"'));
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.append(name);
        QTest::keyClick(focus, Qt::Key_Tab);
        focus = QApplication::focusWidget();
        QVERIFY(focus);
    } while (focus != first && stops.size() < 10);
    QCOMPARE(stops, QStringList({u"Text1(0)"_s, u"Picture1"_s, u"VScroll1"_s, u"List1"_s}));
}

void TstAccessibility::barIsAPictureThatSaysNothingBeforeTheFirstRedraw()
{
    auto *bar = m_form->findChild<QWidget *>(u"Picture1"_s);
    auto *readout = m_form->findChild<QLabel *>(u"Label1(1)"_s);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(bar);
    QVERIFY(iface);
    // A plain frame would reach AT-SPI as a "frame", the role of a top-level window.
    QCOMPARE(iface->role(), QAccessible::Graphic);
    QCOMPARE(iface->text(QAccessible::Description), QString());
    QCOMPARE(accessibleText(readout, QAccessible::Name), readout->text());
}

void TstAccessibility::everyNewReadoutIsAnnouncedOnTheBar_data()
{
    QTest::addColumn<QList<int>>("keys"); // pressed on the focused scroll bar
    QTest::addColumn<int>("pickedRow"); // then clicked in the list, or -1
    QTest::addColumn<QString>("lastSentence");
    QTest::addColumn<int>("sentences"); // how many different read-outs the user saw

    QTest::newRow("firstStepUp") << QList<int>{Qt::Key_Up} << -1 << u"Достигната температура: 0 градуса."_s << 1;
    QTest::newRow("threeStepsUpGiveTwoReadouts")
        << QList<int>{Qt::Key_Up, Qt::Key_Up, Qt::Key_Up} << -1 << u"Достигната температура: 5 градуса."_s << 2;
    QTest::newRow("stepUpAndBackRepeatsNothing")
        << QList<int>{Qt::Key_Up, Qt::Key_Down} << -1 << u"Достигната температура: 0 градуса."_s << 1;
    QTest::newRow("homeKey") << QList<int>{Qt::Key_Home} << -1 << u"Достигната температура: 500 градуса."_s << 1;
    QTest::newRow("pickingGasOil") << QList<int>{} << 4 << u"Достигната температура: 430 градуса."_s << 1;
    QTest::newRow("stepThenPickPetrol")
        << QList<int>{Qt::Key_Up} << 1 << u"Достигната температура: 104 градуса."_s << 2;
}

void TstAccessibility::everyNewReadoutIsAnnouncedOnTheBar()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, pickedRow);
    QFETCH(QString, lastSentence);
    QFETCH(int, sentences);

    auto *bar = m_form->findChild<QWidget *>(u"Picture1"_s);
    auto *scrollBar = m_form->findChild<QScrollBar *>(u"VScroll1"_s);
    auto *list = m_form->findChild<QListWidget *>(u"List1"_s);
    auto *readout = m_form->findChild<QLabel *>(u"Label1(1)"_s);

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), scrollBar);
    for (int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    if (pickedRow >= 0) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(pickedRow)).center());
    }

    QCOMPARE(readout->text(), lastSentence);
    const QStringList fromBar = announced(bar, QAccessible::DescriptionChanged);
    const QStringList fromReadout = announced(readout, QAccessible::NameChanged);
    QCOMPARE(fromBar.size(), sentences);
    QCOMPARE(fromBar.last(), lastSentence);
    QCOMPARE(fromBar, fromReadout);
    QCOMPARE(accessibleText(bar, QAccessible::Description), lastSentence);
    QCOMPARE(accessibleText(readout, QAccessible::Name), lastSentence);
}

QTEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
