// SPDX-License-Identifier: GPL-3.0-or-later
#include "decimal.h"

#include <cstdint>

namespace varnelo {

std::optional<double> readTwoDecimals(std::string_view text)
{
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    if (text.size() < 4 || text[text.size() - 3] != '.')
        return std::nullopt;

    constexpr std::uint64_t exactLimit = std::uint64_t(1) << 53;
    std::uint64_t hundredths = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i == text.size() - 3)
            continue;
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        hundredths = hundredths * 10 + std::uint64_t(c - '0');
        if (hundredths >= exactLimit)
            return std::nullopt;
    }
    const double value = double(hundredths) / 100.0;
    return negative ? -value : value;
}

} // namespace varnelo
