#pragma once
// A log of every MIDI message the program exchanges with the device, one JSON object per line:
// {"ms":MS,"dir":"out"|"in","hex":"F0 00 .."}. A port-backend decorator feeds it; a thread of its own writes,
// so neither the MIDI input thread nor the paced sending ever waits for the disk. Should the disk fall behind
// by more than can wait, a line {"dropped":N} stands for the messages left out.
#include "PortBackend.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace NsStrata
{
class MidiTraceWriter
{
public:
    /** Writes to file (replacing it); isOpen() tells whether that worked. Times count from now. */
    explicit MidiTraceWriter(const juce::File& file);
    /** Writes what is still waiting, then closes the file. */
    ~MidiTraceWriter();

    bool isOpen() const { return opened; }
    /** True once a write failed (a full disk, a pipe nobody reads): nothing more is recorded. */
    bool hasStopped() const { return stopped; }
    /** Milliseconds since the writer was made, on the monotonic clock every line uses. */
    double elapsedMs() const;

    /** Any thread: keeps the message for the writer thread; holds a lock only to append it. */
    void record(bool outgoing, double ms, const uint8_t* data, std::size_t size);
    /** Blocks until every message recorded so far is on disk (tests, shutdown). */
    void flush();

    /** One line of the log, without its line end. */
    static std::string lineFor(double ms, bool outgoing, const uint8_t* data, std::size_t size);

private:
    struct Entry
    {
        double ms;
        bool outgoing;
        MidiBytes bytes;
    };
    void run();

    /** Messages that may wait for the disk at once; more are counted and dropped. */
    static constexpr std::size_t maxWaiting = 1 << 16;

    const double startMs;
    std::FILE* out = nullptr; // the writer thread's once it runs
    const bool opened;
    std::atomic<bool> stopped{false};
    std::mutex lock;
    std::condition_variable wake, drained;
    std::deque<Entry> waiting;
    uint64_t recorded = 0, written = 0, dropped = 0;
    bool stopping = false;
    std::thread worker; // last: starts once everything above exists
};

/** Ports of another backend whose every message, in and out, also goes to a trace. */
class TracingPortBackend : public PortBackend
{
public:
    TracingPortBackend(std::shared_ptr<PortBackend> inner, std::shared_ptr<MidiTraceWriter> writer);

    juce::Array<PortInfo> inputs() override { return inner->inputs(); }
    juce::Array<PortInfo> outputs() override { return inner->outputs(); }
    std::unique_ptr<InputPort> openInput(const juce::String& identifier, IncomingSink& sink) override;
    std::unique_ptr<OutputPort> openOutput(const juce::String& identifier) override;
    uint64_t portListVersion() override { return inner->portListVersion(); }

    PortBackend& wrapped() { return *inner; }

private:
    std::shared_ptr<PortBackend> inner;
    std::shared_ptr<MidiTraceWriter> writer;
};
} // namespace NsStrata
