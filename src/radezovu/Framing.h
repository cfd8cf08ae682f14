#pragma once
// The bytes of an exchange with the DSP: the 16-byte request header and the long and short reply forms.
// Pure functions on bytes, shared by every transport.
#include <cstdint>

namespace RadezOvuFraming
{
constexpr uint32_t headerBytes = 16;
constexpr uint32_t maxPayloadBytes = 128;
constexpr uint32_t firstReadBytes = 512;
constexpr uint16_t longFormTag = 0x7453;  // "St"
constexpr uint16_t shortFormTag = 0x7473; // "st"
constexpr uint32_t longFormHeaderBytes = 10;
constexpr uint32_t shortFormHeaderBytes = 8;

inline uint16_t readWord(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline void putWord(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

/** Writes the 16-byte header of a request; block size and count must fit in 16 bits. */
void writeRequestHeader(uint8_t* out, uint16_t request, uint32_t payloadBytes, uint32_t blockBytes,
                        uint32_t blockCount);

/** The reply status carried in the first read of n bytes (0 when it is too short to carry one, which a caller
    must treat as a failed exchange). */
uint16_t replyStatusOf(const uint8_t* firstRead, uint32_t n);

/** The whole length of a reply whose first read delivered n bytes: the long form announces its length,
    every other reply is what arrived. */
uint32_t expectedReplyBytes(const uint8_t* firstRead, uint32_t n);

/** Data length in words of a complete reply of replyWords words. */
uint32_t replyLengthOf(const uint8_t* reply, uint32_t replyWords);

/** Offset of the data in a complete reply of replyWords words. */
uint32_t replyDataOffset(const uint8_t* reply, uint32_t replyWords);
} // namespace RadezOvuFraming
