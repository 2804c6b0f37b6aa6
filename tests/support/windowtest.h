// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the widget tests share: where a person aims on a scroll bar, what a person sees of the
// picture box and the list, and the window as the program opens it.

#include "listbox.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "startup.h"
#include "varnelo.h"

#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <functional>
#include <memory>

namespace varnelo::test {

using namespace Qt::StringLiterals;

inline constexpr QRgb Red = qRgb(210, 30, 30);
inline constexpr QRgb Blue = qRgb(100, 130, 230);
inline constexpr QRgb Background = qRgb(128, 128, 255);
inline constexpr QRect DrawingArea(2, 2, 61, 173); // of the 65 x 177 px picture box, inside its frame
inline constexpr int NoBar = -1; // nothing drawn: the whole area in the background colour
inline const QString DesignCaption = u"Температура  деривати"_s; // the read-out before the first Change

inline QString readout(int degrees)
{
    return u"Достигната температура: "_s + QString::number(degrees) + u" градуса."_s;
}

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

// Bar level, read-out and list after a Change, with `row` the selected (and current) row.
inline Seen showing(int value, int degrees, int row)
{
    return {value, readout(degrees), row, {row}, row};
}

// The window as the program opens it, with counts of the entries into VScroll1_Change and
// List1_Click. open() belongs in init(): a failure there skips the test.
struct Window {
    std::unique_ptr<Varnelo> form;
    ScrollBar *bar = nullptr;
    ListBox *list = nullptr;
    PictureBox *picture = nullptr;
    QLabel *readout = nullptr;
    std::unique_ptr<QSignalSpy> changes;
    std::unique_ptr<QSignalSpy> clicks;

    void open()
    {
        form = openMainWindow();
        bar = form->findChild<ScrollBar *>(u"VScroll1"_s);
        list = form->findChild<ListBox *>(u"List1"_s);
        picture = form->findChild<PictureBox *>(u"Picture1"_s);
        readout = form->findChild<QLabel *>(u"Label1(1)"_s);
        QVERIFY(bar && list && picture && readout);
        changes = std::make_unique<QSignalSpy>(bar, &ScrollBar::Change);
        clicks = std::make_unique<QSignalSpy>(list, &ListBox::Click);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }

    void close()
    {
        changes.reset();
        clicks.reset();
        form.reset();
    }

    Seen seen() const { return seenIn(list, bar->value(), readout->text()); }
    QImage drawn() const { return picture->grab().toImage(); }

    void resetCounts()
    {
        changes->clear();
        clicks->clear();
    }

    void clickPart(QStyle::SubControl part)
    {
        QTest::mouseClick(bar, Qt::LeftButton, {}, scrollBarPart(bar, part).center());
    }

    void clickItem(int row)
    {
        list->scrollToItem(list->item(row)); // as a person scrolls the list to find it
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    void press(QWidget *control, Qt::Key key)
    {
        control->setFocus(Qt::TabFocusReason);
        QTest::keyClick(control, key);
    }
};

} // namespace varnelo::test
