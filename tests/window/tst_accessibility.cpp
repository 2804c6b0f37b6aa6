// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader gets from the window through Qt's accessibility layer: a Bulgarian name at
// every focus stop, and every new read-out announced on the bar as the same sentence.

#include "windowtest.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

// Qt hands accessibility events to an update handler only while assistive technology is active,
// which on the offscreen platform only the platform-integration layer can switch on.
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>

using namespace varnelo::test;

namespace {

// The texts a screen reader was told of, each with the object and the kind of change.
struct Announcement {
    QObject *object;
    QAccessible::Event type;
    QString text;
};

QList<Announcement> announcements;

void recordAnnouncement(QAccessibleEvent *event)
{
    QAccessibleInterface *iface = event->accessibleInterface();
    if (iface && event->type() == QAccessible::NameChanged)
        announcements.append({event->object(), event->type(), iface->text(QAccessible::Name)});
    else if (iface && event->type() == QAccessible::DescriptionChanged)
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

QString accessibleText(QObject *object, QAccessible::Text which)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(which) : u"(not accessible)"_s;
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private:
    Window m;

private slots:
    void initTestCase()
    {
        varnelo::configureApplication();
        QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
        QVERIFY(platform);
        platform->setActive(true);
        QVERIFY(QAccessible::isActive());
        QAccessible::installUpdateHandler(recordAnnouncement);
    }

    void init()
    {
        m.open();
        announcements.clear();
    }

    void cleanup() { m.close(); }

    // Walked in tab order, as a keyboard user meets them, until the focus comes round again.
    void everyFocusStopHasABulgarianName()
    {
        QWidget *const first = QApplication::focusWidget();
        QVERIFY(first);
        QStringList names;
        QWidget *focus = first;
        do {
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(focus);
            QVERIFY(iface && iface->state().focusable);
            names << iface->text(QAccessible::Name);
            QTest::keyClick(focus, Qt::Key_Tab);
            focus = QApplication::focusWidget();
        } while (focus && focus != first && names.size() < 10);
        QCOMPARE(names, (QStringList{u"Задание"_s, u"Стълб на температурата"_s, u"Температура на нагряване"_s,
                                     u"Фракции на нефта"_s}));
    }

    void barIsAPictureThatSaysNothingBeforeTheFirstRedraw()
    {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(m.picture);
        QVERIFY(iface);
        // A plain frame would reach AT-SPI as a "frame", the role of a top-level window.
        QCOMPARE(iface->role(), QAccessible::Graphic);
        QCOMPARE(iface->text(QAccessible::Description), QString());
        QCOMPARE(accessibleText(m.readout, QAccessible::Name), u"Температура  деривати"_s);
    }

    // Up three times (499 and 498 read the same), then a pick of petrol: three sentences, each told
    // once, on the bar as its description and on the read-out label as its name.
    void everyNewReadoutIsAnnouncedOnceOnTheBar()
    {
        m.press(m.bar, Qt::Key_Up);
        QTest::keyClick(m.bar, Qt::Key_Up);
        QTest::keyClick(m.bar, Qt::Key_Up);
        m.clickItem(1);

        const QStringList sentences{readout(0), readout(5), readout(104)};
        QCOMPARE(announced(m.picture, QAccessible::DescriptionChanged), sentences);
        QCOMPARE(announced(m.readout, QAccessible::NameChanged), sentences);
        QCOMPARE(accessibleText(m.picture, QAccessible::Description), readout(104));
        QCOMPARE(accessibleText(m.readout, QAccessible::Name), readout(104));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
