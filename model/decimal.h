// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string_view>

namespace varnelo {

// Reads a number written with exactly two decimals ("-12.34") as its count of hundredths divided
// once by 100.0. Below 2^53 hundredths the count is exact, and one correctly rounded division gives
// the double nearest to the decimal value: the same double std::from_chars returns. Used where the
// C++ library has no from_chars for double (WebAssembly); empty for any other text.
std::optional<double> readTwoDecimals(std::string_view text);

} // namespace varnelo
