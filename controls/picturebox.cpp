// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturebox.h"

#include "twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintEvent>
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

// The device pixels a rectangle of logical pixels covers.
QRect deviceRect(const QRect &logical, qreal ratio)
{
    return {QPoint(devicePixel(logical.left(), ratio), devicePixel(logical.top(), ratio)),
            QPoint(devicePixel(logical.right() + 1, ratio) - 1, devicePixel(logical.bottom() + 1, ratio) - 1)};
}

// Screen readers would take a bare QFrame for a window frame; the bar is a picture, and its
// accessible description carries what it shows.
QAccessibleInterface *accessiblePictureBox(const QString &className, QObject *object)
{
    if (className == QLatin1String(PictureBox::staticMetaObject.className()) && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Graphic);
    return nullptr;
}

} // namespace

PictureBox::PictureBox(const QColor &backColor, QWidget *parent)
    : QFrame(parent)
    , m_backColor(backColor)
{
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(accessiblePictureBox);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled);
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
    update(contentsRect());
}

void PictureBox::Line(float x1, float y1, float x2, float y2, const QColor &color)
{
    m_boxes.push_back({x1, y1, x2, y2, color});
    update(contentsRect());
}

void PictureBox::describe(const QString &sentence)
{
    if (sentence != accessibleDescription())
        setAccessibleDescription(sentence);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    // The style draws the frame in logical pixels, and at fractional ratios it reaches a device pixel
    // into the area; the area goes over it, so that its edges stay where the geometry puts them. A
    // redraw of the bar alone leaves the frame as it is.
    if (!contentsRect().contains(event->rect()))
        QFrame::paintEvent(event);

    // Work in device pixels so that every edge lands on a whole one and the background, the bar and
    // the frame meet without a seam.
    const QRect area = contentsRect();
    const qreal ratio = devicePixelRatioF();
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    const QRect deviceArea = deviceRect(area, ratio);
    painter.fillRect(deviceArea, m_backColor);
    painter.setClipRect(deviceArea);
    for (const Box &box : m_boxes) {
        const QRect logical(QPoint(std::min(pixelOf(box.x1), pixelOf(box.x2)), std::min(pixelOf(box.y1), pixelOf(box.y2))),
                            QPoint(std::max(pixelOf(box.x1), pixelOf(box.x2)), std::max(pixelOf(box.y1), pixelOf(box.y2))));
        painter.fillRect(deviceRect(logical.translated(area.topLeft()), ratio), box.color);
    }
}

} // namespace varnelo
