#pragma once
// "Send jingle": writes a stored jingle file into its slot's flash range of the mixer's DSP, announced to
// the device with numbered commands, and reports one result.
#include "radezovu/RadezOvu.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <functional>
#include <string>

namespace NsStrata
{
struct JingleTransferOptions
{
    /** Total time one command may keep answering busy before it counts as failed. */
    int pollLimitMs = 10000;
    /** Waits between polls; by default the message loop runs meanwhile. */
    std::function<void(int milliseconds)> wait;
    /** Told after each page write: bytes written so far, and the bytes the transfer writes in all. */
    std::function<void(int64_t written, int64_t total)> progress;
};

/** What a transfer came to: success, or the step that failed and why. */
struct JingleTransferResult
{
    bool ok = false;
    juce::String step;         // what was being done: "find the DSP", "command 8", "page write" and so on
    juce::String reason;       // in the USB layer's or the device's words
    bool accessDenied = false; // a DSP is there, but this user may not open it (on Linux: no udev rule)

    /** "step: reason", or empty on success. */
    juce::String text() const;
};

struct JingleTransferStats
{
    int writes = 0;    // page write calls that went through
    int64_t bytes = 0; // bytes they carried from the file
};

/** How a file of `words` 16-bit words is cut into page writes: about ten writes, never under four pages. */
struct JingleChunkPlan
{
    uint32_t pagesPerChunk = 0;
    uint32_t chunkWords = 0;
};
JingleChunkPlan planJingleChunks(uint32_t pageSizeWords, uint32_t words);

/** The file name as the device accepts it: characters outside . _ # + - @ and ASCII letters and digits
    become underscores, each UTF-16 unit on its own; at most 63 characters. */
std::string sanitizeDeviceName(const juce::String& fileName);

/** One command on an open programmer, asked again while the device answers busy. On success value holds the
    device's answer. Fails on a refused command, a failed poll, or busy past options.pollLimitMs. */
bool dspCommand(RadezOvu::FlashProgrammer* programmer, uint16_t code, uint32_t& value,
                const char* text = nullptr, const JingleTransferOptions& options = {});

/** Sends storedFile into the flash range of the first DSP found through root. The range is slot − 1, or
    rangeSelector − 1 when the selector is not negative. A file longer than the range is cut at its end (and
    announced as cut); an empty file, or a range that ends where it starts, is a failure. Every object
    obtained is released before it returns. A transfer started while one runs is refused. The file is taken
    by value: whoever passed it may go while this waits. */
JingleTransferResult sendJingle(RadezOvu* root, int slot, juce::File storedFile, int rangeSelector = -1,
                                const JingleTransferOptions& options = {},
                                JingleTransferStats* stats = nullptr);

/** The same transfer into slot's range, with the USB exchanges on a thread of their own, so that however
    long the device takes, the calling thread's message loop keeps running (the window stays alive) until the
    transfer ends; progress is told on the calling thread. Returns when the transfer has ended, also when the
    application quits meanwhile. */
JingleTransferResult
sendJingleOnItsOwnThread(RadezOvu* root, int slot, juce::File storedFile,
                         const std::function<void(int64_t written, int64_t total)>& progress);

/** True while a sendJingle call is in progress: the jingle library must not change meanwhile. */
bool isJingleTransferRunning();

/** The headline shown after a transfer; a failure's text() says more. */
juce::String sendJingleResultText(bool ok);
} // namespace NsStrata
