// SPDX-License-Identifier: GPL-3.0-or-later
#include "listbox.h"

#include "runtimeerror.h"

#include <QKeyEvent>

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
    const auto command = QListWidget::selectionCommand(index, event);
    if (!index.isValid() || command == QItemSelectionModel::NoUpdate)
        return QItemSelectionModel::NoUpdate;
    return QItemSelectionModel::ClearAndSelect;
}

} // namespace varnelo
