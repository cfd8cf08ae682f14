#include "DeviceValues.h"

namespace NsStrata
{
uint32_t pack7BitGroups(uint32_t d)
{
    uint32_t g = 0;
    for (int k = 0; k < 4 && d != 0; ++k, d >>= 7)
        g |= (d & 0x7Fu) << (8 * k);
    return g;
}

uint32_t unpack7BitGroups(uint32_t g)
{
    uint32_t d = 0;
    for (int k = 3; k >= 0; --k)
        d = (d << 7) | ((g >> (8 * k)) & 0x7Fu);
    return d;
}

int nearestEntryIndex(uint8_t v, const uint8_t* table, int size, int order)
{
    if (size <= 0)
        return 0;
    const int first = table[0], last = table[size - 1];
    if (order == -1)
        order = last >= first ? 1 : 0;

    int lo = 0, hi = size - 1, mid = hi / 2;
    while (mid > lo && mid < hi)
    {
        const bool left = order == 1 ? v < table[mid] : v >= table[mid];
        (left ? hi : lo) = mid;
        mid = (lo + hi) / 2;
    }
    const float m = (float(table[lo]) + float(table[hi])) / 2.0f;
    if (order == 1)
        return m > float(v) ? lo : hi;
    return float(v) >= m ? lo : hi;
}

static std::array<uint8_t, 28> makeLevelTable()
{
    std::array<uint8_t, 28> t{};
    t[0] = 0;
    t[1] = 1;
    for (std::size_t i = 2; i < t.size(); ++i)
        t[i] = uint8_t(4 + 3 * (i - 2));
    return t;
}

const std::array<uint8_t, 28> levelTable = makeLevelTable();
const std::array<uint8_t, 30> gainTable = {0,  2,  3,  4,  6,  8,  9,  10, 11, 13, 14, 16, 18,  20,  23,
                                           25, 29, 32, 36, 40, 45, 51, 57, 64, 72, 81, 90, 101, 114, 127};
const std::array<uint8_t, 31> bgmGainTable = {0,  1,  2,  3,  4,  6,  8,   9,   10, 11, 13,
                                              14, 16, 18, 20, 23, 25, 29,  32,  36, 40, 45,
                                              51, 57, 64, 72, 81, 90, 101, 114, 127};
} // namespace NsStrata
