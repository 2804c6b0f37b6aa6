// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

// Where a person aims on a scroll bar: one of its parts (an arrow, the trough on either side of the
// thumb, the thumb) as the bar's own style lays it out. The style option comes from the bar itself
// through its protected initStyleOption, reached by a member pointer, so the rectangle always
// matches what is drawn.
inline QRect scrollBarPart(const QScrollBar *bar, QStyle::SubControl part)
{
    struct Opened : QScrollBar {
        using QScrollBar::initStyleOption;
    };
    QStyleOptionSlider option;
    (bar->*&Opened::initStyleOption)(&option);
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}
