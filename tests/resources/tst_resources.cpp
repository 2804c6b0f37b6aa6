// SPDX-License-Identifier: GPL-3.0-or-later
// The window icon as the program loads it: embedded through the resources library.
#include <QColor>
#include <QImage>
#include <QSize>
#include <QTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void embeddedWindowIconIs32PixelsWithSeeThroughCorners()
    {
        const QImage icon(QStringLiteral(":/icons/varnelo-32.png"));
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(icon.hasAlphaChannel());
        // Rounded corners stay see-through on any title bar.
        QCOMPARE(icon.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(icon.pixelColor(31, 31).alpha(), 0);
        // Left of the column the tile shows the window's lavender background.
        QCOMPARE(icon.pixelColor(4, 16), QColor(192, 192, 255));
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
