// The real Host, poll tick, queue and decoder against the virtual mixer, which checks every message's pace.
#include "LinkFixture.h"

#include "config/ModeBlock.h"
#include "device/MidiInputHandler.h"

#include <functional>
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
juce::String modeSelector(int value)
{
    return toHex({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x7F, uint8_t(value), 0xF7});
}
/** Everything the start-up exchange sends, in order: the identity request, the dump requests, the selector.
 */
juce::StringArray startupExchange(int selector = 0)
{
    return {identityRequest, dumpRequest(64), dumpRequest(1),  dumpRequest(2),
            dumpRequest(4),  dumpRequest(16), dumpRequest(32), modeSelector(selector)};
}
juce::String eqMessage(int dB)
{
    return toHex({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x09, uint8_t(2 * dB + 64), 0xF7});
}
double now()
{
    return juce::Time::getMillisecondCounterHiRes();
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
        mixer->setProgramActionHook(nullptr);
        timer.reset();
        EXPECT_TRUE(sawNoProtocolError(*mixer));
        LinkTest::TearDown();
    }

    /** One poll tick, then the link runs (and flushes) until it is quiet. No other tick runs. */
    void tick() { tickAndSettle(*timer, *mixer); }

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

    /** Connects and runs the start-up exchange until the mode selector has reached the mixer. */
    void synchronise()
    {
        tick();
        ASSERT_TRUE(linkFlags().synchronised);
        ASSERT_TRUE(linkFlags().modeSelectorSent);
        ASSERT_TRUE(queueIsEmpty());
        taken();
    }

    static bool queueIsEmpty() { return outgoingQueue().getNumChildren() == 0; }

    /** Runs the message loop until the mixer has taken count more messages than it had (or 5 s pass). */
    void runUntilTaken(std::size_t count)
    {
        const auto target = seen + count;
        for (const double end = now() + 5000; mixer->received().size() < target && now() < end;)
            pumpMessagesFor(1);
    }

    /** Calls action, in the message loop the link runs next, once the mixer has taken this many messages. */
    void atMessage(int number, std::function<void()> action)
    {
        auto count = std::make_shared<int>(0);
        mixer->setProgramActionHook(
            [count, number, action](VirtualMixer::ProgramAction what)
            {
                if (what == VirtualMixer::ProgramAction::messageReceived && ++*count == number)
                    juce::MessageManager::callAsync(action);
            });
    }

    /** Queues the EQ fader at these values as a control would, one copy each. */
    static void queueEdits(std::initializer_list<int> values, bool replaceSameId = false)
    {
        auto eq = node(21);
        for (const int v : values)
        {
            eq.setProperty(Prop::value, v, nullptr);
            queueEntry(eq, replaceSameId, true);
        }
    }

    /** Runs a flush into which the main screen's teardown (link closed, poll timer deleted) arrives after
        its third message, or a tick into which it arrives between the two scans of a reconnection. */
    void closeInTheMiddle(bool duringScan)
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
        if (duringScan)
            timer->tick();
        else
            queueEdits({1, 2, 3, 4, 5, 6});
        runUntilQuiet(*mixer);
        pumpMessagesFor(100);
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
        EXPECT_EQ(taken(), startupExchange()) << "the next main screen's poll connects again, from the start";
    }

    std::shared_ptr<VirtualMixer> mixer;
    std::unique_ptr<DevicePollTimer> timer;
    RecordingListener listener;
    std::size_t seen = 0;
};
} // namespace

TEST_F(LinkIntegrationTest, PlugInRunsTheWholeStartupExchangeOnOneTick)
{
    timer->tick();
    ASSERT_TRUE(host().hasConnection());
    EXPECT_EQ(host().midiConnection()->pairCount(), 1);
    EXPECT_EQ(selection().deviceModel.load(), brio);
    EXPECT_EQ(host().settings().devicePortName(), "Brio");
    EXPECT_FALSE(listener.titles.isEmpty());
    EXPECT_FALSE(listener.titles[0].contains("disconnected"));

    // No other tick: the requests go out back to back, the last reply completes the synchronisation, and the
    // selector follows as soon as the pacing allows.
    runUntilQuiet(*mixer);
    EXPECT_TRUE(linkFlags().synchronised);
    EXPECT_EQ(taken(), startupExchange());
    EXPECT_EQ(linkTexts().firmwareVersion, "1.05");
    const auto all = mixer->received();
    ASSERT_EQ(all.size(), 8u);
    EXPECT_GE(all[6].ms - all[0].ms, SendEnvelope::windowMs) << "seven requests need one rest";
    EXPECT_GE(all[7].ms - all[1].ms, SendEnvelope::windowMs);

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
    EXPECT_EQ(toHex(mixer->received().back().bytes), modeSelector(6));
}

TEST_F(LinkIntegrationTest, AnEditLeavesAtOnceOrWhenThePauseBeforeItEnds)
{
    synchronise();
    waitForTheEnvelope(*mixer);
    auto eq = node(21);
    eq.setProperty(Prop::value, 3, nullptr);
    const double queued = now();
    queueEntry(eq, true, true);
    runUntilTaken(1);
    // A second edit, while the first one's pause runs.
    eq.setProperty(Prop::value, 4, nullptr);
    queueEntry(eq, true, true);
    runUntilTaken(2);

    const auto all = mixer->received();
    ASSERT_EQ(taken(), (juce::StringArray{eqMessage(3), eqMessage(4)}));
    EXPECT_LT(all[all.size() - 2].ms - queued, (double) spacingAfterType(10)) << "within one pause";
    EXPECT_GE(all.back().ms - all[all.size() - 2].ms, (double) spacingAfterType(10));
    EXPECT_EQ(mixer->deviceValueOf(21, 1), 72u);
    EXPECT_TRUE(linkFlags().sendIndicator);
}

TEST_F(LinkIntegrationTest, ABurstOfTwentyEditsLeavesInOrderAtTheDensestPaceAllowed)
{
    synchronise();
    waitForTheEnvelope(*mixer);
    // Twenty parameters of the mode, in 7- and 14-bit messages, each given its lowest value plus one.
    const int ids[] = {14, 15, 16, 17, 21, 22, 23, 25, 27, 28, 29, 31, 32, 33, 34, 37, 38, 41, 46, 47};
    juce::StringArray expected;
    for (const int id : ids)
    {
        auto entry = node(id);
        entry.setProperty(Prop::value, readInt(entry, Prop::start, 0) + 1, nullptr);
        queueEntry(entry, true, false);
        expected.add(toHex(frameEntry(entry, brio, brio)));
    }
    ASSERT_EQ(outgoingQueue().getNumChildren(), 20);
    runUntilQuiet(*mixer);

    EXPECT_EQ(taken(), expected) << "nothing lost, nothing merged, in the order queued";
    const auto all = mixer->received();
    ASSERT_EQ(all.size(), 8u + 20u);
    // Each message leaves as soon as the one before and the sixth before allow; the mixer holds the lower
    // bounds. The margin only has to tell that pace from waiting for a poll interval.
    constexpr double margin = 150;
    for (std::size_t i = 9; i < all.size(); ++i)
    {
        const double allowed = std::max(all[i - 1].ms + spacingAfterType((int) all[i - 1].bytes.size()),
                                        all[i - 6].ms + SendEnvelope::windowMs);
        EXPECT_LT(all[i].ms, allowed + margin) << "message " << i;
    }
}

TEST_F(LinkIntegrationTest, RepeatedEditsOfOneKnobReplaceEachOtherInTheQueue)
{
    synchronise();
    waitForTheEnvelope(*mixer);
    auto eq = node(21), low = node(22);
    // While the first edit's pause runs, the knob turns on and a second one turns once.
    atMessage(1,
              [eq, low]() mutable
              {
                  for (const int v : {2, 3})
                  {
                      eq.setProperty(Prop::value, v, nullptr);
                      queueEntry(eq, true, true);
                  }
                  low.setProperty(Prop::value, 5, nullptr);
                  queueEntry(low, true, true);
                  eq.setProperty(Prop::value, 4, nullptr);
                  queueEntry(eq, true, true);
              });
    eq.setProperty(Prop::value, 1, nullptr);
    queueEntry(eq, true, true);
    runUntilQuiet(*mixer);

    const auto lowMessage = toHex({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x08, 74, 0xF7});
    EXPECT_EQ(taken(), (juce::StringArray{eqMessage(1), lowMessage, eqMessage(4)}))
        << "the latest value, moved behind the other knob";
}

TEST_F(LinkIntegrationTest, AModeBlockSentBetweenQueuedMessagesKeepsTheDevicesQuietTimes)
{
    // A user action run in the flush's pause after the first of two messages sends a copied mode; then a
    // block goes out the moment an edit is queued, before its flush starts.
    synchronise();
    waitForTheEnvelope(*mixer);
    const auto block = buildModeBlock(childWithId(modelNode(tree(), brio), 4), ModeBlockAction::copiedMode);
    atMessage(1,
              [this, block]
              {
                  if (host().sendToDevice(block))
                      pumpMessagesFor(50);
              });
    queueEdits({1, 2});
    runUntilQuiet(*mixer);
    mixer->setProgramActionHook(nullptr);

    queueEdits({3});
    ASSERT_TRUE(host().sendToDevice(block));
    pumpMessagesFor(50);
    runUntilQuiet(*mixer);

    const auto all = mixer->received();
    ASSERT_GE(all.size(), 5u);
    const auto last = all.end() - 5;
    EXPECT_EQ(std::vector<std::size_t>({last[0].bytes.size(), last[1].bytes.size(), last[2].bytes.size(),
                                        last[3].bytes.size(), last[4].bytes.size()}),
              std::vector<std::size_t>({10, 61, 10, 61, 10}));
    for (auto m = last + 1; m != all.end(); ++m)
        EXPECT_GE(m->ms - (m - 1)->ms, 50.0) << "message " << (m - all.begin());
}

TEST_F(LinkIntegrationTest, NeitherATickNorAnotherFlushInAFlushsPauseBreaksThePace)
{
    synchronise();
    waitForTheEnvelope(*mixer);
    bool nestedRan = false;
    atMessage(2,
              [this, &nestedRan]
              {
                  host().flushQueue();
                  queueEdits({7});
                  timer->tick();
                  nestedRan = true;
              });
    queueEdits({1, 2, 3, 4, 5, 6});
    runUntilQuiet(*mixer);
    EXPECT_TRUE(nestedRan);
    EXPECT_EQ(taken(), (juce::StringArray{eqMessage(1), eqMessage(2), eqMessage(3), eqMessage(4),
                                          eqMessage(5), eqMessage(6), eqMessage(7)}));
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
    runUntilQuiet(*mixer);
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
    waitForTheEnvelope(*mixer);
    mixer->unplugAfterReceiving(2);
    queueEdits({1, 2, 3, 4, 5, 6});
    runUntilQuiet(*mixer);
    EXPECT_EQ(taken().size(), 2);
    EXPECT_TRUE(queueIsEmpty()) << "the rest of the batch is dropped";

    queueEdits({7});
    pumpMessagesFor(100);
    EXPECT_EQ(outgoingQueue().getNumChildren(), 1) << "no flush until a tick finds the port again";

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
    EXPECT_TRUE(linkFlags().synchronised);
    auto expected = startupExchange();
    expected.insert(0, eqMessage(7));
    EXPECT_EQ(taken(), expected) << "what waited in the queue goes first";
    EXPECT_FALSE(listener.titles[listener.titles.size() - 1].contains("disconnected"));
}

TEST_F(LinkIntegrationTest, APortChangeInAFlushsPauseLeavesTheRestOfTheBatchUnsent)
{
    // Another device's ports appear while the second edit's pause runs, and the tick there reconnects:
    // what was left of the batch belongs to the old connection and does not reach the new one.
    synchronise();
    waitForTheEnvelope(*mixer);
    atMessage(2,
              [this]
              {
                  mixer->setPortNames({"Brio", "Midi Through Port-0"}, {"Brio", "Midi Through Port-0"});
                  timer->tick();
              });
    queueEdits({1, 2, 3, 4, 5, 6});
    runUntilQuiet(*mixer);

    auto expected = startupExchange();
    expected.insert(0, eqMessage(2));
    expected.insert(0, eqMessage(1));
    EXPECT_EQ(taken(), expected);
    EXPECT_TRUE(linkFlags().synchronised);
}

TEST_F(LinkIntegrationTest, TheMainScreenGoingDuringAFlushStartedByAnEditEndsItThere)
{
    synchronise();
    waitForTheEnvelope(*mixer);
    closeInTheMiddle(false);
}

TEST_F(LinkIntegrationTest, TheMainScreenGoingDuringAScanEndsTheTickWithNoPortOpen)
{
    synchronise();
    mixer->unplug();
    tick();
    mixer->plugIn();
    closeInTheMiddle(true);
}

TEST_F(LinkIntegrationTest, IdleTicksReadThePortListsOnlyWhenTheyMayHaveChanged)
{
    // How many ticks pass from pulling the cable until the link is down, by how the system tells of it.
    const struct
    {
        VirtualMixer::PortAnnouncements announcements;
        int readsPerIdleTick;
        int ticksToNotice;
    } cases[] = {
        {VirtualMixer::PortAnnouncements::announced, 0, 1},
        {VirtualMixer::PortAnnouncements::none, 1, 1},
        {VirtualMixer::PortAnnouncements::lost, 0, DevicePollTimer::relistEveryTicks},
    };
    for (const auto& c : cases)
    {
        mixer->setPortAnnouncements(c.announcements);
        mixer->plugIn();
        tick();
        ASSERT_TRUE(linkFlags().synchronised) << (int) c.announcements;
        taken();

        const int reads = mixer->portListReads();
        for (int i = 0; i < 4; ++i)
            timer->tick();
        EXPECT_EQ(mixer->portListReads() - reads, 4 * c.readsPerIdleTick) << (int) c.announcements;
        EXPECT_TRUE(taken().isEmpty());

        mixer->unplug();
        int ticks = 0;
        while (linkFlags().linkUp && ticks < 2 * DevicePollTimer::relistEveryTicks)
        {
            timer->tick();
            ++ticks;
        }
        EXPECT_FALSE(linkFlags().linkUp) << (int) c.announcements;
        EXPECT_LE(ticks, c.ticksToNotice) << (int) c.announcements;
    }
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
    pumpMessagesFor(100);
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
    const double start = now();
    timer->start();
    // A bound on how long to wait, not a measurement: the exchange needs about 0.7 s.
    while (!(linkFlags().synchronised && linkFlags().modeSelectorSent && queueIsEmpty() &&
             !linkFlags().flushRunning) &&
           now() - start < 20000)
        pumpMessagesFor(10);
    timer->stopTimer();
    ASSERT_TRUE(linkFlags().synchronised);
    mixer->waitUntilIdle();

    const auto all = mixer->received();
    ASSERT_EQ(all.size(), 8u);
    EXPECT_GE(all[0].ms - start, (double) DevicePollTimer::firstDelayMs);
    EXPECT_GE(all.back().ms - start, (double) synchronisationFloorMs());
}
