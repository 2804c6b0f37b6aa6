// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline: a bare, empty Qt window of the program's size, with the same first-frame probe.
#include "firstframe.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    const std::int64_t entered = varnelo::bench::now();
    QApplication app(argc, argv);
    varnelo::bench::FirstFrame frame(entered);
    QWidget window;
    window.resize(476, 345);
    window.show();
    frame.windowShown();
    return QApplication::exec();
}
