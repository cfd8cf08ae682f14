#include "MidiTrace.h"

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
#include <csignal>
#include <pthread.h>
#endif

namespace NsStrata
{
MidiTraceWriter::MidiTraceWriter(const juce::File& file)
    : startMs(juce::Time::getMillisecondCounterHiRes()),
      out(std::fopen(file.getFullPathName().toRawUTF8(), "w")), opened(out != nullptr),
      worker([this] { run(); })
{
}

MidiTraceWriter::~MidiTraceWriter()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
    if (out != nullptr)
        std::fclose(out);
}

double MidiTraceWriter::elapsedMs() const
{
    return juce::Time::getMillisecondCounterHiRes() - startMs;
}

void MidiTraceWriter::record(bool outgoing, double ms, const uint8_t* data, std::size_t size)
{
    if (stopped)
        return;
    Entry entry{ms, outgoing, MidiBytes(data, data + size)};
    {
        std::lock_guard<std::mutex> guard(lock);
        // A file that takes nothing (a stalled pipe) must not make the program grow without end.
        if (waiting.size() >= maxWaiting)
        {
            ++dropped;
            return;
        }
        waiting.push_back(std::move(entry));
        ++recorded;
    }
    wake.notify_one();
}

void MidiTraceWriter::flush()
{
    std::unique_lock<std::mutex> guard(lock);
    const auto target = recorded;
    drained.wait(guard, [&] { return written >= target || stopping; });
}

std::string MidiTraceWriter::lineFor(double ms, bool outgoing, const uint8_t* data, std::size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(size * 3);
    for (std::size_t i = 0; i < size; ++i)
    {
        if (i > 0)
            hex += ' ';
        hex += digits[data[i] >> 4];
        hex += digits[data[i] & 0x0F];
    }
    char head[64];
    std::snprintf(head, sizeof(head), "{\"ms\":%.3f,\"dir\":\"%s\",\"hex\":\"", ms, outgoing ? "out" : "in");
    return head + hex + "\"}";
}

void MidiTraceWriter::run()
{
#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
    // A trace into a pipe whose reader went away fails its write instead of ending the program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
#endif
    std::unique_lock<std::mutex> guard(lock);
    for (;;)
    {
        wake.wait(guard, [this] { return stopping || !waiting.empty(); });
        std::deque<Entry> batch;
        batch.swap(waiting);
        const bool last = stopping;
        const auto droppedNow = std::exchange(dropped, 0);
        guard.unlock();
        if (droppedNow > 0 && out != nullptr)
            std::fprintf(out, "{\"dropped\":%llu}\n", (unsigned long long) droppedNow);
        for (const auto& entry : batch)
        {
            if (out == nullptr)
                break;
            const auto line =
                lineFor(entry.ms, entry.outgoing, entry.bytes.data(), entry.bytes.size()) + "\n";
            // A trace is read while the program runs, and must survive a crash: each line is flushed.
            if (std::fputs(line.c_str(), out) < 0 || std::fflush(out) != 0)
            {
                std::fputs("Strata: the MIDI trace stopped: its file takes no more\n", stderr);
                std::fclose(out);
                out = nullptr;
                stopped = true;
            }
        }
        guard.lock();
        written += batch.size();
        drained.notify_all();
        if (last && waiting.empty())
            return;
    }
}

namespace
{
class TracingSink : public IncomingSink
{
public:
    TracingSink(IncomingSink& s, MidiTraceWriter& w) : sink(s), writer(w) {}

    void handleIncoming(const uint8_t* data, std::size_t size) override
    {
        writer.record(false, writer.elapsedMs(), data, size);
        sink.handleIncoming(data, size);
    }

private:
    IncomingSink& sink;
    MidiTraceWriter& writer;
};

class TracingInput : public InputPort
{
public:
    TracingInput(PortBackend& backend, const juce::String& identifier, IncomingSink& s,
                 std::shared_ptr<MidiTraceWriter> w)
        : writer(std::move(w)), sink(s, *writer), inner(backend.openInput(identifier, sink))
    {
    }

    bool isOpen() const { return inner != nullptr; }
    void start() override { inner->start(); }
    void stop() override { inner->stop(); }

private:
    std::shared_ptr<MidiTraceWriter> writer;
    TracingSink sink;                 // before the port, which delivers to it until it closes
    std::unique_ptr<InputPort> inner; // closes first
};

class TracingOutput : public OutputPort
{
public:
    TracingOutput(std::unique_ptr<OutputPort> port, std::shared_ptr<MidiTraceWriter> w)
        : inner(std::move(port)), writer(std::move(w))
    {
    }

    bool send(const MidiBytes& message) override
    {
        const double at = writer->elapsedMs();
        if (!inner->send(message))
            return false;
        writer->record(true, at, message.data(), message.size());
        return true;
    }

private:
    std::unique_ptr<OutputPort> inner;
    std::shared_ptr<MidiTraceWriter> writer;
};
} // namespace

TracingPortBackend::TracingPortBackend(std::shared_ptr<PortBackend> backend,
                                       std::shared_ptr<MidiTraceWriter> w)
    : inner(std::move(backend)), writer(std::move(w))
{
}

std::unique_ptr<InputPort> TracingPortBackend::openInput(const juce::String& identifier, IncomingSink& sink)
{
    auto input = std::make_unique<TracingInput>(*inner, identifier, sink, writer);
    if (!input->isOpen())
        return nullptr;
    return input;
}

std::unique_ptr<OutputPort> TracingPortBackend::openOutput(const juce::String& identifier)
{
    auto port = inner->openOutput(identifier);
    if (port == nullptr)
        return nullptr;
    return std::make_unique<TracingOutput>(std::move(port), writer);
}
} // namespace NsStrata
