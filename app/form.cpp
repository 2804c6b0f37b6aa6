// SPDX-License-Identifier: GPL-3.0-or-later
#include "form.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>

namespace varnelo {

Form::Form(int clientWidthTwips, int clientHeightTwips, const QColor &backColor, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_backColor(backColor)
{
    setFixedSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips));
    setAttribute(Qt::WA_OpaquePaintEvent);
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
