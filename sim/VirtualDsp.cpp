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

std::vector<uint8_t> plainReply(uint16_t status)
{
    return replyHeader('O', 'K', status);
}

std::vector<uint8_t> longReply(uint16_t status, const std::vector<uint8_t>& data)
{
    auto out = replyHeader('S', 't', status);
    append(out, static_cast<uint16_t>(data.size() / 2));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> shortReply(uint16_t status, const std::vector<uint8_t>& data)
{
    auto out = replyHeader('s', 't', status);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> commandReply(uint16_t status, uint16_t delay, uint32_t value, const uint8_t* text)
{
    // The value comes back low half first.
    std::vector<uint8_t> data;
    append(data, status);
    append(data, delay);
    append(data, static_cast<uint16_t>(value & 0xFFFF));
    append(data, static_cast<uint16_t>(value >> 16));
    data.insert(data.end(), text, text + 64);
    return longReply(VirtualDsp::statusOk, data);
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

void VirtualDsp::injectReply(uint16_t request, std::vector<uint8_t> bytes, int skip)
{
    injected.push_back({request, skip, std::move(bytes)});
}

void VirtualDsp::setRawReply(std::vector<uint8_t> bytes)
{
    rawReply = std::move(bytes);
    haveRawReply = true;
}

void VirtualDsp::leaveStaleReply(std::vector<uint8_t> bytes)
{
    inQueue.push_back(std::move(bytes));
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

void VirtualDsp::protocolError(const std::string& why)
{
    ++protocolErrors_;
    lastProtocolError_ = why;
}

bool VirtualDsp::refuse(const std::string& why)
{
    // The pipe stalls: the host's transfer fails, and what was left of the request is dropped.
    protocolError(why);
    blocksLeft = 0;
    return false;
}

bool VirtualDsp::receive(const uint8_t* data, uint32_t bytes)
{
    if (recording)
        transfers_.emplace_back(data, data + bytes);
    if (blocksLeft == 0)
        return receiveHeader(data, bytes);
    return receiveBlock(data, bytes);
}

bool VirtualDsp::receiveHeader(const uint8_t* data, uint32_t bytes)
{
    static const uint8_t magic[4] = {0x42, 0x55, 0x62, 0x75};
    if (bytes < 16 || std::memcmp(data, magic, 4) != 0)
        return refuse("request without header");
    current = Request{word(data + 8), {}, word(data + 4), word(data + 6)};
    if (requestHook)
        requestHook(current.code);
    if (takeFault(Fault::failWrite, current.code))
        return false;

    const uint32_t payloadBytes = 2u * word(data + 10);
    if (bytes != 16 + payloadBytes || payloadBytes > sizeof(currentRaw))
        return refuse("payload length does not match the header");
    std::memcpy(currentRaw, data + 16, payloadBytes);
    for (uint32_t i = 0; i < payloadBytes; i += 2)
        current.payload.push_back(word(data + 16 + i));
    requests_.push_back(current);
    currentIsRaw = haveRawReply;

    if (current.code == Programmer::requestWritePages && !currentIsRaw)
    {
        pageWrites_.push_back(current.blockCount);
        if (stage != Stage::writing)
            return refuse("page write outside begin and end");
        if (current.blockCount > 0 && current.blockBytes != 2u * config_.pageSize)
            return refuse("page write with a block size other than the page size");
    }
    blocksLeft = current.blockCount;
    return blocksLeft > 0 || answer();
}

bool VirtualDsp::receiveBlock(const uint8_t* data, uint32_t bytes)
{
    --blocksLeft;
    if (!currentIsRaw)
    {
        if (bytes != current.blockBytes)
            return refuse("data block of the wrong size");
        if (current.code == Programmer::requestWritePages)
        {
            const uint32_t words = bytes / 2;
            if (uint64_t{writeAddress} + words > rangeEnd(targetRange))
                return refuse("page write past the end of the range");
            program(writeAddress, data, bytes);
            writeAddress += words;
            writtenBytes += bytes;
        }
    }
    return blocksLeft > 0 || answer();
}

bool VirtualDsp::answer()
{
    std::vector<uint8_t> reply;
    const auto& payload = current.payload;
    if (currentIsRaw)
    {
        reply = std::move(rawReply);
        haveRawReply = false;
    }
    else
    {
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
            reply = shortReply(statusOk, records);
            break;
        }
        case Programmer::requestLayout:
        {
            if (payload.size() != 1 || payload[0] != 1)
                return refuse("layout request without its argument");
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
            reply = longReply(statusOk, layout);
            break;
        }
        case Programmer::requestBegin:
        {
            if (stage != Stage::announced)
                return refuse("begin before commands 1, 2, 3 and 8");
            const uint32_t address =
                payload.size() == 2 ? payload[0] | (static_cast<uint32_t>(payload[1]) << 16) : 0;
            if (payload.size() != 2 || address != announcedStart_)
                return refuse("begin elsewhere than at the start of the range command 3 selected");
            if (config_.pageSize == 0 || address % config_.pageSize != 0)
                return refuse("begin at an address that is not page aligned");
            erase(targetRange);
            writeAddress = address;
            writtenBytes = 0;
            stage = Stage::writing;
            reply = plainReply(statusOk);
            break;
        }
        case Programmer::requestWritePages:
            reply = plainReply(statusOk);
            break;
        case Programmer::requestEnd:
        {
            if (stage != Stage::writing)
                return refuse("end without begin");
            // Whole pages up to the one that holds the announced size's last byte; no more, no fewer.
            const uint64_t pageBytes = 2u * config_.pageSize;
            const uint64_t pages = (announcedSize_ + pageBytes - 1) / pageBytes;
            if (writtenBytes != pages * pageBytes)
                return refuse("the pages written do not match the size command 8 announced");
            stage = Stage::ended;
            reply = plainReply(statusOk);
            break;
        }
        case Programmer::requestFinish:
            if (stage != Stage::ended)
                return refuse("finish without end");
            stage = Stage::idle;
            ++finishCount_;
            reply = plainReply(statusOk);
            break;
        case Programmer::requestCommand:
            if (payload.size() != 37)
                return refuse("command of the wrong length");
            if (!answerCommand(payload, currentRaw, reply))
                return false;
            break;
        default:
            return refuse("unknown request");
        }
    }

    for (auto it = injected.begin(); it != injected.end(); ++it)
    {
        if (it->request != current.code || it->skip-- > 0)
            continue;
        reply = std::move(it->bytes);
        injected.erase(it);
        break;
    }
    queueReply(std::move(reply));
    return true;
}

void VirtualDsp::queueReply(std::vector<uint8_t> reply)
{
    const uint16_t code = current.code;
    if (takeFault(Fault::noReply, code))
        return;
    if (takeFault(Fault::shortReply, code))
        reply.resize(std::max<size_t>(reply.size() / 2, 4));
    if (takeFault(Fault::lateReply, code))
        late.push_back(std::move(reply));
    else
        inQueue.push_back(std::move(reply));
}

bool VirtualDsp::answerCommand(const std::vector<uint16_t>& payload, const uint8_t* raw,
                               std::vector<uint8_t>& reply)
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
        reply = commandReply(b->second.status, b->second.delay, command.value, text);
        return true;
    }

    switch (command.code)
    {
    case 1:
        // Starts a transfer afresh, whatever an earlier one left behind.
        stage = Stage::opened;
        targetRange = -1;
        reply = commandReply(commandFinished, 0, sessionToken, text);
        return true;
    case 2:
        if (stage != Stage::opened || command.value != sessionToken)
            return refuse("command 2 without the value of command 1");
        stage = Stage::confirmed;
        reply = plainReply(statusDone);
        return true;
    case 3:
        if (stage != Stage::confirmed && stage != Stage::targeted)
            return refuse("command 3 before commands 1 and 2");
        targetRange = rangeStartingAt(command.value);
        if (targetRange < 0)
            return refuse("command 3 with an address that starts no range");
        announcedStart_ = command.value;
        stage = Stage::targeted;
        reply = commandReply(commandFinished, 0, command.value, text);
        return true;
    case 8:
        if (stage != Stage::targeted)
            return refuse("command 8 before command 3");
        announcedSize_ = command.value;
        announcedName_ = command.text;
        stage = Stage::announced;
        reply = plainReply(statusDone);
        return true;
    default:
        return refuse("unknown command");
    }
}

bool VirtualDsp::deliver(uint8_t* data, uint32_t maxBytes, uint32_t& got)
{
    got = 0;
    if (inQueue.empty())
    {
        // What comes late arrives now: too late for this read, in time for the next.
        for (auto& reply : late)
            inQueue.push_back(std::move(reply));
        late.clear();
        return false;
    }
    // An empty reply is handed out once, as a zero-length packet.
    const auto& front = inQueue.front();
    got = static_cast<uint32_t>(std::min<size_t>(maxBytes, front.size() - frontAt));
    if (got > 0)
        std::memcpy(data, front.data() + frontAt, got);
    frontAt += got;
    if (frontAt >= front.size())
    {
        inQueue.pop_front();
        frontAt = 0;
    }
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

int VirtualDsp::rangeStartingAt(uint32_t wordAddress) const
{
    const int index = rangeOf(wordAddress);
    return index >= 0 && static_cast<uint32_t>(config_.ranges[static_cast<size_t>(index)].startHigh) << 16 ==
                             wordAddress
               ? index
               : -1;
}

uint32_t VirtualDsp::rangeEnd(int range) const
{
    return range < 0 ? 0 : static_cast<uint32_t>(config_.ranges[static_cast<size_t>(range)].endHigh) << 16;
}

void VirtualDsp::erase(int range)
{
    ++eraseCount_;
    auto& memory = flash[static_cast<size_t>(range)];
    std::fill(memory.begin(), memory.end(), uint8_t{0xFF});
}

void VirtualDsp::program(uint32_t wordAddress, const uint8_t* data, uint32_t bytes)
{
    uint8_t* memory = flashAt(wordAddress);
    uint8_t raised = 0;
    for (uint32_t i = 0; i < bytes; ++i)
    {
        raised |= static_cast<uint8_t>(data[i] & ~memory[i]);
        memory[i] &= data[i];
    }
    if (raised != 0)
        protocolError("page write into flash that was not erased");
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
