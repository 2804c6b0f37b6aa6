// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a high-density screen: the same layout in logical pixels, and a bar whose edges fall
// on whole device pixels, with no blended colours, gaps or seams. The device-pixel ratio is fixed when
// the application starts: 2 unless QT_SCALE_FACTOR asks for another.

#include "design.h"
#include "startup.h"
#include "varnelo.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr QRgb Red = qRgb(210, 30, 30);
constexpr QRgb Blue = qRgb(100, 130, 230);
constexpr QRgb Background = qRgb(128, 128, 255);

// The drawing area in the window's logical pixels: the picture box's place, less its 2-px frame.
QRect drawingArea()
{
    return varnelo::twipsToPixels(varnelo::design::Picture1).adjusted(2, 2, -2, -2);
}

// Whether a device-pixel edge is where a logical edge falls, to the nearest whole device pixel.
bool onNearestDevicePixel(int device, double logical, double ratio)
{
    return std::abs(device - logical * ratio) <= 0.5;
}

// Everything wrong with the drawing area in a device-pixel image of the window, or an empty string.
// levelRow is the area row of the level line (blue above and on it, red below), -1 for no bar.
QString faultsInArea(const QImage &image, double ratio, int levelRow)
{
    const QRect area = drawingArea();
    const auto pixel = [&image](int x, int y) { return image.valid(x, y) ? image.pixel(x, y) : qRgb(0, 0, 0); };
    const auto inArea = [levelRow](QRgb c) { return levelRow < 0 ? c == Background : c == Red || c == Blue; };

    // Find the area's device edges from its middle row and column, walking in from the frame.
    const int midX = int(area.center().x() * ratio);
    const int midY = int(area.center().y() * ratio);
    int left = int(area.left() * ratio) - 3, right = int((area.right() + 1) * ratio) + 3;
    int top = int(area.top() * ratio) - 3, bottom = int((area.bottom() + 1) * ratio) + 3;
    while (left < midX && !inArea(pixel(left, midY)))
        ++left;
    while (right > midX && !inArea(pixel(right - 1, midY)))
        --right;
    while (top < midY && !inArea(pixel(midX, top)))
        ++top;
    while (bottom > midY && !inArea(pixel(midX, bottom - 1)))
        --bottom;
    if (!onNearestDevicePixel(left, area.left(), ratio) || !onNearestDevicePixel(right, area.right() + 1, ratio)
        || !onNearestDevicePixel(top, area.top(), ratio) || !onNearestDevicePixel(bottom, area.bottom() + 1, ratio)) {
        return u"area found at x %1..%2, y %3..%4 (device)"_s.arg(left).arg(right).arg(top).arg(bottom);
    }
    // The frame must meet the area directly: no background colour left in a seam around it.
    const auto isSeam = [](QRgb c) { return c == Background || c == Red || c == Blue; };
    for (int y = top - 1; y <= bottom; ++y) {
        for (int x = left - 1; x <= right; ++x) {
            const bool onRing = y == top - 1 || y == bottom || x == left - 1 || x == right;
            if (onRing && isSeam(pixel(x, y)))
                return u"seam outside the area at (%1, %2)"_s.arg(x).arg(y);
        }
    }

    // The first red device row, the same in every column; blue above it, red from it down.
    int firstRed = bottom;
    if (levelRow >= 0 && levelRow + 1 < area.height()) {
        firstRed = top;
        while (firstRed < bottom && pixel(midX, firstRed) != Red)
            ++firstRed;
        if (!onNearestDevicePixel(firstRed, area.top() + levelRow + 1, ratio))
            return u"red begins at device row %1"_s.arg(firstRed);
    }
    for (int y = top; y < bottom; ++y) {
        const QRgb expected = levelRow < 0 ? Background : y < firstRed ? Blue : Red;
        for (int x = left; x < right; ++x) {
            if (pixel(x, y) != expected)
                return u"device pixel (%1, %2) is #%3"_s.arg(x).arg(y).arg(pixel(x, y) & 0xffffff, 6, 16, QChar(u'0'));
        }
    }
    return {};
}

} // namespace

class TstHighDpi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void windowKeepsItsLogicalLayout();
    void barEdgesFallOnWholeDevicePixels_data();
    void barEdgesFallOnWholeDevicePixels();

private:
    // The window as the screen shows it, one image pixel per device pixel.
    QImage shown() const;

    std::unique_ptr<varnelo::Varnelo> m_form;
    double m_ratio = 1;
};

void TstHighDpi::init()
{
    m_ratio = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble();
    m_form = varnelo::openMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TstHighDpi::cleanup()
{
    m_form.reset();
}

QImage TstHighDpi::shown() const
{
    return m_form->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

void TstHighDpi::windowKeepsItsLogicalLayout()
{
    QCOMPARE(m_form->devicePixelRatio(), m_ratio);
    QCOMPARE(m_form->size(), QSize(476, 345));
    const QWidget *bar = m_form->findChild<QWidget *>(u"Picture1"_s);
    QCOMPARE(bar->geometry(), QRect(24, 24, 65, 177));
    QCOMPARE(bar->contentsRect(), QRect(2, 2, 61, 173));
    const QPixmap grab = m_form->grab();
    QCOMPARE(grab.devicePixelRatio(), m_ratio);
    QCOMPARE(grab.size(), QSize(qRound(476 * m_ratio), qRound(345 * m_ratio)));
}

void TstHighDpi::barEdgesFallOnWholeDevicePixels_data()
{
    QTest::addColumn<int>("key"); // pressed on the scroll bar
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("levelRow"); // what the geometry says: lround(177 * Level), or -1 for no bar

    QTest::newRow("noBarBeforeTheFirstMove") << int(Qt::Key_Up) << 0 << -1;
    QTest::newRow("coldAllBlue") << int(Qt::Key_Up) << 1 << 177;
    QTest::newRow("petrolLevel0.79") << int(Qt::Key_Up) << 105 << 140;
    QTest::newRow("halfLevel0.5") << int(Qt::Key_Up) << 250 << 89;
    QTest::newRow("gasOilLevel0.14") << int(Qt::Key_Up) << 430 << 25;
    QTest::newRow("hottestBlueTopRowOnly") << int(Qt::Key_Home) << 1 << 0;
}

void TstHighDpi::barEdgesFallOnWholeDevicePixels()
{
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, levelRow);

    auto *scrollBar = m_form->findChild<QScrollBar *>(u"VScroll1"_s);
    scrollBar->setFocus();
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(scrollBar, Qt::Key(key));

    QCOMPARE(faultsInArea(shown(), m_ratio, levelRow), QString());
}

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    varnelo::configureApplication();
    QApplication app(argc, argv);
    TstHighDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_highdpi.moc"
