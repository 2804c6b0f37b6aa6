// SPDX-License-Identifier: GPL-3.0-or-later
#include "scrollbar.h"

namespace varnelo {

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget *parent)
    : QScrollBar(orientation, parent)
    , m_value(value())
{
    setTracking(false); // the value, and so Change, follows a dragged thumb only on release
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, &ScrollBar::onValueChanged);
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
