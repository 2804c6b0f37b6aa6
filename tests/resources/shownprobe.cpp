// SPDX-License-Identifier: GPL-3.0-or-later
// Loaded into the installed program with LD_PRELOAD, so that the program runs exactly as installed,
// its own main() included. Once the event loop runs, it writes each shown window's title and size
// and ends the program through the event loop: status 0 if a window is shown, 3 if none is.

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

static void reportShownWindows()
{
    QTimer::singleShot(0, qApp, [] {
        int shown = 0;
        const auto windows = QApplication::topLevelWidgets();
        for (const QWidget *window : windows) {
            if (!window->isVisible())
                continue;
            ++shown;
            std::printf("shown on %s: %s, %dx%d\n", qUtf8Printable(QApplication::platformName()),
                        qUtf8Printable(window->windowTitle()), window->width(), window->height());
        }
        std::fflush(stdout);
        QCoreApplication::exit(shown > 0 ? 0 : 3);
    });
}
Q_COREAPP_STARTUP_FUNCTION(reportShownWindows)
