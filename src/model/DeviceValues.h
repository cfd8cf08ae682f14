#pragma once
// Device-side integer helpers: 7-bit group packing and the byte tables the levels are sent as.
#include <array>
#include <cstddef>
#include <cstdint>

namespace NsStrata
{
/** Spreads d into 7-bit groups, group k in byte k (d = 200 gives 0x0148). */
uint32_t pack7BitGroups(uint32_t d);
/** Inverse of pack7BitGroups: joins the low 7 bits of each byte. */
uint32_t unpack7BitGroups(uint32_t g);

/** Index of the table entry nearest to v, by bisection; order 1 ascending, 0 descending, -1 detect. */
int nearestEntryIndex(uint8_t v, const uint8_t* table, int size, int order = -1);

template <std::size_t N> int nearestEntryIndex(uint8_t v, const std::array<uint8_t, N>& table, int order = -1)
{
    return nearestEntryIndex(v, table.data(), (int) N, order);
}

/** Microphone levels: -30 (off), then -18 to 60 dB in 3 dB steps. */
extern const std::array<uint8_t, 28> levelTable;
/** Output levels: 64 * 10^(dB/20) for off, -30 ... +6 dB. */
extern const std::array<uint8_t, 30> gainTable;
/** BGM levels on the Ardent: 0, 1, then the gain table from its second entry. */
extern const std::array<uint8_t, 31> bgmGainTable;

/** The entry at index i, 0 outside the table. */
template <std::size_t N> int tableEntry(const std::array<uint8_t, N>& table, int i)
{
    return (i >= 0 && i < (int) N) ? table[(std::size_t) i] : 0;
}
} // namespace NsStrata
