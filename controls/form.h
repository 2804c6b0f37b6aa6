// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "twips.h"

#include <QColor>
#include <QWidget>

class QFocusFrame;

namespace varnelo {

// The top-level window a form design becomes: a fixed client area given in twips, a caption, a
// window menu and a close button but no minimise or maximise button, and a back colour painted by
// the form itself so that the controls keep the desktop's own palette. The control that has the
// keyboard focus shows it with the style's focus frame around it, beneath every control.
class Form : public QWidget
{
    Q_OBJECT

public:
    Form(int clientWidthTwips, int clientHeightTwips, const QColor &backColor, QWidget *parent = nullptr);
    ~Form() override;

    // Places the window centred on its screen and shows it.
    void showCentred();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showFocusAround(QWidget *focused);

    QColor m_backColor;
    QFocusFrame *m_focusFrame;
    QMetaObject::Connection m_followFocus;
};

// Makes a control from its place and size in twips.
void placeControl(QWidget *control, const TwipsRect &rect);

} // namespace varnelo
