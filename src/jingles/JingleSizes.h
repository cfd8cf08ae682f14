#pragma once
// The process-wide record of how much of the device's jingle memory each slot's stored file takes.
#include <array>
#include <cstdint>

namespace NsStrata
{
constexpr int jingleSlotCount = 9;
/** The device's jingle memory, shared by the nine slots: 15 MiB. */
constexpr int32_t jingleMemoryBytes = 15 * 1024 * 1024;

/** Sizes in bytes of the stored jingle files, slot 1 to 9; 0 for an empty slot. Message thread only. */
class JingleSizes
{
public:
    /** 0 for a slot outside 1..9. */
    int32_t size(int slot) const;
    /** Ignored for a slot outside 1..9. */
    void set(int slot, int32_t bytes);
    /** The memory left for a file in this slot: the capacity less what the other eight slots take. */
    int32_t memoryLeft(int slot) const;
    void reset();

private:
    std::array<int32_t, jingleSlotCount> sizes{};
};

JingleSizes& jingleSizes();
} // namespace NsStrata
