// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include "runtime.h"
#include "varnelo.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

namespace varnelo {

namespace {

// Read as the PNG it is: asked to guess the format, Qt loads every image-format plugin installed
// (svg, gif, ico, jpeg and the libraries behind them) to ask each one, which costs start-up time and
// memory for nothing.
QIcon windowIcon()
{
    QImageReader reader(QStringLiteral(":/icons/varnelo-32.png"), "png");
    reader.setAutoDetectImageFormat(false);
    return QIcon(QPixmap::fromImage(reader.read()));
}

} // namespace

void configureApplication()
{
    // One style everywhere: a trough click steps by LargeChange, as designed, on every desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setApplicationName(QStringLiteral("Varnelo"));
    QApplication::setApplicationVersion(QStringLiteral(VARNELO_VERSION)); // "1.00", from CMake
    QApplication::setDesktopFileName(QStringLiteral("bg.varnelo.Varnelo"));
}

std::unique_ptr<Varnelo> openMainWindow()
{
#ifdef Q_OS_WASM
    // A browser lends Qt none of its fonts: the form's serif, with Cyrillic, comes inside the program.
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
#endif
    QApplication::setWindowIcon(windowIcon());
    auto form = std::make_unique<Varnelo>();
    trap([&] { form->Form_Load(); });
    form->showCentred();
    return form;
}

} // namespace varnelo
