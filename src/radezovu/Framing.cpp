#include "radezovu/Framing.h"

#include <cstring>

namespace RadezOvuFraming
{
void writeRequestHeader(uint8_t* out, uint16_t request, uint32_t payloadBytes, uint32_t blockBytes,
                        uint32_t blockCount)
{
    static const uint8_t magic[4] = {0x42, 0x55, 0x62, 0x75};
    std::memcpy(out, magic, 4);
    putWord(out + 4, static_cast<uint16_t>(blockBytes));
    putWord(out + 6, static_cast<uint16_t>(blockCount));
    putWord(out + 8, request);
    putWord(out + 10, static_cast<uint16_t>(payloadBytes / 2));
    std::memset(out + 12, 0, 4);
}

uint16_t replyStatusOf(const uint8_t* firstRead, uint32_t n)
{
    return n >= 8 ? readWord(firstRead + 6) : 0;
}

static bool isLongForm(const uint8_t* reply, uint32_t bytes)
{
    // The length word must have arrived whole before it can be believed.
    return bytes >= longFormHeaderBytes && readWord(reply + 2) == longFormTag;
}

uint32_t expectedReplyBytes(const uint8_t* firstRead, uint32_t n)
{
    if (isLongForm(firstRead, n))
        return longFormHeaderBytes + 2u * readWord(firstRead + 8);
    return n;
}

uint32_t replyLengthOf(const uint8_t* reply, uint32_t replyWords)
{
    if (replyWords < 4)
        return 0;
    const uint16_t tag = readWord(reply + 2);
    if (tag == longFormTag)
        return isLongForm(reply, replyWords * 2) ? readWord(reply + 8) : 0;
    if (tag == shortFormTag)
        return replyWords - 4;
    return 0;
}

uint32_t replyDataOffset(const uint8_t* reply, uint32_t replyWords)
{
    return isLongForm(reply, replyWords * 2) ? longFormHeaderBytes : shortFormHeaderBytes;
}
} // namespace RadezOvuFraming
