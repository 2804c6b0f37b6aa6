// SPDX-License-Identifier: GPL-3.0-or-later
#include "fractions.h"

#include "runtimeerror.h"

namespace varnelo {

void TempLimitTable::fill()
{
    for (std::size_t i = 0; i < Fractions.size(); ++i)
        m_slots[i] = Fractions[i].limit;
}

std::optional<std::int16_t> TempLimitTable::slot(int index) const
{
    if (index < 0 || index >= Slots)
        throw RuntimeError(RuntimeError::SubscriptOutOfRange);
    return m_slots[static_cast<std::size_t>(index)];
}

std::int16_t TempLimitTable::limit(int index) const
{
    return slot(index).value_or(0);
}

} // namespace varnelo
