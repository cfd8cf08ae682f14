#include "JingleTransfer.h"

#include "device/MessagePump.h"
#include "radezovu/RadezOvuCore.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

namespace NsStrata
{
namespace
{
constexpr uint16_t commandFinished = DspCommandMessage::finished;
constexpr uint32_t chunkBytesAtMost = 131072;
constexpr uint32_t minPagesPerChunk = 4;
constexpr uint32_t chunksWanted = 10;
constexpr size_t maxTextBytes = 63;
// What fills the tail of a last page the file does not reach: the stored files' own padding byte.
constexpr uint8_t padByte = 0x55;

std::atomic<bool> transferRunning{false};

double nowMs()
{
    return juce::Time::getMillisecondCounterHiRes();
}

/** Runs the message loop for the delay the device asked for; where there is no loop, it still waits. */
void waitKeepingMessagesAlive(int milliseconds)
{
    const double until = nowMs() + milliseconds;
    pumpMessagesFor(static_cast<float>(milliseconds));
    const double left = until - nowMs();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
}

class RunningFlag
{
public:
    RunningFlag() : owned(!transferRunning.exchange(true)) {}
    ~RunningFlag()
    {
        if (owned)
            transferRunning.store(false);
    }
    bool owns() const { return owned; }

private:
    bool owned;
};
} // namespace

JingleChunkPlan planJingleChunks(uint32_t pageSizeWords, uint32_t words)
{
    JingleChunkPlan plan;
    if (pageSizeWords == 0)
        return plan;
    plan.pagesPerChunk = std::max<uint32_t>(1, chunkBytesAtMost / (2 * pageSizeWords));
    plan.chunkWords = plan.pagesPerChunk * pageSizeWords;
    while (static_cast<uint64_t>(words) < uint64_t{chunksWanted} * plan.chunkWords &&
           plan.pagesPerChunk > minPagesPerChunk)
    {
        plan.pagesPerChunk /= 2;
        plan.chunkWords = plan.pagesPerChunk * pageSizeWords;
    }
    return plan;
}

std::string sanitizeDeviceName(const juce::String& fileName)
{
    std::string out;
    auto units = fileName.toUTF16();
    for (const juce::CharPointer_UTF16::CharType* u = units.getAddress();
         *u != 0 && out.size() < maxTextBytes; ++u)
    {
        const auto c = static_cast<uint16_t>(*u);
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '.' || c == '_' || c == '#' || c == '+' || c == '-' || c == '@';
        out.push_back(kept ? static_cast<char>(c) : '_');
    }
    return out;
}

bool dspCommand(RadezOvu::FlashProgrammer* programmer, uint16_t code, uint32_t& value, const char* text,
                const JingleTransferOptions& options)
{
    if (programmer == nullptr)
        return false;
    DspCommandMessage message;
    message.value = value;
    if (text != nullptr)
        std::memcpy(message.text, text, std::min(std::strlen(text), maxTextBytes));

    const double deadline = nowMs() + options.pollLimitMs;
    if (!programmer->command(code, message))
        return false;
    while (message.status != commandFinished)
    {
        // A device that stays busy, or whose poll fails, must not hold the transfer forever.
        const double left = deadline - nowMs();
        if (left <= 0)
            return false;
        if (message.delay != 0)
        {
            const int ms = static_cast<int>(std::min<double>(message.delay, left));
            if (options.wait)
                options.wait(ms);
            else
                waitKeepingMessagesAlive(ms);
            if (nowMs() >= deadline)
                return false;
        }
        message.text[0] = 0;
        if (!programmer->command(code, message))
            return false;
    }
    value = message.value;
    return true;
}

bool sendJingle(RadezOvu* root, int slot, const juce::File& storedFile, int rangeSelector,
                const JingleTransferOptions& options, JingleTransferStats* stats)
{
    if (root == nullptr)
        return false;
    // A second transfer, started from the message loop that a waiting transfer keeps running, would
    // interleave its commands with the first one's.
    RunningFlag running;
    if (!running.owns())
        return false;

    // Only the DSP's vendor is looked for: on systems without an interface class, other vendors' devices
    // could come first and hide the DSP.
    RadezOvuRef<RadezOvu::Enumerator> enumerator(
        root->createEnumerator(RadezOvuCore::dspVendorId, RadezOvu::anyId));
    if (!enumerator || !enumerator->found())
        return false;
    RadezOvuRef<RadezOvu::UsbDevice> device(enumerator->openDevice());
    if (!device || device->vendorId() != RadezOvuCore::dspVendorId)
        return false;
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
    if (!programmer || programmer->rangeCount() == 0)
        return false;

    const int index = (rangeSelector < 0 ? slot : rangeSelector) - 1;
    RadezOvu::FlashProgrammer::RangeInfo* range =
        index >= 0 ? programmer->range(static_cast<uint32_t>(index)) : nullptr;
    if (range == nullptr)
        return false;

    uint32_t value = 0;
    if (!dspCommand(programmer.get(), 1, value, nullptr, options) ||
        !dspCommand(programmer.get(), 2, value, nullptr, options))
        return false;
    const uint32_t start = range->startAddress();
    value = start;
    if (!dspCommand(programmer.get(), 3, value, nullptr, options))
        return false;
    const auto size = static_cast<uint32_t>(storedFile.existsAsFile() ? storedFile.getSize() : 0);
    value = size;
    const std::string name = sanitizeDeviceName(storedFile.getFileName());
    if (!dspCommand(programmer.get(), 8, value, name.c_str(), options))
        return false;

    const uint32_t pageSize = range->pageSize();
    const uint32_t words = size / 2;
    const JingleChunkPlan plan = planJingleChunks(pageSize, words);
    if (plan.chunkWords == 0)
        return false;
    const uint32_t last =
        static_cast<uint32_t>(std::min<uint64_t>(uint64_t{start} + words, range->endAddress()));
    const int64_t total = last > start ? int64_t{2} * (last - start) : 0;

    std::vector<uint8_t> buffer(size_t{plan.chunkWords} * 2);
    juce::FileInputStream in(storedFile);
    if (!in.openedOk() || !range->begin(start))
        return false;

    uint32_t address = start;
    while (address < last)
    {
        const uint32_t n = std::min(plan.chunkWords, last - address);
        const uint32_t pages = (n + pageSize - 1) / pageSize;
        // A file that shrank since its size was taken is a failed transfer, not stale bytes in flash.
        if (in.read(buffer.data(), static_cast<int>(n * 2)) != static_cast<int>(n * 2))
            break;
        std::fill(buffer.begin() + n * 2, buffer.begin() + size_t{pages} * pageSize * 2, padByte);
        if (!range->writePages(buffer.data(), pageSize, pages))
            break;
        address += n;
        if (stats != nullptr)
        {
            ++stats->writes;
            stats->bytes += int64_t{2} * n;
        }
        if (options.progress)
            options.progress(int64_t{2} * (address - start), total);
    }

    // Without end and finish the device may never commit the pages, so both must go through.
    const bool ended = range->end();
    const bool finished = ended && range->finish();
    return address >= last && finished;
}

bool isJingleTransferRunning()
{
    return transferRunning.load();
}

juce::String sendJingleResultText(bool ok)
{
    return ok ? TRANS("Send jingle OK") + "!" : TRANS("Send jingle failed") + "!";
}
} // namespace NsStrata
