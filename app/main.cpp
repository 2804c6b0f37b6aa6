// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"
#include "varnelo.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    varnelo::configureApplication();
    QApplication app(argc, argv);
    const auto form = varnelo::openMainWindow();
    return QApplication::exec();
}
