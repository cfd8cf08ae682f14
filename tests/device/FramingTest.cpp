// The messages a flush sends, and what the outgoing queue keeps.
#include "LinkFixture.h"

#include "device/MessageFraming.h"

using namespace NsStrata;

namespace
{
juce::ValueTree entry(std::initializer_list<std::pair<const char*, juce::var>> props)
{
    juce::ValueTree e{"PARAM"};
    for (const auto& [name, value] : props)
        e.setProperty(name, value, nullptr);
    return e;
}

juce::ValueTree knob(double value, int round)
{
    return entry({{"id", 46},
                  {"nrpn", 0x7B7D},
                  {"type", 10},
                  {"kind", "knob"},
                  {"linear", 1},
                  {"start", 0},
                  {"end", 10},
                  {"st", 0},
                  {"ed", 127},
                  {"iunit", 1},
                  {"round", round},
                  {"value", value}});
}
} // namespace

TEST(Framing, EachTypeHasItsShape)
{
    const struct
    {
        const char* what;
        juce::ValueTree entry;
        int selected, device;
        MidiBytes expected;
    } cases[] = {
        {"14-bit value: count byte 02, two groups",
         entry({{"type", 12}, {"nrpn", 0x7B71}, {"value", 200}}),
         4142,
         4115,
         {0xF0, 0x00, 0x02, 0x4E, /*model*/ 0x20, 0x2E, /*address*/ 0x7B, 0x71, 0x02, /*groups*/ 0x01, 0x48,
          0xF7}},
        {"7-bit value keeps only the low group",
         entry({{"type", 10}, {"nrpn", 0x7B71}, {"value", 200}}),
         4142,
         4115,
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x71, /*G0*/ 0x48, 0xF7}},
        {"28-bit value: count byte 04, four groups",
         entry({{"type", 14}, {"nrpn", 0x2105}, {"value", 0x0FFFFFFF}}),
         4115,
         4142,
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x21, 0x05, 0x04, 0x7F, 0x7F, 0x7F, 0x7F, 0xF7}},
        {"command carries the device model and no value",
         entry({{"type", 9}, {"nrpn", 0x7F00}, {"value", 55}}),
         4142,
         4115,
         {0xF0, 0x00, 0x02, 0x4E, /*device model*/ 0x20, 0x13, 0x7F, 0x00, 0xF7}},
        {"universal message: the identity request",
         entry({{"type", 6}, {"nrpn", 0x0601}}),
         4142,
         4142,
         {0xF0, 0x7E, 0x7F, /*sub-ids*/ 0x06, 0x01, 0xF7}},
        {"highest valid address",
         entry({{"type", 10}, {"nrpn", 0x7F7F}, {"value", 1}}),
         4142,
         4142,
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7F, 0x01, 0xF7}},
        {"a negative value of a plain entry goes out as 0",
         entry({{"type", 10}, {"nrpn", 0x7B71}, {"value", -5}}),
         4142,
         4142,
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x71, 0x00, 0xF7}},
        {"type 11 has no shape", entry({{"type", 11}, {"nrpn", 0x7B71}, {"value", 1}}), 4142, 4142, {}},
        {"no type", entry({{"nrpn", 0x7B71}, {"value", 1}}), 4142, 4142, {}},
        {"no address is refused, not sent to 00 7F", entry({{"type", 10}, {"value", 1}}), 4142, 4142, {}},
        {"an address byte above 7F is refused",
         entry({{"type", 10}, {"nrpn", 0x7B80}, {"value", 1}}),
         4142,
         4142,
         {}},
        {"a negative address is refused", entry({{"type", 6}, {"nrpn", -1}}), 4142, 4142, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toHex(frameEntry(c.entry, c.selected, c.device)), toHex(c.expected)) << c.what;
}

TEST(Framing, KnobsGoThroughTheirLinearMap)
{
    const struct
    {
        const char* what;
        double value;
        int round;
        uint8_t g0;
    } cases[] = {
        {"38.1 rounds to 38", 3, 1, 38},
        {"round 0 takes the ceiling", 3, 0, 39},
        {"63.5 rounds half away from zero", 5, 1, 64},
        {"0 stays 0", 0, 1, 0},
        {"below the range is 0", -2, 1, 0},
    };
    for (const auto& c : cases)
    {
        const auto bytes = frameEntry(knob(c.value, c.round), 4142, 4142);
        ASSERT_EQ(bytes.size(), 10u) << c.what;
        EXPECT_EQ(bytes[8], c.g0) << c.what;
    }
}

TEST(Framing, PresetNodesUseTheSelectedModelsTables)
{
    // BGM at -36 dB is device value 1: the Ardent's own table puts it one entry lower than the others'.
    auto bgm = presetNode(ParamId::bgm);
    bgm.setProperty(Prop::value, -36, nullptr);
    EXPECT_EQ(toHex(frameEntry(bgm, 4142, 4142)), "F0 00 02 4E 20 2E 7B 0C 00 F7");
    EXPECT_EQ(toHex(frameEntry(bgm, 4115, 4142)), "F0 00 02 4E 20 13 7B 0C 01 F7");

    auto dump = presetNode(ParamId::dumpRequest);
    dump.setProperty(Prop::value, 64, nullptr);
    EXPECT_EQ(toHex(frameEntry(dump, 4142, 4142)), "F0 00 02 4E 20 2E 7B 7B 40 F7");
}

TEST(Framing, MeterPollAndPauses)
{
    EXPECT_EQ(toHex(meterPoll(4115)), "F0 00 02 4E 20 13 7F 00 F7");
    const struct
    {
        int type, spacing;
        bool lights;
    } cases[] = {{6, 51, true},  {9, 52, false}, {10, 51, true},
                 {12, 52, true}, {14, 52, true}, {7, 0, false}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(spacingAfterType(c.type), c.spacing) << c.type;
        EXPECT_EQ(lightsSendIndicator(c.type), c.lights) << c.type;
    }
    EXPECT_EQ(quietTimeAfter(meterPoll(4142)), 2);
    EXPECT_EQ(quietTimeAfter({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7F, 0x01, 0xF7}), 50) << "a command";
    EXPECT_EQ(quietTimeAfter({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}), 50);
}

TEST(Framing, HexTextRoundTrips)
{
    MidiBytes bytes;
    ASSERT_TRUE(parseHex("F0 7e7F 06\t01 F7", bytes));
    EXPECT_EQ(toHex(bytes), "F0 7E 7F 06 01 F7");
    ASSERT_TRUE(parseHex("", bytes));
    EXPECT_TRUE(bytes.empty());
    for (const char* bad : {"F", "F0 0", "G0", "F0-7E", "0xF0"})
        EXPECT_FALSE(parseHex(bad, bytes)) << bad;
}

class OutgoingQueueTest : public LinkTest
{
protected:
    static juce::ValueTree& queue() { return outgoingQueue(); }
    static juce::var queuedValue(int i) { return queue().getChild(i)[Prop::value]; }
};

TEST_F(OutgoingQueueTest, UnforcedEntriesNeedSynchronisationAndAnOpenGate)
{
    const struct
    {
        bool synchronised, gate, force, queued;
    } cases[] = {
        {false, false, false, false}, {true, false, false, false}, {false, true, false, false},
        {true, true, false, true},    {false, false, true, true},
    };
    for (const auto& c : cases)
    {
        resetOutgoingQueue();
        linkFlags().synchronised = c.synchronised;
        linkFlags().sendingGate = c.gate;
        queueEntry(node(ParamId::mic1), false, c.force);
        EXPECT_EQ(queue().getNumChildren(), c.queued ? 1 : 0)
            << "synchronised " << c.synchronised << ", gate " << c.gate << ", force " << c.force;
    }
}

TEST_F(OutgoingQueueTest, ReplacingByIdKeepsTheLatestValueAtTheEnd)
{
    auto mic = node(ParamId::mic1);
    mic.setProperty(Prop::value, 3, nullptr);
    queueEntry(mic, true, true);
    queueEntry(node(ParamId::mic2), true, true);
    for (const int value : {6, 9})
    {
        mic.setProperty(Prop::value, value, nullptr);
        queueEntry(mic, true, true);
    }
    ASSERT_EQ(queue().getNumChildren(), 2);
    EXPECT_EQ((int) queue().getChild(0)[Prop::id], ParamId::mic2);
    EXPECT_EQ((int) queue().getChild(1)[Prop::id], ParamId::mic1);
    EXPECT_EQ((int) queuedValue(1), 9);

    queueEntry(mic, false, true);
    EXPECT_EQ(queue().getNumChildren(), 3) << "without replacing, a second copy queues";
}

TEST_F(OutgoingQueueTest, AQueuedCopyKeepsItsValue)
{
    auto mic = node(ParamId::mic1);
    mic.setProperty(Prop::value, 12, nullptr);
    queueEntry(mic, true, true);
    mic.setProperty(Prop::value, 30, nullptr);
    EXPECT_EQ((int) queuedValue(0), 12);
    EXPECT_FALSE(queue().getChild(0) == mic);

    queueEntry(juce::ValueTree(), true, true);
    EXPECT_EQ(queue().getNumChildren(), 1) << "an invalid node queues nothing";
}
