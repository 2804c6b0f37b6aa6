// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_WASM
#include <emscripten.h>
#endif

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
#ifdef Q_OS_WASM
    // A browser cannot wait inside an event handler: without asyncify (which instruments much of Qt,
    // making the program markedly larger and slower) exec() returns at once. So the report opens without blocking and
    // ends the program when it is closed, and the handler's stack is abandoned on the spot, as the
    // desktop abandons it by ending the process: nothing after the error runs. A second error met
    // while the report is up (a repeating scroll arrow) only abandons its own stack.
    static bool reporting = false;
    if (!reporting) {
        reporting = true;
        auto *box = new QMessageBox(QMessageBox::Critical, QApplication::applicationName(),
                                    runtimeErrorText(error), QMessageBox::Ok);
        QObject::connect(box, &QDialog::finished, [] { emscripten_force_exit(EXIT_FAILURE); });
        box->open();
    }
    emscripten_exit_with_live_runtime();
#else
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), runtimeErrorText(error),
                    QMessageBox::Ok);
    box.exec();
    std::fflush(nullptr);
    // Handlers nest inside Qt's signal emissions; unwinding through them is not safe, and nothing is
    // left to save, so the process ends here.
    std::_Exit(EXIT_FAILURE);
#endif
}

} // namespace varnelo
