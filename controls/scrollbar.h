// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QScrollBar>

namespace varnelo {

// A scroll bar that raises Change after every change of its value and only then: on an arrow,
// trough or key step, at the end of a thumb drag (not during it), and at once, inside the call, when
// code assigns a different number. Assigning the same number raises nothing.
class ScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    explicit ScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

Q_SIGNALS:
    void Change();

protected:
    bool event(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void onValueChanged(int value);

    int m_value;
};

} // namespace varnelo
