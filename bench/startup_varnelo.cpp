// SPDX-License-Identifier: GPL-3.0-or-later
// The program's main(), line for line, with the first-frame probe around it.
#include "firstframe.h"
#include "startup.h"
#include "varnelo.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    const std::int64_t entered = varnelo::bench::now();
    varnelo::configureApplication();
    QApplication app(argc, argv);
    varnelo::bench::FirstFrame frame(entered);
    const auto form = varnelo::openMainWindow();
    frame.windowShown();
    return QApplication::exec();
}
