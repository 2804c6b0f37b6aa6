// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

namespace varnelo {

// A single-selection list box addressed by ListIndex, the selected row or -1 for none. Click is
// raised whenever ListIndex changes: when the user selects an item by mouse or keyboard, and at once,
// inside the call, when code assigns a different ListIndex. Once an item is selected the user cannot
// return the list to no selection, and gaining the focus neither selects nor marks a row. A mouse
// press picks the item under it, and so does each press of a double-click; with the button held,
// entering another item picks that one, while moves inside an item pick nothing more.
class ListBox : public QListWidget
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    int ListIndex() const { return m_listIndex; }

    // Selects row `index` and scrolls it into view, or clears the selection for -1. Any other
    // number is an invalid property value.
    void setListIndex(int index);

Q_SIGNALS:
    void Click();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event = nullptr) const override;

private:
    void onSelectionChanged();

    int m_listIndex = -1;
    int m_rowUnderPointer = -1; // while the button is held: the row of the last press or move
};

} // namespace varnelo
