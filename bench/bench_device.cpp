// bench_device: how fast incoming messages are decoded and applied, how soon the link is synchronised with
// the virtual mixer, how long an edit takes to reach it, and what the connected program costs while idle.
#include "device/DevicePollTimer.h"
#include "device/Host.h"
#include "device/IncomingApplier.h"
#include "device/IncomingMessage.h"
#include "device/LinkFlags.h"
#include "device/LinkTexts.h"
#include "device/MessageFraming.h"
#include "device/MessagePump.h"
#include "device/OutgoingQueue.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "sim/VirtualMixer.h"
#include "sim/VirtualSync.h"
#include "store/Assets.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>

#if JUCE_WINDOWS
#include <ctime>
#else
#include <sys/resource.h>
#endif

using namespace NsStrata;

namespace
{
// One of every shape the device sends, for the Ardent, plus two the decoder turns away.
std::vector<MidiBytes> messageMix()
{
    const MidiBytes h = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E};
    const auto with = [&h](std::initializer_list<uint8_t> rest)
    {
        MidiBytes m = h;
        m.insert(m.end(), rest);
        return m;
    };
    MidiBytes status =
        with({0x7C, 0x02, 18, 0x00, 3, 0, 24, 24, 24, 0, 1, 64, 1, 127, 1, 95, 119, 101, 1, 40, 0x05});
    status.push_back(0xF7);
    MidiBytes mode = with({0x7C, 0x01, 0x33, 0x05, 0x01});
    for (int i = 0; mode.size() < 60; ++i)
        mode.push_back(uint8_t((i * 13) & 0x7F));
    mode.push_back(0xF7);
    MidiBytes meter = with({0x7F, 0x7F});
    meter.resize(18, 0);
    meter.insert(meter.end(), {50, 0, 0xF7});
    return {
        {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x00, 0x02, 0x4E, 0, 0, 0x20, 0x2E, 0x31, 0x2E, 0x30, 0x35, 0xF7},
        with({0x7B, 0x71, 0x03, 0xF7}),             // MIC1
        with({0x7B, 0x09, 0x4A, 0xF7}),             // EQ
        with({0x7F, 0x7D, 0x02, 0xF7}),             // jingle on
        with({0x07, 0x41, 0x02, 0x01, 0x48, 0xF7}), // 14 bits
        with({0x07, 0x46, 0x04, 0x00, 0x00, 0x01, 0x20, 0xF7}),
        meter,
        status,
        mode,
        MidiBytes(15, 0x01),
        {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x71, 0x03, 0xF7}, // another model
    };
}

void benchDecodeAndApply(const juce::ValueTree& preset)
{
    auto tree = preset.createCopy();
    selection().reset();
    const auto mix = messageMix();
    std::size_t count = 0;
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    while (seconds < 2.0)
    {
        for (int round = 0; round < 1000; ++round)
            for (const auto& m : mix)
            {
                selection().currentMode = 1; // a status block switches modes; keep the mix steady
                applyIncoming(decodeIncoming(m), tree, nullptr);
                ++count;
            }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    std::printf(
        "decode_and_apply: %.0f messages/s (%zu messages of %zu shapes in %.2f s, one core; target >= "
        "1000000)\n",
        count / seconds, count, mix.size(), seconds);
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const auto rank = (std::size_t) std::ceil(p / 100.0 * (double) values.size());
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

struct SyncFigures
{
    double synchronisedMs = -1, selectorMs = -1;
};

SyncFigures benchSync(const juce::ValueTree& preset)
{
    constexpr int brioRuns = 5;
    std::vector<double> synchronised, selector;
    for (const int model : {4115, 4142})
        for (int run = 0; run < (model == 4115 ? brioRuns : 1); ++run)
        {
            const auto mixer = std::make_shared<VirtualMixer>(model, preset);
            const auto t = runVirtualSync(mixer, preset);
            if (!t.ok)
            {
                std::printf("sync %d: did not synchronise cleanly (%d protocol errors)\n", model,
                            t.protocolErrors.size());
                for (const auto& error : t.protocolErrors)
                    std::printf("  %s\n", error.toRawUTF8());
                continue;
            }
            std::printf("sync %d: selector after %.1f ms, floor %d ms, ratio %.3f (target <= 1.2); connected "
                        "%.1f ms, synchronised %.1f ms, %d sent, %d received, 0 protocol errors\n",
                        model, t.selectorMs, t.floorMs, t.selectorMs / t.floorMs, t.connectedMs,
                        t.synchronisedMs, t.sent, t.received);
            if (model == 4115)
            {
                synchronised.push_back(t.synchronisedMs);
                selector.push_back(t.selectorMs);
            }
        }
    return {median(synchronised), median(selector)};
}

// The level display's poll as the panel runs it (LevelPollTimer with HostMeterLink), against a mixer that
// always reports sound: each tick at the fast interval shows the last reply and polls again, unless the poll
// cannot go at once.
class MeterPoller : private juce::Timer
{
public:
    explicit MeterPoller(Host& h) : host(h) { startTimer(intervalMs); }
    ~MeterPoller() override { stopTimer(); }

private:
    static constexpr int intervalMs = 50; // the level display's poll while there is sound

    void timerCallback() override
    {
        if (pendingMeterLevel().fresh.exchange(false))
            ++shown;
        if (host.canSendAtOnce())
            host.sendToDevice(meterPoll(selection().deviceModel));
    }

    Host& host;
    int shown = 0;
};

// The running program's link against the virtual mixer: the poll timer and the level poll started, as the
// mixer panel starts them.
struct LiveLink
{
    LiveLink(int model, const juce::ValueTree& preset) : mixer(std::make_shared<VirtualMixer>(model, preset))
    {
        linkFlags().reset();
        linkTexts().reset();
        resetOutgoingQueue();
        selection().reset();
        selection().selectedModel = model;
        host.settings().setState(preset.createCopy());
        host.setPortBackend(mixer);
        poll = std::make_unique<DevicePollTimer>(host);
        poll->start();
        meters = std::make_unique<MeterPoller>(host);
    }

    ~LiveLink()
    {
        meters.reset();
        poll.reset();
        host.setPortBackend(nullptr);
    }

    bool synchronise(double timeoutMs = 10000)
    {
        const double start = juce::Time::getMillisecondCounterHiRes();
        while (!(linkFlags().synchronised && linkFlags().modeSelectorSent &&
                 outgoingQueue().getNumChildren() == 0))
        {
            if (juce::Time::getMillisecondCounterHiRes() - start > timeoutMs)
                return false;
            pumpMessagesFor(5);
        }
        return true;
    }

    Host& host = *Host::getInstance();
    std::shared_ptr<VirtualMixer> mixer;
    std::unique_ptr<DevicePollTimer> poll;
    std::unique_ptr<MeterPoller> meters;
};

struct EditFigures
{
    double p50Ms = -1, p95Ms = -1;
};

// Random edits at a person's pace (2 to 20 a second) spread over a few faders and knobs, queued as a knob
// queues them. An edit has reached the wire when a message for its parameter leaves with its value or a
// later edit's (a later edit replaces a queued one).
EditFigures benchEdits(LiveLink& link)
{
    constexpr int edits = 200;
    const int ids[] = {16, 21, 22, 23, 25, 29};
    struct Edit
    {
        int id;
        double ms;
        MidiBytes bytes;
    };
    std::vector<Edit> made;
    std::map<int, int> counters;
    juce::Random random(4115);
    const auto model = modelNode(link.host.state(), selection().selectedModel);
    link.mixer->clearReceived();

    for (int i = 0; i < edits; ++i)
    {
        pumpMessagesFor((float) (50 + random.nextInt(451)));
        const int id = ids[random.nextInt((int) std::size(ids))];
        auto node = parameterNode(model, id, selection().currentMode);
        const int start = readInt(node, Prop::start, 0), end = readInt(node, Prop::end, 0);
        const int value = start + (counters[id]++ % (end - start + 1));
        node.setProperty(Prop::value, value, nullptr);
        const double ms = juce::Time::getMillisecondCounterHiRes();
        queueEntry(node, true, true);
        made.push_back({id, ms, frameEntry(node, selection().selectedModel, selection().deviceModel)});
    }
    for (int i = 0; i < 400 && outgoingQueue().getNumChildren() > 0; ++i)
        pumpMessagesFor(5);
    pumpMessagesFor(100);
    link.mixer->waitUntilIdle();

    const auto wire = link.mixer->received();
    std::vector<double> latencies;
    int lost = 0;
    for (std::size_t e = 0; e < made.size(); ++e)
    {
        bool found = false;
        for (const auto& m : wire)
        {
            if (m.ms < made[e].ms || m.bytes.size() < 8 || m.bytes[6] != made[e].bytes[6] ||
                m.bytes[7] != made[e].bytes[7])
                continue;
            for (std::size_t later = e; later < made.size() && made[later].ms <= m.ms && !found; ++later)
                found = made[later].id == made[e].id && made[later].bytes == m.bytes;
            if (found)
            {
                latencies.push_back(m.ms - made[e].ms);
                break;
            }
        }
        lost += found ? 0 : 1;
    }
    const auto errors = link.mixer->protocolErrors();
    EditFigures figures{percentile(latencies, 50), percentile(latencies, 95)};
    std::printf("edits: %d at 2 to 20 a second, edit to wire p50 %.1f ms, p95 %.1f ms, max %.1f ms (targets "
                "<= 60, <= 120); %d never reached the wire, %d protocol errors\n",
                edits, figures.p50Ms, figures.p95Ms, percentile(latencies, 100), lost, errors.size());
    for (const auto& error : errors)
        std::printf("  %s\n", error.toRawUTF8());
    return figures;
}

struct CpuClock
{
    double cpuSeconds = 0, wallSeconds = 0;
    long wakeUps = 0; // voluntary context switches: a thread gave up the processor to wait

    static CpuClock now()
    {
        CpuClock c;
        c.wallSeconds = juce::Time::getMillisecondCounterHiRes() / 1000.0;
#if JUCE_WINDOWS
        c.cpuSeconds = (double) std::clock() / CLOCKS_PER_SEC;
#else
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        c.cpuSeconds = (double) usage.ru_utime.tv_sec + (double) usage.ru_stime.tv_sec +
                       ((double) usage.ru_utime.tv_usec + (double) usage.ru_stime.tv_usec) / 1.0e6;
        c.wakeUps = usage.ru_nvcsw;
#endif
        return c;
    }
};

// The connected program left alone, meters polling, on the framework's own message loop. Ends that loop for
// good, so it comes last.
double benchIdle(LiveLink& link)
{
    constexpr int settleMs = 1000, measureMs = 30000;
    CpuClock start, end;
    juce::Timer::callAfterDelay(settleMs, [&] { start = CpuClock::now(); });
    juce::Timer::callAfterDelay(settleMs + measureMs,
                                [&]
                                {
                                    end = CpuClock::now();
                                    juce::MessageManager::getInstance()->stopDispatchLoop();
                                });
    const auto before = link.mixer->received().size();
    juce::MessageManager::getInstance()->runDispatchLoop();
    const double seconds = end.wallSeconds - start.wallSeconds;
    const double percent = 100.0 * (end.cpuSeconds - start.cpuSeconds) / seconds;
    std::printf("idle: %.3f %% of one core over %.1f s, %.0f wake-ups a second, %zu messages to the mixer "
                "(target <= 0.5 %%)\n",
                percent, seconds, (double) (end.wakeUps - start.wakeUps) / seconds,
                link.mixer->received().size() - before);
    return percent;
}
} // namespace

int main(int argc, char** argv)
{
    // "bench_device idle" measures the idle program only (for a profiler's eyes).
    const bool idleOnly = argc > 1 && juce::String(argv[1]) == "idle";
    juce::ScopedJuceInitialiser_GUI juce;
    const auto preset = treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false));
    if (!isUsableTree(preset))
    {
        std::printf("the shipped preset was not found beside the program\n");
        return 1;
    }
    // The link's Host would otherwise read the user's settings file.
    Host::createInstance(SettingsStore::withoutFile());
    SyncFigures sync;
    if (!idleOnly)
    {
        benchDecodeAndApply(preset);
        sync = benchSync(preset);
    }
    EditFigures edits;
    double idle = -1;
    {
        LiveLink link(4115, preset);
        if (link.synchronise())
        {
            if (!idleOnly)
                edits = benchEdits(link);
            idle = benchIdle(link);
        }
        else
            std::printf("live link: did not synchronise\n");
    }
    Host::deleteInstance();
    std::printf("{\"edit_to_wire_p50_ms\": %.1f, \"edit_to_wire_p95_ms\": %.1f, \"synchronised_ms\": %.1f, "
                "\"selector_ms\": %.1f, \"idle_cpu_percent\": %.3f}\n",
                edits.p50Ms, edits.p95Ms, sync.synchronisedMs, sync.selectorMs, idle);
    return 0;
}
