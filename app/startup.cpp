// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include "runtime.h"
#include "varnelo.h"

#include <QApplication>
#include <QIcon>

namespace varnelo {

void configureApplication()
{
    // One style everywhere: a trough click steps by LargeChange, as designed, on every desktop.
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setApplicationName(QStringLiteral("Varnelo"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));
    QApplication::setDesktopFileName(QStringLiteral("bg.varnelo.Varnelo"));
}

std::unique_ptr<Varnelo> openMainWindow()
{
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varnelo-32.png")));
    auto form = std::make_unique<Varnelo>();
    trap([&] { form->Form_Load(); });
    form->showCentred();
    return form;
}

} // namespace varnelo
