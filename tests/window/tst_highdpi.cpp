// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a high-density screen: the same layout in logical pixels, and a bar whose edges fall
// on whole device pixels, with no blended colours, gaps or seams. The device-pixel ratio is fixed when
// the application starts: 2 unless QT_SCALE_FACTOR asks for another.

#include "windowtest.h"

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cmath>

using namespace varnelo::test;

namespace {

const QRect Area = DrawingArea.translated(24, 24); // in the window's logical pixels

// Whether a device-pixel edge is where a logical edge falls, to the nearest whole device pixel.
bool onNearestDevicePixel(int device, double logical, double ratio)
{
    return std::abs(device - logical * ratio) <= 0.5;
}

// The first fault in the drawing area of a device-pixel image of the window, or an empty string.
// levelRow is the area row of the level line (blue above and on it, red below), NoBar for none.
QString faultsInArea(const QImage &image, double ratio, int levelRow)
{
    const auto pixel = [&image](int x, int y) { return image.valid(x, y) ? image.pixel(x, y) : qRgb(0, 0, 0); };
    const auto inArea = [levelRow](QRgb c) { return levelRow == NoBar ? c == Background : c == Red || c == Blue; };

    // The area's device edges, found from its middle row and column by walking in from the frame.
    const int midX = int(Area.center().x() * ratio), midY = int(Area.center().y() * ratio);
    int left = int(Area.left() * ratio) - 3, right = int((Area.right() + 1) * ratio) + 3;
    int top = int(Area.top() * ratio) - 3, bottom = int((Area.bottom() + 1) * ratio) + 3;
    while (left < midX && !inArea(pixel(left, midY)))
        ++left;
    while (right > midX && !inArea(pixel(right - 1, midY)))
        --right;
    while (top < midY && !inArea(pixel(midX, top)))
        ++top;
    while (bottom > midY && !inArea(pixel(midX, bottom - 1)))
        --bottom;
    if (!onNearestDevicePixel(left, Area.left(), ratio) || !onNearestDevicePixel(right, Area.right() + 1, ratio)
        || !onNearestDevicePixel(top, Area.top(), ratio) || !onNearestDevicePixel(bottom, Area.bottom() + 1, ratio))
        return u"area found at x %1..%2, y %3..%4 (device)"_s.arg(left).arg(right).arg(top).arg(bottom);

    // Blue down to the device row where red begins, the same in every column; red from there. The
    // ring just outside is frame: no colour of the area seeps into a seam there.
    int firstRed = bottom;
    if (levelRow != NoBar && levelRow + 1 < Area.height()) {
        for (firstRed = top; firstRed < bottom && pixel(midX, firstRed) != Red;)
            ++firstRed;
        if (!onNearestDevicePixel(firstRed, Area.top() + levelRow + 1, ratio))
            return u"red begins at device row %1"_s.arg(firstRed);
    }
    for (int y = top - 1; y <= bottom; ++y) {
        for (int x = left - 1; x <= right; ++x) {
            const QRgb seen = pixel(x, y);
            const bool ring = y == top - 1 || y == bottom || x == left - 1 || x == right;
            const QRgb expected = levelRow == NoBar ? Background : y < firstRed ? Blue : Red;
            if (ring ? seen == Background || seen == Red || seen == Blue : seen != expected)
                return u"device pixel (%1, %2) is #%3"_s.arg(x).arg(y).arg(seen & 0xffffff, 6, 16, QChar(u'0'));
        }
    }
    return {};
}

} // namespace

class TestHighDpi : public QObject
{
    Q_OBJECT

private:
    Window m;
    double m_ratio = 1;

private slots:
    void init()
    {
        m_ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
        m.open();
    }

    void cleanup() { m.close(); }

    void windowKeepsItsLogicalLayout()
    {
        QCOMPARE(m.form->devicePixelRatio(), m_ratio);
        QCOMPARE(m.form->size(), QSize(476, 345));
        QCOMPARE(m.picture->geometry(), QRect(24, 24, 65, 177));
        QCOMPARE(m.picture->contentsRect(), DrawingArea);
        const QPixmap grab = m.form->grab();
        QCOMPARE(grab.devicePixelRatio(), m_ratio);
        QCOMPARE(grab.size(), QSize(qRound(476 * m_ratio), qRound(345 * m_ratio)));
    }

    void barEdgesFallOnWholeDevicePixels_data()
    {
        QTest::addColumn<int>("value"); // assigned to the scroll bar
        QTest::addColumn<int>("levelRow"); // what the geometry says: lround(177 * Level)
        QTest::newRow("noBarBeforeTheFirstMove") << 500 << NoBar;
        QTest::newRow("coldAllBlue") << 499 << 177;
        QTest::newRow("petrolLevel0.79") << 395 << 140;
        QTest::newRow("halfLevel0.5") << 250 << 89;
        QTest::newRow("hottestBlueTopRowOnly") << 0 << 0;
    }

    void barEdgesFallOnWholeDevicePixels()
    {
        QFETCH(int, value);
        QFETCH(int, levelRow);
        m.bar->setValue(value);
        const QImage shown = m.form->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(faultsInArea(shown, m_ratio, levelRow), QString());
    }

    // The focus cue around each tab stop, the picture box included, leaves every device pixel of
    // the picture box as it was.
    void focusCueLeavesTheBarsPixelsAlone_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : {u"Text1(0)"_s, u"Picture1"_s, u"VScroll1"_s, u"List1"_s})
            QTest::newRow(qPrintable(name)) << name;
    }

    void focusCueLeavesTheBarsPixelsAlone()
    {
        QFETCH(QString, name);
        m.bar->setValue(395);
        const auto shown = [this] { return m.form->grab().toImage().convertToFormat(QImage::Format_RGB32); };
        QTRY_VERIFY(QApplication::focusWidget());
        QApplication::focusWidget()->clearFocus();
        const QImage unfocused = shown();
        m.form->findChild<QWidget *>(name)->setFocus(Qt::TabFocusReason);
        const QImage focused = shown();

        // The device pixels the picture box covers whole: at 1.5 its bottom edge ends halfway through
        // a device row, which Qt leaves to the form (and on Qt 6.8 to the focus frame beneath).
        const QRectF logical = m.picture->geometry().toRectF(); // right and bottom: the edges beyond
        const QRect device(QPoint(qRound(logical.left() * m_ratio), qRound(logical.top() * m_ratio)),
                           QPoint(int(std::floor(logical.right() * m_ratio)) - 1,
                                  int(std::floor(logical.bottom() * m_ratio)) - 1));
        QVERIFY(focused != unfocused);
        QCOMPARE(focused.copy(device), unfocused.copy(device));
        QCOMPARE(faultsInArea(focused, m_ratio, 140), QString());
    }
};

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    varnelo::configureApplication();
    QApplication app(argc, argv);
    TestHighDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_highdpi.moc"
