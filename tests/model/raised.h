// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtimeerror.h"

#include <functional>
#include <optional>

// A call into the model, kept in a test table so that a failure case is one row.
using Call = std::function<void()>;

// The RuntimeError the call throws, or nothing if it returns normally.
inline std::optional<varnelo::RuntimeError> raised(const Call &call)
{
    try {
        call();
    } catch (const varnelo::RuntimeError &error) {
        return error;
    }
    return std::nullopt;
}
