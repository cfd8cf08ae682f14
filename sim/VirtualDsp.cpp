#include "VirtualDsp.h"

#include "radezovu/FlashProgrammerCore.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace NsStrata
{
namespace
{
// The requests the programmer sends; the emulation answers the same codes.
using Programmer = RadezOvuCore::FlashProgrammer_Core;
constexpr uint16_t commandFinished = DspCommandMessage::finished;

uint16_t word(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void append(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

std::vector<uint8_t> replyHeader(char tag0, char tag1, uint16_t status)
{
    std::vector<uint8_t> out{0, 0, static_cast<uint8_t>(tag0), static_cast<uint8_t>(tag1), 0, 0};
    append(out, status);
    return out;
}
} // namespace

std::vector<VirtualDsp::Range> VirtualDsp::defaultRanges()
{
    std::vector<Range> ranges;
    for (uint16_t i = 0; i < 9; ++i)
    {
        const auto start = static_cast<uint16_t>(0x0010 + 0x0080 * i);
        ranges.push_back({start, static_cast<uint16_t>(start + 0x0078), static_cast<uint16_t>(i + 1),
                          "JINGLE " + std::to_string(i + 1)});
    }
    return ranges;
}

VirtualDsp::VirtualDsp() : VirtualDsp(Config{}) {}

VirtualDsp::VirtualDsp(Config config)
    : config_(std::move(config)), flash(config_.ranges.size()), startMs(nowMs())
{
}

double VirtualDsp::nowMs() const
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void VirtualDsp::setBusy(uint16_t code, int polls, uint16_t delayMs, uint16_t busyStatus)
{
    busy[code] = {polls, delayMs, busyStatus};
}

void VirtualDsp::injectFault(Fault fault, uint16_t request, int skip)
{
    faults.push_back({fault, request, skip});
}

void VirtualDsp::setRawReply(std::vector<uint8_t> bytes)
{
    rawReply = std::move(bytes);
    haveRawReply = true;
}

void VirtualDsp::clearLog()
{
    requests_.clear();
    transfers_.clear();
    commands_.clear();
    pageWrites_.clear();
}

bool VirtualDsp::takeFault(Fault fault, uint16_t request)
{
    for (auto it = faults.begin(); it != faults.end(); ++it)
    {
        if (it->fault != fault || it->request != request)
            continue;
        if (it->skip-- > 0)
            continue;
        faults.erase(it);
        return true;
    }
    return false;
}

void VirtualDsp::refuse(const std::string& why)
{
    ++protocolErrors_;
    lastProtocolError_ = why;
    reply(statusRefused);
    replyReady = true;
}

bool VirtualDsp::receive(const uint8_t* data, uint32_t bytes)
{
    if (recording)
        transfers_.emplace_back(data, data + bytes);
    if (blocksLeft == 0)
        return receiveHeader(data, bytes);
    receiveBlock(data, bytes);
    return true;
}

bool VirtualDsp::receiveHeader(const uint8_t* data, uint32_t bytes)
{
    static const uint8_t magic[4] = {0x42, 0x55, 0x62, 0x75};
    pending.clear();
    pendingAt = 0;
    replyReady = false;
    silent = false;
    if (bytes < 16 || std::memcmp(data, magic, 4) != 0)
    {
        refuse("request without header");
        return true;
    }
    current = Request{word(data + 8), {}, word(data + 4), word(data + 6)};
    if (requestHook)
        requestHook(current.code);
    if (takeFault(Fault::failWrite, current.code))
        return false;

    const uint32_t payloadBytes = 2u * word(data + 10);
    if (bytes != 16 + payloadBytes || payloadBytes > sizeof(currentRaw))
    {
        refuse("payload length does not match the header");
        return true;
    }
    std::memcpy(currentRaw, data + 16, payloadBytes);
    for (uint32_t i = 0; i < payloadBytes; i += 2)
        current.payload.push_back(word(data + 16 + i));
    requests_.push_back(current);

    if (current.code == Programmer::requestWritePages)
    {
        if (current.blockBytes != 2u * config_.pageSize && current.blockCount > 0)
        {
            refuse("page write with a block size other than the page size");
            return true;
        }
        pageWrites_.push_back(current.blockCount);
        if (writeRange < 0 && current.blockCount > 0)
        {
            refuse("page write outside begin and end");
            return true;
        }
    }
    blocksLeft = current.blockCount;
    if (blocksLeft == 0)
        answer();
    return true;
}

void VirtualDsp::receiveBlock(const uint8_t* data, uint32_t bytes)
{
    --blocksLeft;
    if (bytes != current.blockBytes)
    {
        ++protocolErrors_;
        lastProtocolError_ = "data block of the wrong size";
    }
    else if (current.code == Programmer::requestWritePages && writeRange >= 0)
    {
        const uint32_t words = bytes / 2;
        const auto& range = config_.ranges[static_cast<size_t>(writeRange)];
        if (writeAddress + words > static_cast<uint32_t>(range.endHigh) << 16)
        {
            ++protocolErrors_;
            lastProtocolError_ = "page write past the end of the range";
        }
        else
        {
            std::memcpy(flashAt(writeAddress), data, bytes);
            writeAddress += words;
        }
    }
    if (blocksLeft == 0)
        answer();
}

void VirtualDsp::answer()
{
    if (haveRawReply)
    {
        pending = std::move(rawReply);
        haveRawReply = false;
    }
    else
    {
        const auto& payload = current.payload;
        switch (current.code)
        {
        case Programmer::requestList:
        {
            std::vector<uint8_t> records;
            for (uint16_t code :
                 {Programmer::requestList, Programmer::requestLayout, Programmer::requestBegin,
                  Programmer::requestEnd, Programmer::requestWritePages, Programmer::requestFinish,
                  Programmer::requestCommand})
            {
                append(records, code);
                append(records, 0);
            }
            replyShort(statusOk, records);
            break;
        }
        case Programmer::requestLayout:
        {
            if (payload.size() != 1 || payload[0] != 1)
            {
                refuse("layout request without its argument");
                break;
            }
            std::vector<uint8_t> layout;
            append(layout, config_.pageSize);
            append(layout, static_cast<uint16_t>(config_.ranges.size()));
            append(layout, config_.longRecords ? 1 : 0);
            append(layout, 0);
            for (const auto& range : config_.ranges)
            {
                append(layout, range.startHigh);
                append(layout, range.endHigh);
                if (config_.longRecords)
                {
                    append(layout, range.extra);
                    layout.insert(layout.end(), 6, 0);
                }
                for (size_t i = 0; i < 12; ++i)
                    layout.push_back(i < range.name.size() ? static_cast<uint8_t>(range.name[i]) : 0);
            }
            replyLong(statusOk, layout);
            break;
        }
        case Programmer::requestBegin:
        {
            const uint32_t address =
                payload.size() == 2 ? payload[0] | (static_cast<uint32_t>(payload[1]) << 16) : 0;
            writeRange = payload.size() == 2 ? rangeOf(address) : -1;
            writeAddress = address;
            if (writeRange < 0)
                refuse("begin outside every range");
            else
                reply(statusOk);
            break;
        }
        case Programmer::requestEnd:
            writeRange = -1;
            reply(statusOk);
            break;
        case Programmer::requestWritePages:
            reply(statusOk);
            break;
        case Programmer::requestFinish:
            ++finishCount_;
            reply(statusOk);
            break;
        case Programmer::requestCommand:
            if (payload.size() != 37)
                refuse("command of the wrong length");
            else
                answerCommand(payload, currentRaw);
            break;
        default:
            ++protocolErrors_;
            lastProtocolError_ = "unknown request";
            reply(statusUnknown);
        }
    }

    replyReady = true;
    if (takeFault(Fault::noReply, current.code))
        silent = true;
    else if (takeFault(Fault::shortReply, current.code))
        pending.resize(std::max<size_t>(pending.size() / 2, 4));
}

void VirtualDsp::answerCommand(const std::vector<uint16_t>& payload, const uint8_t* raw)
{
    Command command{payload[0], payload[1],
                    payload[2], (static_cast<uint32_t>(payload[3]) << 16) | payload[4],
                    {},         nowMs() - startMs};
    const uint8_t* text = raw + 10;
    command.text.assign(reinterpret_cast<const char*>(text),
                        strnlen(reinterpret_cast<const char*>(text), 64));
    commands_.push_back(command);

    auto b = busy.find(command.code);
    if (b != busy.end() && b->second.polls != 0)
    {
        if (b->second.polls > 0)
            --b->second.polls;
        replyCommand(b->second.status, b->second.delay, command.value, text);
        return;
    }

    switch (command.code)
    {
    case 1:
        replyCommand(commandFinished, 0, sessionToken, text);
        break;
    case 2:
        if (command.value == sessionToken)
            reply(statusDone);
        else
            refuse("command 2 without the value of command 1");
        break;
    case 3:
        if (rangeOf(command.value) < 0 || (command.value & 0xFFFF) != 0)
        {
            refuse("command 3 with an address that starts no range");
            break;
        }
        announcedStart_ = command.value;
        replyCommand(commandFinished, 0, command.value, text);
        break;
    case 8:
        announcedSize_ = command.value;
        announcedName_ = command.text;
        reply(statusDone);
        break;
    default:
        ++protocolErrors_;
        lastProtocolError_ = "unknown command";
        reply(statusUnknown);
    }
}

void VirtualDsp::reply(uint16_t status)
{
    pending = replyHeader('O', 'K', status);
}

void VirtualDsp::replyLong(uint16_t status, const std::vector<uint8_t>& data)
{
    pending = replyHeader('S', 't', status);
    append(pending, static_cast<uint16_t>(data.size() / 2));
    pending.insert(pending.end(), data.begin(), data.end());
}

void VirtualDsp::replyShort(uint16_t status, const std::vector<uint8_t>& data)
{
    pending = replyHeader('s', 't', status);
    pending.insert(pending.end(), data.begin(), data.end());
}

void VirtualDsp::replyCommand(uint16_t status, uint16_t delay, uint32_t value, const uint8_t* text)
{
    // The value comes back low half first.
    std::vector<uint8_t> data;
    append(data, status);
    append(data, delay);
    append(data, static_cast<uint16_t>(value & 0xFFFF));
    append(data, static_cast<uint16_t>(value >> 16));
    data.insert(data.end(), text, text + 64);
    replyLong(statusOk, data);
}

bool VirtualDsp::deliver(uint8_t* data, uint32_t maxBytes, uint32_t& got)
{
    // An empty reply is handed out once, as a zero-length packet.
    got = 0;
    if (silent || !replyReady)
        return false;
    got = static_cast<uint32_t>(std::min<size_t>(maxBytes, pending.size() - pendingAt));
    if (got > 0)
        std::memcpy(data, pending.data() + pendingAt, got);
    pendingAt += got;
    replyReady = pendingAt < pending.size();
    return true;
}

int VirtualDsp::rangeOf(uint32_t wordAddress) const
{
    for (size_t i = 0; i < config_.ranges.size(); ++i)
    {
        const auto& r = config_.ranges[i];
        if (wordAddress >= static_cast<uint32_t>(r.startHigh) << 16 &&
            wordAddress < static_cast<uint32_t>(r.endHigh) << 16)
            return static_cast<int>(i);
    }
    return -1;
}

uint8_t* VirtualDsp::flashAt(uint32_t wordAddress)
{
    const int index = rangeOf(wordAddress);
    const auto& range = config_.ranges[static_cast<size_t>(index)];
    auto& memory = flash[static_cast<size_t>(index)];
    if (memory.empty())
        memory.assign((static_cast<size_t>(range.endHigh - range.startHigh) << 16) * 2, 0xFF);
    return memory.data() +
           (static_cast<size_t>(wordAddress - (static_cast<uint32_t>(range.startHigh) << 16)) * 2);
}

std::vector<uint8_t> VirtualDsp::readFlash(uint32_t wordAddress, uint32_t bytes) const
{
    std::vector<uint8_t> out(bytes, 0xFF);
    for (uint32_t i = 0; i < bytes; ++i)
    {
        const uint32_t address = wordAddress + i / 2;
        const int index = rangeOf(address);
        if (index < 0 || flash[static_cast<size_t>(index)].empty())
            continue;
        const uint32_t offset =
            (address - (static_cast<uint32_t>(config_.ranges[static_cast<size_t>(index)].startHigh) << 16)) *
                2 +
            i % 2;
        out[i] = flash[static_cast<size_t>(index)][offset];
    }
    return out;
}
} // namespace NsStrata
