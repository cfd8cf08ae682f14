// The real Host, poll tick, queue and decoder against the virtual mixer.
#include "LinkFixture.h"

#include "config/ModeBlock.h"
#include "device/MidiInputHandler.h"

#include <utility>

using namespace NsStrata;

namespace
{
constexpr int brio = 4115;
const juce::String identityRequest = "F0 7E 7F 06 01 F7";
juce::String dumpRequest(int code)
{
    return toHex({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x7B, uint8_t(code), 0xF7});
}
/** What the first tick after plugging in sends: the identity request and the first five dump requests. */
juce::StringArray firstBatch()
{
    return {identityRequest, dumpRequest(64), dumpRequest(1),
            dumpRequest(2),  dumpRequest(4),  dumpRequest(16)};
}
juce::String modeSelector(int value)
{
    return toHex({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x7F, uint8_t(value), 0xF7});
}

class LinkIntegrationTest : public LinkTest
{
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        selection().selectedModel = brio;
        mixer = std::make_shared<VirtualMixer>(brio, shippedPreset());
        host().setPortBackend(mixer);
        host().setListener(&listener);
        timer = std::make_unique<DevicePollTimer>(host());
    }

    void TearDown() override
    {
        timer.reset();
        EXPECT_TRUE(sawNoProtocolError(*mixer));
        LinkTest::TearDown();
    }

    /** One poll tick, then whatever the mixer sent since is applied. */
    void tick() { pacedTick(*timer, *mixer); }

    /** The messages the mixer took since the last call, as hex. */
    juce::StringArray taken()
    {
        juce::StringArray hex;
        const auto all = mixer->received();
        for (std::size_t i = seen; i < all.size(); ++i)
            hex.add(toHex(all[i].bytes));
        seen = all.size();
        return hex;
    }

    /** Ticks through the start-up exchange until the mode selector has reached the mixer. */
    void synchronise()
    {
        for (int i = 0;
             i < 6 && !(linkFlags().synchronised && linkFlags().modeSelectorSent && queueIsEmpty()); ++i)
            tick();
        ASSERT_TRUE(linkFlags().synchronised);
        ASSERT_TRUE(queueIsEmpty());
        taken();
    }

    static bool queueIsEmpty() { return outgoingQueue().getNumChildren() == 0; }

    /** Runs a tick into which the main screen's teardown (link closed, poll timer deleted) arrives: in the
        message loop the flush runs after its third message, or between the two scans of a reconnection. */
    void closeDuringTheTick(bool duringScan)
    {
        bool closed = false;
        int sent = 0, openedAfter = 0, sentAfter = 0;
        mixer->setProgramActionHook(
            [&](VirtualMixer::ProgramAction action)
            {
                const bool opened = action == VirtualMixer::ProgramAction::portOpened;
                if (closed)
                    ++(opened ? openedAfter : sentAfter);
                else if (duringScan ? opened : (!opened && ++sent == 3))
                    juce::MessageManager::callAsync(
                        [&]
                        {
                            host().closeLink();
                            timer.reset();
                            closed = true;
                        });
            });
        auto& ticking = *timer;
        pacedTick(ticking, *mixer);
        mixer->setProgramActionHook(nullptr);

        EXPECT_TRUE(closed);
        EXPECT_EQ(openedAfter, 0);
        EXPECT_EQ(sentAfter, 0);
        EXPECT_EQ(mixer->openPortCount(), 0);
        EXPECT_EQ(host().linkListener(), nullptr);

        taken();
        timer = std::make_unique<DevicePollTimer>(host());
        timer->start();
        timer->stopTimer();
        tick();
        EXPECT_EQ(taken(), firstBatch()) << "the next main screen's poll connects again, from the start";
    }

    /** Queues the EQ fader at these values as the panel would, one copy each. */
    static void queueEdits(std::initializer_list<int> values)
    {
        auto eq = node(21);
        for (const int v : values)
        {
            eq.setProperty(Prop::value, v, nullptr);
            queueEntry(eq, false, false);
        }
    }

    std::shared_ptr<VirtualMixer> mixer;
    std::unique_ptr<DevicePollTimer> timer;
    RecordingListener listener;
    std::size_t seen = 0;
};
} // namespace

TEST_F(LinkIntegrationTest, PlugInRunsTheStartupExchangeAndSendsTheSelectorOnce)
{
    tick();
    ASSERT_TRUE(host().hasConnection());
    EXPECT_EQ(host().midiConnection()->pairCount(), 1);
    EXPECT_EQ(selection().deviceModel.load(), brio);
    EXPECT_EQ(host().settings().devicePortName(), "Brio");
    EXPECT_EQ(taken(), firstBatch()) << "six per tick";
    EXPECT_EQ(linkTexts().firmwareVersion, "1.05");
    EXPECT_FALSE(listener.titles.isEmpty());
    EXPECT_FALSE(listener.titles[0].contains("disconnected"));
    EXPECT_FALSE(linkFlags().synchronised);

    tick();
    EXPECT_EQ(taken(), juce::StringArray{dumpRequest(32)});
    EXPECT_FALSE(linkFlags().synchronised) << "the last reply is seen on the next tick";

    tick();
    EXPECT_TRUE(linkFlags().synchronised);
    EXPECT_TRUE(taken().isEmpty());

    tick();
    EXPECT_EQ(taken(), juce::StringArray{modeSelector(0)});
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_TRUE(taken().isEmpty()) << "the selector goes out once per synchronisation";
    EXPECT_TRUE(listener.titles[listener.titles.size() - 1].endsWith(" "));
}

TEST_F(LinkIntegrationTest, SelectorCarriesTheDevicesModeAndItsBase)
{
    mixer->selectMode(4, 3); // USER 1 based on PRO
    synchronise();
    EXPECT_EQ(selection().currentMode.load(), 4);
    EXPECT_EQ((int) childWithId(modelNode(tree(), brio), 4)[Prop::basedOnId], 3);
    const auto all = mixer->received();
    EXPECT_EQ(toHex(all.back().bytes), modeSelector(6));
}

TEST_F(LinkIntegrationTest, EditsGoOutOnTheNextTicksSixAtATimeAndPaced)
{
    synchronise();
    queueEdits({-6, -5, -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 6});
    ASSERT_EQ(outgoingQueue().getNumChildren(), 13);

    const auto g0 = [](int dB) { return uint8_t(2 * dB + 64); };
    const auto eqMessage = [&](int dB) {
        return toHex({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x09, g0(dB), 0xF7});
    };
    const juce::StringArray expected[] = {
        {eqMessage(-6), eqMessage(-5), eqMessage(-4), eqMessage(-3), eqMessage(-2), eqMessage(-1)},
        {eqMessage(0), eqMessage(1), eqMessage(2), eqMessage(3), eqMessage(4), eqMessage(5)},
        {eqMessage(6)},
    };
    std::size_t before = mixer->received().size();
    for (const auto& batch : expected)
    {
        tick();
        EXPECT_EQ(taken(), batch);
        const auto all = mixer->received();
        for (std::size_t i = before + 1; i < all.size(); ++i)
            EXPECT_GE(all[i].ms - all[i - 1].ms, 51.0) << "message " << i;
        before = all.size();
    }
    EXPECT_EQ(mixer->deviceValueOf(21, 1), g0(6));
    EXPECT_TRUE(linkFlags().sendIndicator);
}

TEST_F(LinkIntegrationTest, AModeBlockSentBetweenQueuedMessagesKeepsTheDevicesQuietTimes)
{
    // A user action run in the flush's pause after the first of two messages sends a copied mode; then a
    // tick fires during a mode block's own pause and flushes one more.
    synchronise();
    const auto block = buildModeBlock(childWithId(modelNode(tree(), brio), 4), ModeBlockAction::copiedMode);
    queueEdits({1, 2});
    bool sentBlock = false;
    mixer->setProgramActionHook(
        [&](VirtualMixer::ProgramAction)
        {
            if (!std::exchange(sentBlock, true))
                juce::MessageManager::callAsync(
                    [&]
                    {
                        if (host().sendToDevice(block))
                            pumpMessagesFor(50);
                    });
        });
    tick();
    mixer->setProgramActionHook(nullptr);

    queueEdits({3});
    juce::MessageManager::callAsync([this] { timer->tick(); });
    ASSERT_TRUE(host().sendToDevice(block));
    pumpMessagesFor(50);
    settle(*mixer);

    const auto all = mixer->received();
    ASSERT_GE(all.size(), 5u);
    const auto last = all.end() - 5;
    EXPECT_EQ(std::vector<std::size_t>({last[0].bytes.size(), last[1].bytes.size(), last[2].bytes.size(),
                                        last[3].bytes.size(), last[4].bytes.size()}),
              std::vector<std::size_t>({10, 61, 10, 61, 10}));
    for (auto m = last + 1; m != all.end(); ++m)
        EXPECT_GE(m->ms - (m - 1)->ms, 50.0) << "message " << (m - all.begin());
}

TEST_F(LinkIntegrationTest, AReportedValueUpdatesTheTreeAndIsNotSentBack)
{
    synchronise();
    // A control that queues its node whenever the screen refreshes, as the panel's controls do.
    listener.onRefresh = [] { queueEntry(node(21), true, false); };
    const int refreshes = listener.refreshes;

    mixer->turnKnob(21, 74); // +5 dB
    settle(*mixer);
    EXPECT_DOUBLE_EQ((double) node(21)[Prop::value], 5);
    EXPECT_FALSE(linkFlags().sendingGate);
    EXPECT_TRUE(linkFlags().deviceEdited);

    tick();
    EXPECT_EQ(listener.refreshes, refreshes + 1);
    EXPECT_TRUE(taken().isEmpty()) << "the refresh ran with the gate closed";
    EXPECT_TRUE(queueIsEmpty());
    EXPECT_TRUE(linkFlags().receiveIndicator == false) << "cleared by the tick";

    tick();
    EXPECT_TRUE(linkFlags().sendingGate) << "opens again on the tick after";
    queueEdits({-1});
    tick();
    EXPECT_EQ(taken().size(), 1) << "and edits go out again";
}

TEST_F(LinkIntegrationTest, JinglePlayReachesThePads)
{
    synchronise();
    mixer->reportJingle(2, true);
    mixer->reportJingle(2, false);
    mixer->reportJingle(12, true);
    settle(*mixer);
    const std::vector<RecordingListener::Pad> expected = {{2, true}, {2, false}};
    EXPECT_EQ(listener.pads, expected);
}

TEST_F(LinkIntegrationTest, UnpluggingDuringAFlushDropsTheRestAndReplugSynchronisesAgain)
{
    synchronise();
    queueEdits({1, 2, 3, 4, 5, 6});
    mixer->unplugAfterReceiving(2);
    tick();
    EXPECT_EQ(taken().size(), 2);
    EXPECT_TRUE(queueIsEmpty()) << "the rest of the batch is dropped";

    tick();
    EXPECT_FALSE(linkFlags().synchronised);
    EXPECT_FALSE(linkFlags().linkUp);
    EXPECT_TRUE(listener.titles[listener.titles.size() - 1].contains(" [disconnected] "));
    EXPECT_GE(listener.allPadsOff, 1);
    EXPECT_FALSE(listener.coverVisible.empty());
    tick();
    EXPECT_TRUE(listener.coverVisible.back()) << "the cover hides the panel while disconnected";

    mixer->plugIn();
    tick();
    EXPECT_EQ(taken(), firstBatch());
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_TRUE(linkFlags().synchronised);
    const juce::StringArray rest = {dumpRequest(32), modeSelector(0)};
    EXPECT_EQ(taken(), rest);
    EXPECT_FALSE(listener.titles[listener.titles.size() - 1].contains("disconnected"));
}

TEST_F(LinkIntegrationTest, TheMainScreenGoingDuringAFlushEndsTheTickThere)
{
    synchronise();
    queueEdits({1, 2, 3, 4, 5, 6});
    closeDuringTheTick(false);
}

TEST_F(LinkIntegrationTest, TheMainScreenGoingDuringAScanEndsTheTickWithNoPortOpen)
{
    synchronise();
    mixer->unplug();
    tick();
    mixer->plugIn();
    closeDuringTheTick(true);
}

TEST_F(LinkIntegrationTest, OnlyTheFirstPortPairOfTheDeviceOpens)
{
    mixer->setPortNames({"Midi Through Port-0", "Brio", "MIDIIN2 (Brio)"},
                        {"Midi Through Port-0", "Brio", "MIDIOUT2 (Brio)"});
    tick();
    ASSERT_TRUE(host().hasConnection());
    EXPECT_EQ(host().midiConnection()->pairCount(), 1);
    EXPECT_EQ(host().midiConnection()->currentOutputName(), "Brio");
    EXPECT_EQ(linkTexts().firmwareVersion, "1.05") << "the pair opened is the device's own";
}

TEST_F(LinkIntegrationTest, NoDeviceMeansNoConnectionAndTheDisconnectedTitle)
{
    mixer->unplug();
    tick();
    EXPECT_FALSE(host().hasConnection()) << "the port list has not changed since start";
    EXPECT_TRUE(listener.titles[0].endsWith(" [" + TRANS("disconnected") + "] "));

    // Ports appear, but none of a supported model.
    mixer->setPortNames({"Midi Through Port-0"}, {"Midi Through Port-0"});
    mixer->plugIn();
    tick();
    ASSERT_TRUE(host().hasConnection());
    EXPECT_EQ(host().midiConnection()->pairCount(), 0);
    EXPECT_EQ(listener.allPadsOff, 1);
    EXPECT_TRUE(listener.titles[1].contains("disconnected"));

    queueEntry(node(ParamId::identityRequest), true, true);
    host().flushQueue();
    EXPECT_EQ(outgoingQueue().getNumChildren(), 1) << "nothing to send on: the queue is kept";
    EXPECT_FALSE(host().sendToDevice(meterPoll(brio)));
    EXPECT_FALSE(linkFlags().flushRunning);
    EXPECT_TRUE(taken().isEmpty());
}

TEST_F(LinkIntegrationTest, BusyConnectionAndOtherModelsChangeNothing)
{
    // A switch neither the status block nor a mode block carries, so nothing later overwrites it.
    const MidiBytes switchOn = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, /*id 58*/ 0x7B, 0x18, 0x01, 0xF7};
    const MidiBytes identityReply = {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x00, 0x02, 0x4E, 0x00,
                                     0x00, 0x20, 0x13, 0x39, 0x2E, 0x39, 0x39, 0xF7};
    // The device talks the moment its port starts, while the connection is still being made.
    mixer->setGreetingOnStart(switchOn);
    synchronise();
    mixer->setGreetingOnStart({});
    EXPECT_EQ((int) node(ParamId::jinglePlay2)[Prop::value], 0);

    linkFlags().deviceEdited = false;
    const auto synced = tree().toXmlString();
    mixer->sendRaw({0xF0, 0x00, 0x02, 0x4E, /*Ardent*/ 0x20, 0x2E, 0x7B, 0x1C, 0x01, 0xF7});
    settle(*mixer);
    EXPECT_EQ(tree().toXmlString(), synced);
    EXPECT_FALSE(linkFlags().deviceEdited);

    auto* connection = host().midiConnection();
    connection->closeAll();
    ASSERT_TRUE(connection->isBusy());
    connection->handleIncoming(switchOn.data(), switchOn.size());
    connection->handleIncoming(identityReply.data(), identityReply.size());
    host().incoming().applyPending();
    EXPECT_EQ(tree().toXmlString(), synced);
    EXPECT_EQ(linkTexts().firmwareVersion, "1.05") << "the identity reply while busy is dropped too";
    EXPECT_FALSE(linkFlags().deviceEdited);
}

TEST_F(LinkIntegrationTest, TheRealTimerPacesEveryMessage)
{
    const double start = juce::Time::getMillisecondCounterHiRes();
    timer->start();
    // A bound on how long to wait, not a measurement: the exchange needs about 1.3 s.
    while (!(linkFlags().synchronised && linkFlags().modeSelectorSent && queueIsEmpty()) &&
           juce::Time::getMillisecondCounterHiRes() - start < 20000)
        pumpMessagesFor(10);
    timer->stopTimer();
    ASSERT_TRUE(linkFlags().synchronised);
    mixer->waitUntilIdle();

    const auto all = mixer->received();
    ASSERT_EQ(all.size(), 8u);
    EXPECT_GE(all[0].ms - start, (double) DevicePollTimer::firstDelayMs);
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_GE(all[i].ms - all[i - 1].ms, 51.0) << "message " << i;
    EXPECT_GE(all[6].ms - all[5].ms, 51.0 + DevicePollTimer::intervalMs)
        << "the seventh request waits for the next tick";
    EXPECT_GE(all.back().ms - start, (double) synchronisationFloorMs());
}
