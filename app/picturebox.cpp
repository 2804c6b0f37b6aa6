// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturebox.h"

#include "twips.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace varnelo {

namespace {

// A twips coordinate as the logical pixel it falls on.
int pixelOf(float twips)
{
    return static_cast<int>(std::lround(twipsToPixelsF(twips)));
}

// Logical pixel edges in device pixels, rounded so that neighbouring shapes share their edges and
// nothing is smoothed at fractional device-pixel ratios.
int devicePixel(double logical, qreal ratio)
{
    return static_cast<int>(std::lround(logical * ratio));
}

} // namespace

PictureBox::PictureBox(const QColor &backColor, QWidget *parent)
    : QFrame(parent)
    , m_backColor(backColor)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

float PictureBox::Width() const
{
    return pixelsToTwips(width());
}

float PictureBox::Height() const
{
    return pixelsToTwips(height());
}

void PictureBox::Cls()
{
    m_boxes.clear();
    update();
}

void PictureBox::Line(float x1, float y1, float x2, float y2, const QColor &color, BoxStyle style)
{
    m_boxes.push_back({x1, y1, x2, y2, color, style});
    update(contentsRect());
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    const QRect area = contentsRect();
    const qreal ratio = devicePixelRatioF();
    {
        QPainter painter(this);
        painter.fillRect(area, m_backColor);
        if (!m_boxes.empty()) {
            // Work in device pixels so that every edge lands on a whole one.
            painter.scale(1 / ratio, 1 / ratio);
            const QRect deviceArea(QPoint(devicePixel(area.left(), ratio), devicePixel(area.top(), ratio)),
                                   QPoint(devicePixel(area.right() + 1, ratio) - 1,
                                          devicePixel(area.bottom() + 1, ratio) - 1));
            painter.setClipRect(deviceArea);
            for (const Box &box : m_boxes) {
                const int left = std::min(pixelOf(box.x1), pixelOf(box.x2));
                const int right = std::max(pixelOf(box.x1), pixelOf(box.x2));
                const int top = std::min(pixelOf(box.y1), pixelOf(box.y2));
                const int bottom = std::max(pixelOf(box.y1), pixelOf(box.y2));
                const QRect device(
                    QPoint(devicePixel(area.left() + left, ratio), devicePixel(area.top() + top, ratio)),
                    QPoint(devicePixel(area.left() + right + 1, ratio) - 1,
                           devicePixel(area.top() + bottom + 1, ratio) - 1));
                if (box.style == BoxStyle::Filled) {
                    painter.fillRect(device, box.color);
                } else {
                    const int edge = std::max(1, devicePixel(1, ratio));
                    painter.fillRect(device.left(), device.top(), device.width(), edge, box.color);
                    painter.fillRect(device.left(), device.bottom() - edge + 1, device.width(), edge, box.color);
                    painter.fillRect(device.left(), device.top(), edge, device.height(), box.color);
                    painter.fillRect(device.right() - edge + 1, device.top(), edge, device.height(), box.color);
                }
            }
        }
    }
    QFrame::paintEvent(event); // the frame, over the edges of the area
}

} // namespace varnelo
