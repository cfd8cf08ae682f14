#include "radezovu/FlashProgrammerCore.h"

#include "radezovu/Framing.h"

#include <cstring>

using RadezOvuFraming::putWord;
using RadezOvuFraming::readWord;

namespace
{
constexpr uint32_t layoutHeaderBytes = 8;
constexpr uint32_t longRecordBytes = 24;
constexpr uint32_t shortRecordBytes = 16;
constexpr uint32_t nameBytes = 12;
} // namespace

RadezOvu::FlashProgrammer* RadezOvuCore::openProgrammer(UsbDevice* device)
{
    if (device == nullptr)
        return nullptr;
    // The list of supported requests changes nothing here, but the device expects to be asked first.
    device->transact(FlashProgrammer_Core::requestList, nullptr, 0, nullptr, 0, 0);

    uint8_t one[2];
    putWord(one, 1);
    if (!device->transact(FlashProgrammer_Core::requestLayout, one, sizeof(one), nullptr, 0, 0))
        return nullptr;
    return FlashProgrammer_Core::fromLayout(*device, device->replyData(), 2 * device->replyLength());
}

RadezOvuCore::FlashProgrammer_Core::FlashProgrammer_Core(RadezOvu::UsbDevice& device, uint32_t pageSize)
    : device_(device), keepDevice(retainRef(&device)), pageSize_(pageSize)
{
}

RadezOvuCore::FlashProgrammer_Core::~FlashProgrammer_Core() = default;

RadezOvuCore::FlashProgrammer_Core*
RadezOvuCore::FlashProgrammer_Core::fromLayout(RadezOvu::UsbDevice& device, const uint8_t* data,
                                               uint32_t bytes)
{
    if (data == nullptr || bytes < layoutHeaderBytes)
        return nullptr;
    const uint32_t pageSize = readWord(data);
    const uint32_t count = readWord(data + 2);
    const uint16_t format = readWord(data + 4);

    uint32_t recordBytes = 0;
    if (format == 1)
        recordBytes = longRecordBytes;
    else if (format == 0)
        recordBytes = shortRecordBytes;
    else
        return nullptr;
    if (bytes != layoutHeaderBytes + recordBytes * count)
        return nullptr;

    std::unique_ptr<FlashProgrammer_Core> programmer(new FlashProgrammer_Core(device, pageSize));
    programmer->ranges.reserve(count);
    const uint8_t* record = data + layoutHeaderBytes;
    for (uint32_t i = 0; i < count; ++i, record += recordBytes)
    {
        const uint32_t start = static_cast<uint32_t>(readWord(record)) << 16;
        const uint32_t end = static_cast<uint32_t>(readWord(record + 2)) << 16;
        const uint32_t extra = format == 1 ? readWord(record + 4) : 0;
        const uint8_t* name = record + (format == 1 ? 12 : 4);
        programmer->ranges.emplace_back(new RangeInfo_Core(*programmer, start, end, extra, name));
    }
    return programmer.release();
}

RadezOvu::FlashProgrammer::RangeInfo* RadezOvuCore::FlashProgrammer_Core::range(uint32_t index)
{
    return index < ranges.size() ? ranges[index].get() : nullptr;
}

bool RadezOvuCore::FlashProgrammer_Core::finish()
{
    return device_.transact(requestFinish, nullptr, 0, nullptr, 0, 0);
}

bool RadezOvuCore::FlashProgrammer_Core::command(uint16_t code, DspCommandMessage& message)
{
    // The value goes out high half first and comes back low half first.
    uint8_t payload[commandPayloadBytes];
    putWord(payload, code);
    putWord(payload + 2, message.status);
    putWord(payload + 4, message.delay);
    putWord(payload + 6, static_cast<uint16_t>(message.value >> 16));
    putWord(payload + 8, static_cast<uint16_t>(message.value & 0xFFFF));
    std::memcpy(payload + 10, message.text, sizeof(message.text));
    if (!device_.transact(requestCommand, payload, sizeof(payload), nullptr, 0, 0))
        return false;

    const uint16_t status = device_.replyStatus();
    if (status == 0)
        return true;
    if (status != 1 || device_.replyLength() != commandReplyWords)
        return false;
    const uint8_t* reply = device_.replyData();
    message.status = readWord(reply);
    message.delay = readWord(reply + 2);
    message.value = readWord(reply + 4) | (static_cast<uint32_t>(readWord(reply + 6)) << 16);
    std::memcpy(message.text, reply + 8, sizeof(message.text));
    return true;
}

RadezOvuCore::FlashProgrammer_Core::RangeInfo_Core::RangeInfo_Core(FlashProgrammer_Core& owner,
                                                                   uint32_t start, uint32_t end,
                                                                   uint32_t extra, const uint8_t* nameField)
    : programmer(owner), start_(start), end_(end), extra_(extra)
{
    for (uint32_t i = 0; i < nameBytes && nameField[i] != 0; ++i)
        name_[i] = static_cast<char>(nameField[i]);
}

bool RadezOvuCore::FlashProgrammer_Core::RangeInfo_Core::begin(uint32_t address)
{
    uint8_t payload[4];
    putWord(payload, static_cast<uint16_t>(address & 0xFFFF));
    putWord(payload + 2, static_cast<uint16_t>(address >> 16));
    return programmer.device().transact(requestBegin, payload, sizeof(payload), nullptr, 0, 0);
}

bool RadezOvuCore::FlashProgrammer_Core::RangeInfo_Core::writePages(const void* buffer, uint32_t pageSize,
                                                                    uint32_t pageCount)
{
    if (pageSize != programmer.pageSize())
        return false;
    return programmer.device().transact(requestWritePages, nullptr, 0, buffer, pageSize * 2, pageCount);
}

bool RadezOvuCore::FlashProgrammer_Core::RangeInfo_Core::end()
{
    return programmer.device().transact(requestEnd, nullptr, 0, nullptr, 0, 0);
}
