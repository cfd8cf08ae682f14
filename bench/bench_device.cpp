// bench_device: how fast incoming messages are decoded and applied, and how close a start-up exchange with
// the virtual mixer comes to the least time the protocol allows.
#include "device/IncomingApplier.h"
#include "device/IncomingMessage.h"
#include "device/LinkFlags.h"
#include "device/MessageFraming.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "sim/VirtualMixer.h"
#include "sim/VirtualSync.h"
#include "store/Assets.h"

#include <juce_events/juce_events.h>

#include <chrono>
#include <cstdio>

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

void benchSync(const juce::ValueTree& preset)
{
    for (const int model : {4115, 4142})
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
        std::printf(
            "sync %d: selector after %.1f ms, floor %d ms, ratio %.3f (target <= 1.2); connected %.1f ms, "
            "synchronised %.1f ms, %d sent, %d received, 0 protocol errors\n",
            model, t.selectorMs, t.floorMs, t.selectorMs / t.floorMs, t.connectedMs, t.synchronisedMs, t.sent,
            t.received);
    }
}
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    const auto preset = treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false));
    if (!isUsableTree(preset))
    {
        std::printf("the shipped preset was not found beside the program\n");
        return 1;
    }
    benchDecodeAndApply(preset);
    benchSync(preset);
    return 0;
}
