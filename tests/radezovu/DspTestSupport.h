#pragma once
// Small helpers for the RadezOvu tests: an opened device over an emulated DSP, and byte builders for replies.
#include "sim/VirtualDspUsb.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace DspTest
{
/** A device over a fresh chip; the time limit is short because a silent chip waits it out for real. */
struct OpenedDsp
{
    explicit OpenedDsp(NsStrata::VirtualDsp::Config config = NsStrata::VirtualDsp::Config{})
        : chip(std::make_shared<NsStrata::VirtualDsp>(std::move(config))),
          device(new NsStrata::VirtualDspDevice(chip))
    {
        device->setTransferTimeoutMs(50);
    }

    std::shared_ptr<NsStrata::VirtualDsp> chip;
    RadezOvuRef<NsStrata::VirtualDspDevice> device;
};

inline void putWord(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

/** A long-form reply with `words` data words counting up from 0x0100; `announced` overrides the length word.
 */
inline std::vector<uint8_t> longReply(uint16_t status, uint16_t words, int announced = -1)
{
    std::vector<uint8_t> r{0xAA, 0xAA, 0x53, 0x74, 0xBB, 0xBB};
    putWord(r, status);
    putWord(r, static_cast<uint16_t>(announced < 0 ? words : announced));
    for (uint16_t i = 0; i < words; ++i)
        putWord(r, static_cast<uint16_t>(0x0100 + i));
    return r;
}

/** A short-form reply whose data words count up from 0x0100. */
inline std::vector<uint8_t> shortReply(uint16_t status, uint16_t words)
{
    std::vector<uint8_t> r{0xAA, 0xAA, 0x73, 0x74, 0xBB, 0xBB};
    putWord(r, status);
    for (uint16_t i = 0; i < words; ++i)
        putWord(r, static_cast<uint16_t>(0x0100 + i));
    return r;
}

inline uint16_t wordAt(const uint8_t* p, size_t i)
{
    return static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8));
}

/** Commands 1, 2, 3 and 8 as a transfer runs them, so that the chip takes a write sequence of `bytes` bytes
    into the range that starts at `start`. */
inline bool announce(RadezOvu::FlashProgrammer& programmer, uint32_t start, uint32_t bytes)
{
    DspCommandMessage one, two, three, eight;
    if (!programmer.command(1, one))
        return false;
    two.value = one.value;
    three.value = start;
    eight.value = bytes;
    return programmer.command(2, two) && programmer.command(3, three) && programmer.command(8, eight);
}
} // namespace DspTest
