// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window's tests share: the texts the read-out shows, and the window as the program opens
// it, with counts of the entries into its handlers.

#include "controlstest.h"
#include "startup.h"
#include "varnelo.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace varnelo::test {

using namespace Qt::StringLiterals;

inline const QString DesignCaption = u"Температура  деривати"_s; // the read-out before the first Change

inline QString readout(int degrees)
{
    return u"Достигната температура: "_s + QString::number(degrees) + u" градуса."_s;
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
