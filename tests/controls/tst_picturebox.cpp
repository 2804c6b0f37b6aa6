// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturebox.h"
#include "controlstest.h"
#include "runtime.h"

#include <QImage>
#include <QObject>
#include <QTest>

#include <memory>

using varnelo::PictureBox;
using namespace varnelo::test;

// The drawing of a picture box sized as the window's: 65 x 177 px, the drawing area 61 x 173 px
// inside a 2-px frame.
class TestPictureBox : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<PictureBox> m_box;
    QImage m_blank;

    QImage seen() const { return m_box->grab().toImage(); }

    void draw(float x1, float y1, float x2, float y2, QRgb color)
    {
        m_box->Line(x1, y1, x2, y2, QColor(color));
    }

private slots:
    void initTestCase() { varnelo::useRuntimeStyle(); }

    void init()
    {
        m_box = std::make_unique<PictureBox>(QColor(Background));
        m_box->resize(65, 177);
        m_box->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_box.get()));
        m_blank = seen();
    }

    void cleanup() { m_box.reset(); }

    void startsBlankInsideASunkenFrame()
    {
        QCOMPARE(m_box->contentsRect(), DrawingArea);
        QCOMPARE(m_box->Width(), 975.0f);
        QCOMPARE(m_box->Height(), 2655.0f);
        QCOMPARE(pictureFault(m_blank, [](QPoint) { return Background; }), QString());
    }

    // Corners in twips; `pixels` is the same rectangle in drawing-area pixels, both edges included,
    // before clipping.
    void boxCoversTheRectangleBetweenItsCorners_data()
    {
        QTest::addColumn<QRectF>("corners"); // x1, y1 as the top left, x2, y2 as the bottom right
        QTest::addColumn<QRect>("pixels");
        const auto corners = [](float x1, float y1, float x2, float y2) { return QRectF(QPointF(x1, y1), QPointF(x2, y2)); };
        const auto pixels = [](int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right, bottom)); };
        QTest::newRow("whole pixels") << corners(0, 0, 150, 300) << pixels(0, 0, 10, 20);
        QTest::newRow("corners swapped") << corners(300, 450, 60, 150) << pixels(4, 10, 20, 30);
        QTest::newRow("one pixel") << corners(150, 150, 150, 150) << pixels(10, 10, 10, 10);
        QTest::newRow("fractions of a pixel to the nearest")
            << corners(7, 8, 22.5f, 37) << pixels(0, 1, 2, 2);
        QTest::newRow("clipped on three sides")
            << corners(-300, -300, 3000, 1500) << pixels(-20, -20, 200, 100);
    }

    void boxCoversTheRectangleBetweenItsCorners()
    {
        QFETCH(QRectF, corners);
        QFETCH(QRect, pixels);
        draw(corners.left(), corners.top(), corners.right(), corners.bottom(), Red);
        QCOMPARE(pictureFault(seen(), [&](QPoint p) { return pixels.contains(p) ? Red : Background; }),
                 QString());
    }

    // The display update draws the lower box first and the upper one over their shared row.
    void laterBoxCoversTheRowItShares()
    {
        draw(0, 2655, 975, 1500, Red);
        draw(0, 1500, 975, 0, Blue);
        QCOMPARE(pictureFault(seen(), [](QPoint p) { return p.y() <= 100 ? Blue : Red; }), QString());
    }

    void clsClearsTheAreaToItsBackground()
    {
        draw(0, 0, 600, 600, Red);
        draw(300, 300, 900, 2000, Blue);
        QVERIFY(seen() != m_blank);
        m_box->Cls();
        QCOMPARE(seen(), m_blank);
    }

    void drawingSurvivesBeingHiddenAndRepainted()
    {
        draw(0, 2655, 975, 1200, Red);
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
