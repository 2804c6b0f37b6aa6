// SPDX-License-Identifier: GPL-3.0-or-later
// A reference for the start-up benchmark: the bare window with one line of text in the program's font,
// which shows what drawing any text at all costs before the first frame.
#include "firstframe.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    const std::int64_t entered = varnelo::bench::now();
    QApplication app(argc, argv);
    varnelo::bench::FirstFrame frame(entered);
    QWidget window;
    window.resize(476, 345);
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
    font.setPixelSize(16);
    window.setFont(font);
    QLabel label(QStringLiteral("Достигната температура: 105 градуса."), &window);
    label.setGeometry(10, 10, 300, 25);
    window.show();
    frame.windowShown();
    return QApplication::exec();
}
