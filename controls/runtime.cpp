// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

namespace varnelo {

void useRuntimeStyle()
{
    QApplication::setStyle(QStringLiteral("Fusion"));
}

QString runtimeErrorText(const RuntimeError &error)
{
    return QStringLiteral("Run-time error '%1':\n\n%2")
        .arg(error.number())
        .arg(QString::fromUtf8(error.description().data(), qsizetype(error.description().size())));
}

void reportRuntimeError(const RuntimeError &error)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), runtimeErrorText(error),
                    QMessageBox::Ok);
    box.exec();
    std::fflush(nullptr);
    // Handlers nest inside Qt's signal emissions; unwinding through them is not safe, and nothing is
    // left to save, so the process ends here.
    std::_Exit(EXIT_FAILURE);
}

} // namespace varnelo
