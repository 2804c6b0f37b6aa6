// SPDX-License-Identifier: GPL-3.0-or-later
#include "listbox.h"

#include "runtimeerror.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>
#include <iterator>
#include <utility>

namespace varnelo {

ListBox::ListBox(QWidget *parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformItemSizes(true); // saves measuring every item on each change of the current row
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QListWidget::itemSelectionChanged, this, &ListBox::onSelectionChanged);
}

void ListBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        throw RuntimeError(RuntimeError::InvalidPropertyValue);
    if (index == -1) {
        selectionModel()->clear();
        return;
    }
    setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    scrollToItem(item(index));
}

void ListBox::onSelectionChanged()
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    const int index = selected.isEmpty() ? -1 : selected.constFirst().row();
    if (index == m_listIndex)
        return;
    m_listIndex = index;
    Q_EMIT Click();
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    // Qt's item views make the first row current when they gain the focus without one; here the
    // list stays without a current row until something is selected.
    const bool hadCurrent = currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (!hadCurrent && m_listIndex == -1 && currentIndex().isValid())
        selectionModel()->clearCurrentIndex();
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    // Qt's item views select the row a key moves to twice: through the current index, then once
    // more by its rectangle. When Click moves the selection in between (the display update picks
    // another fraction), the second select would take it back, so a key pick selects once, as an
    // assignment from code does.
    static constexpr std::pair<int, CursorAction> moves[] = {
        {Qt::Key_Up, MoveUp},         {Qt::Key_Down, MoveDown},         {Qt::Key_Left, MoveLeft},
        {Qt::Key_Right, MoveRight},   {Qt::Key_PageUp, MovePageUp},     {Qt::Key_PageDown, MovePageDown},
        {Qt::Key_Home, MoveHome},     {Qt::Key_End, MoveEnd},
    };
    const auto move = std::find_if(std::begin(moves), std::end(moves),
                                   [event](const auto &m) { return m.first == event->key(); });
    if (move == std::end(moves)) {
        QListWidget::keyPressEvent(event);
        return;
    }
    const QModelIndex next = moveCursor(move->second, event->modifiers());
    if (next.isValid() && next.row() != m_listIndex)
        setListIndex(next.row());
    event->accept();
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    m_rowUnderPointer = indexAt(event->position().toPoint()).row();
    QListWidget::mousePressEvent(event);
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Qt delivers a double-click's second press as the double-click alone, and item views take it
    // for no pick when it lands on the item just pressed, although Click has moved the selection
    // since. The second press picks as a second single click would.
    QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                      event->globalPosition(), event->button(), event->buttons(), event->modifiers(),
                      event->pointingDevice());
    mousePressEvent(&press);
}

void ListBox::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    // Qt's item views select the row under a held button again on every move. When Click has moved
    // the selection since the press (the display update picks another fraction), a pointer that
    // trembles inside the row would take it back; only entering another row picks again. That pick
    // selects once, as an assignment from code does, so the current row stays with the selection.
    const QModelIndex under = indexAt(event->position().toPoint());
    event->accept();
    if (under.row() == m_rowUnderPointer)
        return;
    m_rowUnderPointer = under.row();
    if (under.isValid() && under.row() != m_listIndex)
        setListIndex(under.row());
}

void ListBox::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // Qt 6.4's list view announces its current row as focused to screen readers even when the focus
    // is elsewhere; a redraw driven from the scroll bar would pull the reader's attention away.
    if (hasFocus())
        QListWidget::currentChanged(current, previous);
    else
        QAbstractItemView::currentChanged(current, previous);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex &index,
                                                              const QEvent *event) const
{
    // Ctrl+click and Ctrl+Space would deselect the selected row; a pick always selects exactly one.
    // A release picks nothing: the press, or entering the row with the button held, has picked it,
    // and Click may have moved the selection on since (Qt 6.4 selects again on release after a
    // press on the selected row).
    const auto command = QListWidget::selectionCommand(index, event);
    if (!index.isValid() || command == QItemSelectionModel::NoUpdate
        || (event && event->type() == QEvent::MouseButtonRelease))
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect;
}

} // namespace varnelo
