// SPDX-License-Identifier: GPL-3.0-or-later
// The window icon as the executable gets it: embedded through the varnelo_resources library, at the
// resource paths the program loads, each a transparent-cornered PNG of its nominal size.
#include <QColor>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>
#include <QTest>

using namespace Qt::StringLiterals;

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void shouldEmbedWindowIconAtEachSize_data();
    void shouldEmbedWindowIconAtEachSize();
    void shouldLoadWindowIconThroughQIcon();
    void shouldNotEmbedScalableIcon();
};

void TestResources::shouldEmbedWindowIconAtEachSize_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("size");

    QTest::newRow("16") << u":/icons/varnelo-16.png"_s << 16;
    QTest::newRow("32") << u":/icons/varnelo-32.png"_s << 32;
    QTest::newRow("48") << u":/icons/varnelo-48.png"_s << 48;
}

void TestResources::shouldEmbedWindowIconAtEachSize()
{
    QFETCH(QString, path);
    QFETCH(int, size);

    const QImage image(path);
    QVERIFY2(!image.isNull(), qPrintable(path));
    QCOMPARE(image.size(), QSize(size, size));
    QVERIFY(image.hasAlphaChannel());
    // Rounded corners stay see-through on any title bar.
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(size - 1, size - 1).alpha(), 0);
    // Left of the column the tile shows the window's lavender background.
    QCOMPARE(image.pixelColor(size / 8, size / 2), QColor(192, 192, 255));
}

void TestResources::shouldLoadWindowIconThroughQIcon()
{
    const QIcon icon(u":/icons/varnelo-32.png"_s);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.availableSizes(), QList<QSize>{QSize(32, 32)});
}

void TestResources::shouldNotEmbedScalableIcon()
{
    // An SVG window icon would need the svg image plugin loaded at start-up.
    QVERIFY(!QFile::exists(u":/icons/varnelo.svg"_s));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
