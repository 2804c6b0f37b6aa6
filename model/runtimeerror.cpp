// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtimeerror.h"

namespace varnelo {

RuntimeError::RuntimeError(int number)
    : m_number(number)
    , m_description(describe(number))
{
}

std::string_view RuntimeError::describe(int number) noexcept
{
    switch (number) {
    case Overflow:
        return "Overflow";
    case OutOfMemory:
        return "Out of memory";
    case SubscriptOutOfRange:
        return "Subscript out of range";
    case DivisionByZero:
        return "Division by zero";
    case InternalError:
        return "Internal error";
    case InvalidPropertyValue:
        return "Invalid property value";
    }
    return "Application-defined or object-defined error";
}

} // namespace varnelo
