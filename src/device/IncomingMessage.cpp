#include "IncomingMessage.h"

#include "model/Modes.h"

#include <algorithm>

namespace NsStrata
{
bool IncomingMessage::operator==(const IncomingMessage& other) const
{
    return kind == other.kind && model == other.model && address == other.address && raw == other.raw &&
           version == other.version && fieldCount == other.fieldCount && fields == other.fields;
}

ModeByte decodeModeByte(uint8_t b9)
{
    const int code = b9 < 3 ? b9 : (b9 & 0x0C);
    ModeByte result;
    const int mode = modeIdForCode(code);
    result.mode = mode != 0 ? mode : 2;
    if (isUserMode(result.mode))
        result.basedOn = (b9 & 3) + 1;
    return result;
}

IncomingMessage decodeIncoming(const uint8_t* b, std::size_t size)
{
    IncomingMessage m;
    if (b == nullptr)
        return m;

    if (size == 17)
    {
        const bool identity = b[1] == 0x7E && b[2] == 0x7F && b[3] == 0x06 && b[4] == 0x02 && b[5] == 0x00 &&
                              b[6] == 0x02 && b[7] == 0x4E;
        if (identity)
        {
            m.kind = IncomingKind::identityReply;
            m.model = b[10] * 128 + b[11];
            std::copy(b + 12, b + 16, m.version.begin());
        }
        return m;
    }
    if (size < 10 || size == 11 || size == 13 || (size > 14 && size < 21))
        return m;

    m.model = b[4] * 128 + b[5];
    m.address = b[6] * 256 + b[7];
    switch (size)
    {
    case 10:
        m.kind = IncomingKind::value7;
        m.raw = b[8];
        return m;
    case 12:
        m.kind = IncomingKind::value14;
        m.raw = uint32_t(b[9]) * 128 + b[10];
        return m;
    case 14:
        m.kind = IncomingKind::value28;
        m.raw = ((uint32_t(b[9]) * 128 + b[10]) * 128 + b[11]) * 128 + b[12];
        return m;
    case 21:
        if (b[1] == 0x00 && b[2] == 0x02 && b[3] == 0x4E && b[6] == 0x7F && b[7] == 0x7F)
        {
            m.kind = IncomingKind::meterReply;
            m.raw = b[18];
        }
        else
        {
            m = {};
        }
        return m;
    default:
        break;
    }

    const bool status = size <= 28;
    if (b[6] != 0x7C || b[7] != (status ? 0x02 : 0x01))
        return {};
    m.kind = status ? IncomingKind::statusBlock : IncomingKind::modeBlock;
    m.fieldCount = std::min<int>(b[8], int(size) - 10);
    m.fields.assign(b + 9, b + size);
    return m;
}
} // namespace NsStrata
