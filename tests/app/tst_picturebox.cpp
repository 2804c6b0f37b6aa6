// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturebox.h"
#include "startup.h"

#include <QImage>
#include <QObject>
#include <QTest>

#include <functional>
#include <memory>

using varnelo::PictureBox;

namespace {

const QColor Back(128, 128, 255);
const QColor Ink(210, 30, 30);
const QColor OtherInk(100, 130, 230);
const QRect Area(2, 2, 61, 173); // the drawing area of a 65 x 177 px box inside its 2-px frame

// The first pixel of `area` in `image` that differs from `expected` (given in drawing-area
// coordinates), described for the failure message; empty if there is none.
QString firstDifference(const QImage &image, const std::function<QColor(QPoint)> &expected)
{
    for (int y = 0; y < Area.height(); ++y) {
        for (int x = 0; x < Area.width(); ++x) {
            const QColor seen = image.pixelColor(Area.topLeft() + QPoint(x, y));
            const QColor wanted = expected({x, y});
            if (seen.rgb() != wanted.rgb())
                return QStringLiteral("pixel (%1, %2) of the drawing area is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(seen.name(), wanted.name());
        }
    }
    return {};
}

// The frame, everything outside the drawing area.
QImage frameOf(QImage image)
{
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            image.setPixelColor(x, y, Qt::black);
    return image;
}

} // namespace

class TestPictureBox : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PictureBox> m_box;
    QImage m_blank;

    QImage seen() const { return m_box->grab().toImage(); }

private slots:
    void initTestCase() { varnelo::configureApplication(); }

    void init()
    {
        m_box = std::make_unique<PictureBox>(Back);
        m_box->resize(65, 177);
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
        m_blank = seen();
    }

    void cleanup() { m_box.reset(); }

    void startsBlankInsideASunkenFrame()
    {
        QCOMPARE(m_box->contentsRect(), Area);
        QCOMPARE(m_box->Width(), 975.0f);
        QCOMPARE(m_box->Height(), 2655.0f);
        const QString difference = firstDifference(m_blank, [](QPoint) { return Back; });
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QVERIFY(m_blank.pixelColor(0, 0).rgb() != Back.rgb());
        QVERIFY(m_blank.pixelColor(64, 176).rgb() != Back.rgb());
    }

    // Corners in twips; `pixels` is the same rectangle in drawing-area pixels, edges included and
    // before clipping.
    void boxCoversTheRectangleBetweenItsCorners_data()
    {
        QTest::addColumn<float>("x1");
        QTest::addColumn<float>("y1");
        QTest::addColumn<float>("x2");
        QTest::addColumn<float>("y2");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<QRect>("pixels");
        const auto from = [](int left, int top, int right, int bottom) {
            return QRect(QPoint(left, top), QPoint(right, bottom));
        };
        QTest::newRow("filled") << 0.f << 0.f << 150.f << 300.f << true << from(0, 0, 10, 20);
        QTest::newRow("filled, corners swapped")
            << 300.f << 450.f << 60.f << 150.f << true << from(4, 10, 20, 30);
        QTest::newRow("filled, one pixel")
            << 150.f << 150.f << 150.f << 150.f << true << from(10, 10, 10, 10);
        QTest::newRow("filled, fractions of a pixel to the nearest")
            << 7.f << 8.f << 22.5f << 37.f << true << from(0, 1, 2, 2);
        QTest::newRow("filled, clipped on three sides")
            << -300.f << -300.f << 3000.f << 1500.f << true << from(-20, -20, 200, 100);
        QTest::newRow("filled, the outer size as the bar is drawn")
            << 0.f << 2655.f << 975.f << 0.f << true << from(0, 0, 65, 177);
        QTest::newRow("outline") << 150.f << 150.f << 600.f << 450.f << false << from(10, 10, 40, 30);
        QTest::newRow("outline, two edges clipped away")
            << -150.f << 300.f << 450.f << 3000.f << false << from(-10, 20, 30, 200);
    }

    void boxCoversTheRectangleBetweenItsCorners()
    {
        QFETCH(float, x1);
        QFETCH(float, y1);
        QFETCH(float, x2);
        QFETCH(float, y2);
        QFETCH(bool, filled);
        QFETCH(QRect, pixels);
        using enum PictureBox::BoxStyle;
        m_box->Line(x1, y1, x2, y2, Ink, filled ? Filled : Outline);
        const QImage image = seen();

        const QRect inner = pixels.adjusted(1, 1, -1, -1);
        const QString difference = firstDifference(image, [&](QPoint p) {
            const bool inked = pixels.contains(p) && (filled || !inner.contains(p));
            return inked ? Ink : Back;
        });
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
        QCOMPARE(frameOf(image), frameOf(m_blank));
    }

    // The display update draws the lower box first and the upper one over their shared row.
    void laterBoxCoversTheRowItShares()
    {
        m_box->Line(0, 2655, 975, 1500, Ink, PictureBox::BoxStyle::Filled);
        m_box->Line(0, 1500, 975, 0, OtherInk, PictureBox::BoxStyle::Filled);
        const QString difference =
            firstDifference(seen(), [](QPoint p) { return p.y() <= 100 ? OtherInk : Ink; });
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }

    void clsClearsTheAreaToItsBackground()
    {
        m_box->Line(0, 0, 600, 600, Ink, PictureBox::BoxStyle::Filled);
        m_box->Line(300, 300, 900, 2000, OtherInk, PictureBox::BoxStyle::Outline);
        QVERIFY(seen() != m_blank);
        m_box->Cls();
        QCOMPARE(seen(), m_blank);
    }

    void drawingSurvivesBeingHiddenAndRepainted()
    {
        m_box->Line(0, 2655, 975, 1200, Ink, PictureBox::BoxStyle::Filled);
        const QImage drawn = seen();
        QVERIFY(drawn != m_blank);
        m_box->hide();
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
        m_box->repaint();
        QCOMPARE(seen(), drawn);
    }
};

QTEST_MAIN(TestPictureBox)
#include "tst_picturebox.moc"
