// libFuzzer target: any bytes as one message from the device, through the decoding alone (no tree, no
// hand-off, no copying), so that it runs fast enough to reach the deep cases. What comes out is checked
// against the shapes the bytes have: the kind told by the length and the fixed bytes, and every field read
// from where it lies. fuzz_midi_in drives the applying into the state tree beside it.
#include "device/IncomingMessage.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace
{
using namespace NsStrata;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The kind the bytes call for, worked out apart from the decoder.
IncomingKind expectedKind(const uint8_t* b, std::size_t size)
{
    const auto bytesAre = [&](std::size_t from, std::initializer_list<uint8_t> expected)
    { return std::equal(expected.begin(), expected.end(), b + from); };
    switch (size)
    {
    case 10:
        return IncomingKind::value7;
    case 12:
        return IncomingKind::value14;
    case 14:
        return IncomingKind::value28;
    case 17:
        return bytesAre(1, {0x7E, 0x7F, 0x06, 0x02, 0x00, 0x02, 0x4E}) ? IncomingKind::identityReply
                                                                       : IncomingKind::ignored;
    case 21:
        return bytesAre(1, {0x00, 0x02, 0x4E}) && bytesAre(6, {0x7F, 0x7F}) ? IncomingKind::meterReply
                                                                            : IncomingKind::ignored;
    default:
        break;
    }
    if (size >= 22 && size <= 28)
        return bytesAre(6, {0x7C, 0x02}) ? IncomingKind::statusBlock : IncomingKind::ignored;
    if (size >= 29)
        return bytesAre(6, {0x7C, 0x01}) ? IncomingKind::modeBlock : IncomingKind::ignored;
    return IncomingKind::ignored;
}

void checkFields(const IncomingMessage& m, const uint8_t* b, std::size_t size)
{
    switch (m.kind)
    {
    case IncomingKind::ignored:
        require(m == IncomingMessage{});
        return;
    case IncomingKind::identityReply:
        require(m.model == b[10] * 128 + b[11] && std::equal(m.version.begin(), m.version.end(), b + 12));
        require(m.address == 0 && m.raw == 0 && m.fields.empty());
        return;
    default:
        break;
    }
    require(m.model == b[4] * 128 + b[5] && m.address == b[6] * 256 + b[7]);
    switch (m.kind)
    {
    case IncomingKind::value7:
        require(m.raw == b[8]);
        break;
    case IncomingKind::value14:
        require(m.raw == uint32_t(b[9]) * 128 + b[10]);
        break;
    case IncomingKind::value28:
        require(m.raw == ((uint32_t(b[9]) * 128 + b[10]) * 128 + b[11]) * 128 + b[12]);
        break;
    case IncomingKind::meterReply:
        require(m.raw == b[18]);
        break;
    default:
    {
        // Blocks: every byte from 9 on, and a field count that never reaches past them.
        require(m.fields.size() == size - 9 && std::equal(m.fields.begin(), m.fields.end(), b + 9));
        require(m.fieldCount == std::min<int>(b[8], int(size) - 10));
        const auto mode = decodeModeByte(m.fields[0]);
        require(mode.mode >= 1 && mode.mode <= 5);
        require(mode.mode >= 4 ? (mode.basedOn >= 1 && mode.basedOn <= 4) : mode.basedOn == 0);
        return;
    }
    }
    require(m.fields.empty() && m.fieldCount == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The decoder reads only the bytes it is given, and reads them the same way every time.
    const auto m = decodeIncoming(data, size);
    require(m.kind == expectedKind(data, size));
    checkFields(m, data, size);
    require(decodeIncoming(MidiBytes(data, data + size)) == m);
    return 0;
}
