#pragma once
// Decoding what the device sends: the shape of a message, told by its length and a few fixed bytes, and the
// fields it carries. Pure: no tree, no clock, safe on the MIDI thread.
#include "MidiBytes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace NsStrata
{
enum class IncomingKind : uint8_t
{
    ignored,
    identityReply,
    value7,
    value14,
    value28,
    meterReply,
    statusBlock,
    modeBlock,
};

/** One decoded message. Which fields mean something depends on the kind. */
struct IncomingMessage
{
    IncomingKind kind = IncomingKind::ignored;
    int model = 0;                       // model number the message names
    int address = 0;                     // A1 * 256 + A0 (values and blocks)
    uint32_t raw = 0;                    // joined value; the level byte of a meter reply
    std::array<uint8_t, 4> version = {}; // software revision bytes of an identity reply
    int fieldCount = 0;                  // n: field bytes a block declares, limited to what it holds
    MidiBytes fields;                    // blocks: the bytes from byte 9 to the end

    bool operator==(const IncomingMessage& other) const;
    bool operator!=(const IncomingMessage& other) const { return !(*this == other); }
};

IncomingMessage decodeIncoming(const uint8_t* data, std::size_t size);
inline IncomingMessage decodeIncoming(const MidiBytes& bytes)
{
    return decodeIncoming(bytes.data(), bytes.size());
}

/** What byte 9 of a block says: the mode id, and for the user modes the factory mode they are based on. */
struct ModeByte
{
    int mode = 1;
    int basedOn = 0; // 1..4 for modes 4 and 5, else 0

    bool operator==(const ModeByte& other) const { return mode == other.mode && basedOn == other.basedOn; }
};

ModeByte decodeModeByte(uint8_t b9);
} // namespace NsStrata
