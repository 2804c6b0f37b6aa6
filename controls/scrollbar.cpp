// SPDX-License-Identifier: GPL-3.0-or-later
#include "scrollbar.h"

#include <QEvent>

namespace varnelo {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
    , m_value(value())
{
    setTracking(false); // the value, and so Change, follows a dragged thumb only on release
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, &ScrollBar::onValueChanged);
}

bool ScrollBar::event(QEvent *event)
{
    const bool handled = QScrollBar::event(event);
    // The style paints every pixel of the bar but clears this when it polishes the widget; without
    // it, every step would repaint the form and the picture box's frame beneath the bar as well.
    if (event->type() == QEvent::Polish)
        setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
}

void ScrollBar::mouseReleaseEvent(QMouseEvent *event)
{
    QScrollBar::mouseReleaseEvent(event);
    // Held in the trough, the repeat ends by moving the thumb under the pointer without setting the
    // value (tracking is off); the release settles it, as the end of a drag does.
    if (!isSliderDown() && sliderPosition() != value())
        triggerAction(SliderMove);
}

void ScrollBar::onValueChanged(int value)
{
    // QAbstractSlider also signals when code assigns the value a dragged thumb already shows.
    if (value == m_value)
        return;
    m_value = value;
    Q_EMIT Change();
}

} // namespace varnelo
