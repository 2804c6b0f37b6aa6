// SPDX-License-Identifier: GPL-3.0-or-later
// The program as main() starts it, whose scroll bar then fails from the event loop (Max and Min both
// 0: Value/Max is 0/0), built for the browser only: test-web opens it to see the run-time error report
// appear in the page, answers it, and checks that the program ended.

#include "scrollbar.h"
#include "startup.h"
#include "varnelo.h"

#include <QApplication>
#include <QTimer>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    varnelo::configureApplication();
    QApplication app(argc, argv);
    const auto form = varnelo::openMainWindow();
    auto *bar = form->findChild<varnelo::ScrollBar *>(u"VScroll1"_s);
    if (!bar)
        return 2;
    QTimer::singleShot(500, bar, [bar] { bar->setRange(0, 0); });
    return QApplication::exec();
}
