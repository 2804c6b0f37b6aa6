// SPDX-License-Identifier: GPL-3.0-or-later
// Starts the program as main() does and then, from the event loop, makes VScroll1_Change fail. A
// timer stands in for the person at the screen: it writes out the modal message it finds and clicks
// its OK button. tst_errorreport runs this and reads what it wrote and how it ended.
//
//   errorhelper overflow          Max and Min both 0: Value/Max is 0/0
//   errorhelper division-by-zero  Value -4 with Max 0: -4/0

#include "scrollbar.h"
#include "startup.h"
#include "varnelo.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

using namespace Qt::StringLiterals;

int main(int argc, char *argv[])
{
    varnelo::configureApplication();
    QApplication app(argc, argv);
    const QString how = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto form = varnelo::openMainWindow();
    auto *bar = form->findChild<varnelo::ScrollBar *>(u"VScroll1"_s);
    if (!bar)
        return 2;

    QTimer person;
    QObject::connect(&person, &QTimer::timeout, [] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        std::printf("message\n%s\n%s\nend\n", box->windowTitle().toUtf8().constData(),
                    box->text().toUtf8().constData());
        std::fflush(stdout);
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    });
    person.start(10);

    QTimer::singleShot(0, [&] {
        if (how == u"overflow") {
            bar->setRange(0, 0); // clamps Value from 500 to 0 and raises Change
        } else if (how == u"division-by-zero") {
            bar->setMinimum(-5);
            bar->setValue(-5);
            bar->setMaximum(0); // Value stays -5: no Change
            bar->setValue(-4);
        }
        // Only reached if the error did not end the program.
        std::puts("the program went on");
        std::fflush(stdout);
        QApplication::exit(0);
    });
    return QApplication::exec();
}
