// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program as main() does, writes whether the window is up and how the toolkit words the
// scroll bar's first menu entry, and ends. tst_translations runs a copy of it beside a qt.conf that
// points the toolkit's translations elsewhere, as a hand-made install might.

#include "startup.h"
#include "varnelo.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    varnelo::configureApplication();
    QApplication app(argc, argv);
    const auto form = varnelo::openMainWindow();
    QTimer::singleShot(0, [&] {
        std::printf("%s\n%s\n", form->isVisible() ? "shown" : "not shown",
                    qUtf8Printable(QCoreApplication::translate("QScrollBar", "Scroll here")));
        std::fflush(stdout);
        QApplication::quit();
    });
    return QApplication::exec();
}
