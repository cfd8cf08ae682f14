// The level poll: its back-off while the level stays low, the pending level shown, and the poll going out to
// the virtual mixer through the Host.
#include "UiFixture.h"

#include "device/IncomingHandOff.h"
#include "device/MessageFraming.h"
#include "device/MessagePump.h"
#include "device/MidiInputHandler.h"
#include "sim/VirtualMixer.h"
#include "ui/controls/LevelPollTimer.h"

using namespace NsStrata;

namespace
{
struct FakeMeter : MeterLink
{
    bool open = true;
    int polls = 0;
    float level = -48.0f;

    bool canPoll() override { return open; }
    void sendPoll() override { ++polls; }
    float lastLevel() override { return level; }
};

class LevelPollTimerTest : public UiTest
{
protected:
    std::unique_ptr<ParameterKnob> display = makePanelKnob(PanelKnob::levelDisplay);
    FakeMeter meter;
    LevelPollTimer timer{*display, meter};
};
} // namespace

TEST_F(LevelPollTimerTest, TheIntervalBacksOffWhileQuietAndReturnsOnSound)
{
    EXPECT_EQ(timer.interval(), 50);
    std::vector<int> intervals;
    for (int i = 0; i < 8; ++i)
    {
        timer.tick();
        intervals.push_back(timer.interval());
    }
    EXPECT_EQ(intervals, (std::vector<int>{50, 50, 100, 200, 400, 800, 1000, 1000}));
    EXPECT_EQ(meter.polls, 8);

    meter.level = -46.0f;
    timer.tick();
    EXPECT_EQ(timer.interval(), 1000) << "-46 dB is still quiet";
    meter.level = -45.0f;
    timer.tick();
    EXPECT_EQ(timer.interval(), 50);
    EXPECT_EQ(timer.quietPolls(), 0);

    meter.level = -60.0f;
    timer.tick();
    timer.tick();
    EXPECT_EQ(timer.interval(), 50);
    timer.tick();
    EXPECT_EQ(timer.interval(), 100);
}

TEST_F(LevelPollTimerTest, EachTickShowsWhatTheLastPollBroughtBackAndPollsAgain)
{
    pendingMeterLevel().level = -20.0f;
    pendingMeterLevel().fresh = true;
    timer.tick();
    EXPECT_DOUBLE_EQ(display->slider().getValue(), -20);
    EXPECT_FALSE(pendingMeterLevel().fresh);
    EXPECT_EQ(meter.polls, 1);
    EXPECT_TRUE(queuedIds().empty()) << "showing a level edits nothing";

    meter.open = false;
    pendingMeterLevel().level = -10.0f;
    pendingMeterLevel().fresh = true;
    timer.tick();
    EXPECT_DOUBLE_EQ(display->slider().getValue(), -10) << "shown even when no poll can go";
    EXPECT_EQ(meter.polls, 1);
}

TEST_F(LevelPollTimerTest, NoPollWithoutMeteringOrAnOpenLink)
{
    display->slider().setMetering(false);
    timer.tick();
    meter.open = false;
    display->slider().setMetering(true);
    timer.tick();
    EXPECT_EQ(meter.polls, 0);
    EXPECT_EQ(timer.interval(), 50);
}

TEST_F(LevelPollTimerTest, TheTimerFollowsTheInterval)
{
    timer.start();
    for (int i = 0; i < 4; ++i)
        timer.timerCallback();
    EXPECT_TRUE(timer.isTimerRunning());
    EXPECT_EQ(timer.getTimerInterval(), 200);
    timer.stopTimer();
}

TEST_F(LevelPollTimerTest, TheHostLinkPollsTheMixerAndItsReplyReachesTheDisplay)
{
    HostMeterLink link;
    EXPECT_FALSE(link.canPoll()) << "no connection yet";

    auto mixer = std::make_shared<VirtualMixer>(ardentModel, shippedPreset());
    auto* host = Host::getInstance();
    host->setPortBackend(mixer);
    ASSERT_TRUE(host->connect(true, true, Host::MidiInputHandler::defaultModelFilter,
                              Host::MidiInputHandler::defaultPortFilter));
    selection().deviceModel = ardentModel;
    EXPECT_TRUE(link.canPoll());
    linkFlags().flushRunning = true;
    EXPECT_FALSE(link.canPoll()) << "the poll waits while a flush sends";
    linkFlags().flushRunning = false;
    ASSERT_TRUE(host->sendToDevice(meterPoll(ardentModel)));
    EXPECT_FALSE(link.canPoll()) << "nor while the device owes the message before its quiet time";
    pumpMessagesFor(3);
    EXPECT_TRUE(link.canPoll());

    LevelPollTimer hostTimer(*display, link);
    mixer->clearReceived();
    hostTimer.tick();
    const auto received = mixer->received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].bytes, meterPoll(ardentModel));

    // The reply comes from the mixer's thread; the next tick shows it.
    for (int i = 0; i < 20 && !pendingMeterLevel().fresh; ++i)
    {
        pumpMessagesFor(10);
        host->incoming().applyPending();
    }
    ASSERT_TRUE(pendingMeterLevel().fresh);
    const float level = pendingMeterLevel().level;
    hostTimer.tick();
    EXPECT_DOUBLE_EQ(display->slider().getValue(), juce::jlimit(-48.0, 12.0, (double) level));
    EXPECT_TRUE(sawNoProtocolError(*mixer));
}
