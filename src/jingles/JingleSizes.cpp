#include "JingleSizes.h"

#include <algorithm>
#include <limits>

namespace NsStrata
{
static bool validSlot(int slot)
{
    return slot >= 1 && slot <= jingleSlotCount;
}

int32_t JingleSizes::size(int slot) const
{
    return validSlot(slot) ? sizes[(size_t) slot - 1] : 0;
}

void JingleSizes::set(int slot, int32_t bytes)
{
    if (validSlot(slot))
        sizes[(size_t) slot - 1] = bytes;
}

int32_t JingleSizes::memoryLeft(int slot) const
{
    // Summed wide: nine sizes near the 32-bit limit (files put in the library by hand) must not wrap.
    int64_t left = jingleMemoryBytes;
    for (int s = 1; s <= jingleSlotCount; ++s)
        if (s != slot)
            left -= size(s);
    return (int32_t) std::clamp<int64_t>(left, std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max());
}

void JingleSizes::reset()
{
    sizes.fill(0);
}

JingleSizes& jingleSizes()
{
    static JingleSizes instance;
    return instance;
}
} // namespace NsStrata
