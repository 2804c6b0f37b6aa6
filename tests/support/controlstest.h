// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the controls' tests share: where a person aims on a scroll bar, and what a person sees of the
// picture box and the list. windowtest.h adds the window as the program opens it.

#include "designfacts.h"
#include "listbox.h"
#include "picturebox.h"
#include "scrollbar.h"

#include <QImage>
#include <QList>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <functional>

namespace varnelo::test {

using namespace Qt::StringLiterals;

inline constexpr QRgb Red = 0xff000000 | facts::Heated;
inline constexpr QRgb Blue = 0xff000000 | facts::Rest;
inline constexpr QRgb Background = 0xff000000 | facts::PictureBack;
// Of the picture box, inside its frame.
inline constexpr QRect DrawingArea(facts::DrawingArea.x, facts::DrawingArea.y, facts::DrawingArea.width,
                                   facts::DrawingArea.height);
inline constexpr int NoBar = -1; // nothing drawn: the whole area in the background colour

// One part of a scroll bar (an arrow, the trough on either side of the thumb, the thumb) as the
// bar's own style lays it out, from the option the bar itself draws with.
inline QRect scrollBarPart(const QScrollBar *bar, QStyle::SubControl part)
{
    struct Opened : QScrollBar {
        using QScrollBar::initStyleOption;
    };
    QStyleOptionSlider option;
    (bar->*&Opened::initStyleOption)(&option);
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

// The first fault in a picture box's image: a drawing-area pixel other than `expected` (given in
// area coordinates), or a frame pixel in one of the drawing colours. Empty when there is none.
inline QString pictureFault(const QImage &image, const std::function<QRgb(QPoint)> &expected)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb seen = image.pixel(x, y);
            const bool inArea = DrawingArea.contains(x, y);
            const QRgb wanted = inArea ? expected(QPoint(x, y) - DrawingArea.topLeft()) : seen;
            if (seen != wanted || (!inArea && (seen == Red || seen == Blue || seen == Background)))
                return u"pixel (%1, %2) is #%3"_s.arg(x).arg(y).arg(seen & 0xffffff, 6, 16, QChar(u'0'));
        }
    }
    return {};
}

// The bar as the display update draws it: blue from the top down to the level line's row, red
// below it.
inline QString barFault(const QImage &image, int lineRow)
{
    return pictureFault(image, [lineRow](QPoint p) {
        return lineRow == NoBar ? Background : p.y() <= lineRow ? Blue : Red;
    });
}

// What a person reads off the window: the thumb's value, the read-out, and in the list the
// selection and the row that carries the focus frame.
struct Seen {
    int value = 0;
    QString readout;
    int listIndex = -1;
    QList<int> selected;
    int current = -1;

    friend bool operator==(const Seen &, const Seen &) = default;
};

inline char *toString(const Seen &s)
{
    QStringList rows;
    for (const int row : s.selected)
        rows << QString::number(row);
    return qstrdup(qPrintable(u"value %1, \"%2\", ListIndex %3, selected {%4}, current %5"_s.arg(s.value)
                                  .arg(s.readout).arg(s.listIndex).arg(rows.join(u','))
                                  .arg(s.current)));
}

inline Seen seenIn(const ListBox *list, int value = 0, const QString &readout = {})
{
    QList<int> selected;
    for (const QModelIndex &index : list->selectionModel()->selectedIndexes())
        selected << index.row();
    return {value, readout, list->ListIndex(), selected, list->currentRow()};
}

} // namespace varnelo::test
