// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include "runtime.h"
#include "varnelo.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QImageReader>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTranslator>

#ifdef Q_OS_WASM
#include <emscripten.h>

#include <cstdlib>
#endif

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

// The toolkit's own texts (context menus, the error report's button) in Bulgarian, like the rest of
// the window, whatever the desktop's language. Looked for once per application: without the file the
// program still starts, with the toolkit's English, and says so once.
void installToolkitTranslations()
{
    const QString name = QStringLiteral("qtbase_bg");
    if (qApp->findChild<QTranslator *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *translator = new QTranslator(qApp);
    translator->setObjectName(name);
#ifdef Q_OS_WASM
    const QString directory = QStringLiteral(":/i18n"); // a browser has no Qt installed beside the program
#else
    const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    if (!translator->load(name, directory) || !QCoreApplication::installTranslator(translator))
        qWarning().noquote() << "varnelo:" << name + QStringLiteral(".qm") << "not found in" << directory
                             << "- the toolkit's own texts stay in English";
}

} // namespace

void configureApplication()
{
    useRuntimeStyle();
    QApplication::setApplicationName(QStringLiteral("Varnelo"));
    QApplication::setApplicationVersion(QStringLiteral(VARNELO_VERSION)); // "1.00", from CMake
    QApplication::setDesktopFileName(QStringLiteral("bg.varnelo.Varnelo"));
}

std::unique_ptr<Varnelo> openMainWindow()
{
#ifdef Q_OS_WASM
    // A browser lends Qt none of its fonts: the form's serif, with Cyrillic, comes inside the program.
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSerif-Regular.ttf"));
    // In a browser exec() never returns, so closing the window would quit into a blank page: end
    // the program instead, which the page's loader is told of.
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, [] { emscripten_force_exit(EXIT_SUCCESS); });
#endif
    QApplication::setWindowIcon(windowIcon());
    installToolkitTranslations();
    auto form = std::make_unique<Varnelo>();
    trap([&] { form->Form_Load(); });
    form->showCentred();
    return form;
}

} // namespace varnelo
