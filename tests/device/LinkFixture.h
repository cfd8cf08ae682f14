#pragma once
// A clean device link per test: flags, texts, queue and model numbers at their start values, a fresh Host
// whose state tree is the shipped preset, and helpers to build and read messages.
#include "../model/PresetFixture.h"
#include "device/DevicePollTimer.h"
#include "device/Host.h"
#include "device/IncomingHandOff.h"
#include "device/LinkFlags.h"
#include "device/LinkListener.h"
#include "device/LinkTexts.h"
#include "device/MessageFraming.h"
#include "device/MessagePump.h"
#include "device/MidiBytes.h"
#include "device/OutgoingQueue.h"
#include "device/SendEnvelope.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "sim/VirtualMixer.h"

#include <gtest/gtest.h>

#include <vector>

inline void resetLink()
{
    NsStrata::Host::deleteInstance();
    NsStrata::linkFlags().reset();
    NsStrata::linkTexts().reset();
    NsStrata::pendingMeterLevel().reset();
    NsStrata::resetOutgoingQueue();
    NsStrata::selection().reset();
}

/** A fresh link whose Host holds a copy of the shipped preset. */
class LinkTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resetLink();
        host().settings().setState(shippedPreset());
    }
    void TearDown() override { resetLink(); }

    static NsStrata::Host& host() { return *NsStrata::Host::getInstance(); }
    static juce::ValueTree& tree() { return host().state(); }
    /** A node of the live tree (selected model unless given). */
    static juce::ValueTree node(int paramId, int mode = 1, int model = -1)
    {
        const int m = model < 0 ? NsStrata::selection().selectedModel.load() : model;
        return NsStrata::parameterNode(NsStrata::modelNode(tree(), m), paramId, mode);
    }
};

/** Records what the link asks of the screen. */
class RecordingListener : public NsStrata::LinkListener
{
public:
    struct Pad
    {
        int position;
        bool on;
        bool operator==(const Pad& o) const { return position == o.position && on == o.on; }
    };
    std::vector<Pad> pads;
    int allPadsOff = 0;
    juce::StringArray versions;
    int refreshes = 0;
    std::vector<int> rebinds;
    std::vector<bool> coverVisible;
    juce::StringArray titles;
    std::function<void()> onRefresh;

    void setJinglePad(int position, bool on) override { pads.push_back({position, on}); }
    void switchAllJinglePadsOff() override { ++allPadsOff; }
    void showFirmwareVersion(const juce::String& version) override { versions.add(version); }
    void refreshFromState(bool) override
    {
        ++refreshes;
        if (onRefresh)
            onRefresh();
    }
    void rebindPanel(int modeId) override { rebinds.push_back(modeId); }
    void setCoverLabelVisible(bool visible) override { coverVisible.push_back(visible); }
    void setWindowTitle(const juce::String& title) override { titles.add(title); }
};

/** The two model bytes of a model number, high first. */
inline uint8_t modelHigh(int model)
{
    return uint8_t((model >> 7) & 0x7F);
}
inline uint8_t modelLow(int model)
{
    return uint8_t(model & 0x7F);
}

/** Passes when the mixer found nothing wrong with what it was sent; else lists what it found. */
inline ::testing::AssertionResult sawNoProtocolError(const NsStrata::VirtualMixer& mixer)
{
    const auto errors = mixer.protocolErrors();
    if (errors.isEmpty())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "protocol errors:\n" << errors.joinIntoString("\n");
}

/** Applies what the mixer has sent so far, once its thread has sent everything it owes. */
inline void settle(const NsStrata::VirtualMixer& mixer)
{
    ASSERT_TRUE(mixer.waitUntilIdle());
    NsStrata::Host::getInstance()->incoming().applyPending();
}

/** Runs the message loop, applying what the mixer sends, until the link is quiet: nothing queued that it may
    send, no flush running, the mixer owing nothing. Flushes start on their own there, as in the running
    program. */
inline void runUntilQuiet(const NsStrata::VirtualMixer& mixer, double timeoutMs = 10000)
{
    using namespace NsStrata;
    const double deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;
    do
    {
        pumpMessagesFor(5);
        settle(mixer);
    } while (((outgoingQueue().getNumChildren() > 0 && Host::getInstance()->flushes().isAllowed()) ||
              linkFlags().flushRunning) &&
             juce::Time::getMillisecondCounterHiRes() < deadline);
}

/** One poll tick, then the link runs until it is quiet. */
inline void tickAndSettle(NsStrata::DevicePollTimer& timer, const NsStrata::VirtualMixer& mixer)
{
    timer.tick();
    runUntilQuiet(mixer);
}

/** Runs the message loop until the pacing lets a burst of six leave at once again. */
inline void waitForTheEnvelope(const NsStrata::VirtualMixer& mixer)
{
    using namespace NsStrata;
    const auto log = mixer.received();
    if (!log.empty())
        pumpMessagesFor(
            float(log.back().ms + SendEnvelope::windowMs - juce::Time::getMillisecondCounterHiRes()));
}
