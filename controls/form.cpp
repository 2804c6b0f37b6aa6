// SPDX-License-Identifier: GPL-3.0-or-later
#include "form.h"

#include <QApplication>
#include <QFocusFrame>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace varnelo {

Form::Form(int clientWidthTwips, int clientHeightTwips, const QColor &backColor, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_backColor(backColor)
    , m_focusFrame(new QFocusFrame(this))
{
    setFixedSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_followFocus = connect(qApp, &QApplication::focusChanged, this,
                            [this](QWidget *, QWidget *now) { showFocusAround(now); });
}

Form::~Form()
{
    // Closing and taking the window apart moves the focus on, when this is no longer a Form.
    disconnect(m_followFocus);
}

void Form::showFocusAround(QWidget *focused)
{
    // The control itself, not a part of it that holds the focus (the text box's viewport); nothing
    // once the focus has left the window.
    QWidget *control = focused;
    while (control && control->parentWidget() != this)
        control = control->parentWidget();
    // The style's focus frame is a ring just outside the control. It is kept beneath every control:
    // the picture box and the scroll bar overlap, so a ring above the scroll bar would cover the
    // bar's own pixels. QFocusFrame itself would stack it just beneath the control it follows.
    m_focusFrame->setWidget(control);
    m_focusFrame->lower();
}

void Form::showCentred()
{
    winId(); // a platform that knows its frame margins knows them once the native window exists
    if (const QScreen *screen = this->screen()) {
        QRect placed = frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
    // Normal, never maximized: a platform whose theme opens windows maximized (the browser) would
    // otherwise stretch the fixed-size form over the whole page.
    showNormal();
}

void Form::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(event->rect(), m_backColor);
}

void placeControl(QWidget *control, const TwipsRect &rect)
{
    control->setGeometry(twipsToPixels(rect));
}

} // namespace varnelo
