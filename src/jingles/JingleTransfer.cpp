#include "JingleTransfer.h"

#include "device/MessagePump.h"
#include "radezovu/UsbDeviceCore.h"

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

namespace
{
JingleTransferResult failed(const juce::String& step, const juce::String& reason)
{
    JingleTransferResult result;
    result.step = step;
    result.reason = reason;
    return result;
}

/** The USB layer's account of the device's failure, or otherwise. */
juce::String usbWords(RadezOvu::UsbDevice* device, const juce::String& otherwise)
{
    auto* core = dynamic_cast<RadezOvuCore::UsbDevice_Core*>(device);
    if (core != nullptr && !core->errorText().empty())
        return juce::String(core->errorText());
    return otherwise;
}

/** A DSP that could not be found or opened: the enumerator says whether one was there. */
JingleTransferResult notFound(const juce::String& step, RadezOvu::Enumerator* enumerator)
{
    const juce::String why = enumerator != nullptr ? juce::String(enumerator->openFailure()) : juce::String();
    if (enumerator != nullptr && enumerator->openDenied())
    {
        auto result = failed(step, "no permission to open the DSP (" + why +
                                       "): install the udev rule packaging/linux/60-strata.rules into "
                                       "/etc/udev/rules.d and plug the mixer in again");
        result.accessDenied = true;
        return result;
    }
    return failed(step, why.isEmpty() ? juce::String("no DSP is connected")
                                      : "the DSP could not be opened (" + why + ")");
}

/** One command with its polls: empty on success, otherwise why it failed. device, when given, lends the USB
    layer's words. */
juce::String runCommand(RadezOvu::FlashProgrammer* programmer, RadezOvu::UsbDevice* device, uint16_t code,
                        uint32_t& value, const char* text, const JingleTransferOptions& options)
{
    if (programmer == nullptr)
        return "no programmer is open";
    DspCommandMessage message;
    message.value = value;
    if (text != nullptr)
        std::memcpy(message.text, text, std::min(std::strlen(text), maxTextBytes));

    auto refused = [device]
    {
        const juce::String status = device != nullptr ? "the device refused it (reply status " +
                                                            juce::String(device->replyStatus()) + ", " +
                                                            juce::String(device->replyLength()) + " words)"
                                                      : juce::String("the device refused it");
        return usbWords(device, status);
    };
    const double deadline = nowMs() + options.pollLimitMs;
    if (!programmer->command(code, message))
        return refused();
    while (message.status != commandFinished)
    {
        // A device that stays busy, or whose poll fails, must not hold the transfer forever.
        const double left = deadline - nowMs();
        const juce::String stillBusy = "still busy after " + juce::String(options.pollLimitMs) + " ms";
        if (left <= 0)
            return stillBusy;
        if (message.delay != 0)
        {
            const int ms = static_cast<int>(std::min<double>(message.delay, left));
            if (options.wait)
                options.wait(ms);
            else
                waitKeepingMessagesAlive(ms);
            if (nowMs() >= deadline)
                return stillBusy;
        }
        message.text[0] = 0;
        if (!programmer->command(code, message))
            return refused();
    }
    value = message.value;
    return {};
}
} // namespace

juce::String JingleTransferResult::text() const
{
    return ok ? juce::String() : step + ": " + reason;
}

bool dspCommand(RadezOvu::FlashProgrammer* programmer, uint16_t code, uint32_t& value, const char* text,
                const JingleTransferOptions& options)
{
    return runCommand(programmer, nullptr, code, value, text, options).isEmpty();
}

namespace
{
/** The transfer itself, once the running flag is held. */
JingleTransferResult transfer(RadezOvu* root, int slot, const juce::File& storedFile, int rangeSelector,
                              const JingleTransferOptions& options, JingleTransferStats* stats);

JingleTransferResult refusedAsRunning()
{
    return failed("start", "another jingle is being sent");
}
} // namespace

JingleTransferResult sendJingle(RadezOvu* root, int slot, juce::File storedFile, int rangeSelector,
                                const JingleTransferOptions& options, JingleTransferStats* stats)
{
    if (root == nullptr)
        return failed("find the DSP", "USB access is not available on this system");
    // A second transfer, started from the message loop that a waiting transfer keeps running, would
    // interleave its commands with the first one's.
    RunningFlag running;
    if (!running.owns())
        return refusedAsRunning();
    return transfer(root, slot, storedFile, rangeSelector, options, stats);
}

JingleTransferResult sendJingleOnItsOwnThread(RadezOvu* root, int slot, juce::File storedFile,
                                              const std::function<void(int64_t, int64_t)>& progress)
{
    if (root == nullptr)
        return failed("find the DSP", "USB access is not available on this system");
    // Taken here, before the thread starts: the loop that runs meanwhile must already see a transfer.
    RunningFlag running;
    if (!running.owns())
        return refusedAsRunning();

    struct Shared
    {
        std::atomic<int64_t> written{0}, total{0};
        std::atomic<bool> done{false};
        JingleTransferResult result;
    };
    Shared shared;
    JingleTransferOptions options;
    options.wait = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    options.progress = [&shared](int64_t written, int64_t total)
    {
        shared.total = total;
        shared.written = written;
    };
    std::thread worker(
        [&]
        {
            shared.result = transfer(root, slot, storedFile, -1, options, nullptr);
            shared.done = true;
        });

    int64_t told = -1;
    const auto tell = [&]
    {
        const int64_t written = shared.written;
        if (progress && written != told && shared.total > 0)
            progress(told = written, shared.total);
    };
    // A quitting application stops the loop; the transfer still ends before this returns, so the flash is
    // never left half written by the program's own hand.
    while (!shared.done && pumpMessagesFor(10))
        tell();
    worker.join();
    tell();
    return shared.result;
}

namespace
{
JingleTransferResult transfer(RadezOvu* root, int slot, const juce::File& storedFile, int rangeSelector,
                              const JingleTransferOptions& options, JingleTransferStats* stats)
{
    // Only the DSP's vendor is looked for: on systems without an interface class, other vendors' devices
    // could come first and hide the DSP. Each object keeps the one it came from alive, so a teardown that
    // releases the root while this waits frees nothing under an open device.
    RadezOvuRef<RadezOvu::Enumerator> enumerator(
        root->createEnumerator(RadezOvuCore::dspVendorId, RadezOvu::anyId));
    if (!enumerator || !enumerator->found())
        return notFound("find the DSP", enumerator.get());
    RadezOvuRef<RadezOvu::UsbDevice> device(enumerator->openDevice());
    if (!device)
        return notFound("open the DSP", enumerator.get());
    if (device->vendorId() != RadezOvuCore::dspVendorId)
        return failed("open the DSP",
                      juce::String::formatted("vendor 0x%04X is not the DSP's", device->vendorId()));
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
    if (!programmer)
        return failed("read the flash layout", usbWords(device.get(), "the DSP gave no usable flash layout"));
    if (programmer->rangeCount() == 0)
        return failed("read the flash layout", "the DSP has no flash ranges");

    const int index = (rangeSelector < 0 ? slot : rangeSelector) - 1;
    RadezOvu::FlashProgrammer::RangeInfo* range =
        index >= 0 ? programmer->range(static_cast<uint32_t>(index)) : nullptr;
    if (range == nullptr)
        return failed("choose the flash range", "there is no range " + juce::String(index + 1) +
                                                    " (the DSP has " +
                                                    juce::String(programmer->rangeCount()) + ")");
    const uint32_t start = range->startAddress();
    const uint32_t end = range->endAddress();
    const uint32_t pageSize = range->pageSize();
    // Such a range takes nothing: a transfer into it would report success with nothing written.
    if (end <= start || pageSize == 0)
        return failed("choose the flash range",
                      juce::String::formatted("range %d (0x%08X to 0x%08X, pages of %u words) holds nothing",
                                              index + 1, start, end, pageSize));

    auto command = [&](uint16_t code, uint32_t& value, const char* text) -> juce::String
    { return runCommand(programmer.get(), device.get(), code, value, text, options); };
    uint32_t value = 0;
    juce::String why = command(1, value, nullptr);
    if (why.isNotEmpty())
        return failed("command 1", why);
    why = command(2, value, nullptr);
    if (why.isNotEmpty())
        return failed("command 2", why);
    value = start;
    why = command(3, value, nullptr);
    if (why.isNotEmpty())
        return failed("command 3", why);

    // What goes out: the file, cut at the range's end, in whole words; the device is told that size.
    const bool haveFile = storedFile.existsAsFile();
    const uint64_t capacity = uint64_t{2} * (end - start);
    const auto bytes = static_cast<uint32_t>(std::min<uint64_t>(
        {haveFile ? static_cast<uint64_t>(storedFile.getSize()) : 0, capacity, 0xFFFFFFFEu}));
    value = bytes;
    const std::string name = sanitizeDeviceName(storedFile.getFileName());
    why = command(8, value, name.c_str());
    if (why.isNotEmpty())
        return failed("command 8", why);
    if (!haveFile)
        return failed("read the file", "there is no stored jingle file");
    if (bytes == 0)
        return failed("read the file", "the stored jingle file is empty");

    const uint32_t words = (bytes + 1) / 2;
    const uint32_t last = start + words;
    const JingleChunkPlan plan = planJingleChunks(pageSize, words);
    std::vector<uint8_t> buffer(size_t{plan.chunkWords} * 2);
    juce::FileInputStream in(storedFile);
    if (!in.openedOk())
        return failed("read the file", "cannot open " + storedFile.getFullPathName());
    if (!range->begin(start))
        return failed("begin", usbWords(device.get(), "refused before it was sent"));

    JingleTransferResult failure;
    uint32_t address = start;
    while (address < last)
    {
        const uint32_t n = std::min(plan.chunkWords, last - address);
        const uint32_t pages = (n + pageSize - 1) / pageSize;
        const auto sent = uint64_t{2} * (address - start);
        const auto want = static_cast<int>(std::min<uint64_t>(uint64_t{2} * n, bytes - sent));
        // A file that shrank since its size was taken is a failed transfer, not stale bytes in flash.
        if (in.read(buffer.data(), want) != want)
        {
            failure = failed("read the file", "the file became shorter while it was sent");
            break;
        }
        // The tail of the last page, which the file does not reach, gets the stored files' own padding.
        std::fill(buffer.begin() + want, buffer.begin() + size_t{pages} * pageSize * 2, padByte);
        if (!range->writePages(buffer.data(), pageSize, pages))
        {
            failure = failed("page write", usbWords(device.get(), "refused before it was sent"));
            break;
        }
        address += n;
        if (stats != nullptr)
        {
            ++stats->writes;
            stats->bytes += want;
        }
        if (options.progress)
            options.progress(static_cast<int64_t>(sent) + want, bytes);
    }

    // Without end and finish the device may never commit the pages, so both go out whatever happened.
    const bool ended = range->end();
    const bool finished = ended && range->finish();
    if (failure.step.isNotEmpty())
        return failure;
    if (!ended)
        return failed("end", usbWords(device.get(), "refused before it was sent"));
    if (!finished)
        return failed("finish", usbWords(device.get(), "refused before it was sent"));
    JingleTransferResult result;
    result.ok = true;
    return result;
}

} // namespace

bool isJingleTransferRunning()
{
    return transferRunning.load();
}

juce::String sendJingleResultText(bool ok)
{
    return ok ? TRANS("Send jingle OK") + "!" : TRANS("Send jingle failed") + "!";
}
} // namespace NsStrata
