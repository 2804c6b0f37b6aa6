// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace varnelo {

// A run-time error as the program reports it: a number and its standard description. The model
// raises it instead of producing NaN, infinity or a wrapped integer; the window's handlers let it
// through to the one error report, which ends the program.
class RuntimeError : public std::exception
{
public:
    enum Number : int {
        Overflow = 6,
        OutOfMemory = 7,
        SubscriptOutOfRange = 9,
        DivisionByZero = 11,
        InternalError = 51,
        InvalidPropertyValue = 380,
    };

    explicit RuntimeError(int number);

    int number() const noexcept { return m_number; }
    std::string_view description() const noexcept { return m_description; }
    const char *what() const noexcept override { return m_description.c_str(); }

    // The standard description of an error number, or "Application-defined or object-defined
    // error" for a number without one.
    static std::string_view describe(int number) noexcept;

private:
    int m_number;
    std::string m_description;
};

} // namespace varnelo
