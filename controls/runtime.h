// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtimeerror.h"

#include <QObject>
#include <QString>

#include <new>
#include <utility>

namespace varnelo {

// The controls' one style on every desktop: a trough click steps by LargeChange, as designed, and the
// arrows, trough and thumb have the same rectangles everywhere. Call before any control is made.
void useRuntimeStyle();

// The standard text of the run-time error report, e.g. "Run-time error '11':\n\nDivision by zero".
QString runtimeErrorText(const RuntimeError &error);

// Shows the report as one modal message titled with the program's name, then ends the program with
// a non-zero exit status. The program has no state worth unwinding for, so it stops on the spot.
[[noreturn]] void reportRuntimeError(const RuntimeError &error);

// Every event handler runs inside this trap, so no exception ever reaches Qt's event loop.
template<typename Handler>
void trap(Handler &&handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (const RuntimeError &error) {
        reportRuntimeError(error);
    } catch (const std::bad_alloc &) {
        reportRuntimeError(RuntimeError(RuntimeError::OutOfMemory));
    } catch (...) {
        reportRuntimeError(RuntimeError(RuntimeError::InternalError));
    }
}

// Routes a control's signal to a form's handler through the trap, by function pointer.
template<typename Sender, typename Signal, typename Form>
QMetaObject::Connection route(Sender *sender, Signal signal, Form *form, void (Form::*handler)())
{
    return QObject::connect(sender, signal, form, [form, handler] { trap([&] { (form->*handler)(); }); });
}

} // namespace varnelo
