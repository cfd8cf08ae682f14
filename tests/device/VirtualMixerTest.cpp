// The virtual mixer as a strict device: what it counts as a breach of the protocol, how it answers (from its
// own thread, after its latency), which ports are its own, and the form of its level reports.
#include "LinkFixture.h"

#include "device/IncomingApplier.h"
#include "device/IncomingMessage.h"
#include "device/MessageFraming.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "sim/VirtualMixer.h"

#include <mutex>
#include <thread>

using namespace NsStrata;

namespace
{
constexpr int brio = 4115;

double now()
{
    return juce::Time::getMillisecondCounterHiRes();
}

void waitUntil(double ms)
{
    while (now() < ms)
        juce::Thread::sleep(1);
}

/** What reaches the program's side of an input port, with when and on which thread. */
class RecordingSink : public IncomingSink
{
public:
    struct Arrival
    {
        MidiBytes bytes;
        double ms;
        std::thread::id thread;
    };

    void handleIncoming(const uint8_t* data, std::size_t size) override
    {
        std::lock_guard<std::mutex> guard(lock);
        arrivals.push_back({MidiBytes(data, data + size), now(), std::this_thread::get_id()});
    }

    std::vector<Arrival> all() const
    {
        std::lock_guard<std::mutex> guard(lock);
        return arrivals;
    }

private:
    mutable std::mutex lock;
    std::vector<Arrival> arrivals;
};

/** A mixer with its own ports open, as the link would hold them. */
struct OpenMixer
{
    explicit OpenMixer(int model = brio) : mixer(model, shippedPreset())
    {
        output = mixer.openOutput("out:0");
        input = mixer.openInput("in:0", sink);
        input->start();
    }

    bool send(const MidiBytes& bytes) { return output->send(bytes); }

    VirtualMixer mixer;
    RecordingSink sink;
    std::unique_ptr<OutputPort> output;
    std::unique_ptr<InputPort> input;
};

MidiBytes brioMessage(std::initializer_list<uint8_t> rest)
{
    MidiBytes bytes = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13};
    for (const auto b : rest)
        bytes.push_back(b);
    bytes.push_back(0xF7);
    return bytes;
}

MidiBytes eqValue(uint8_t v)
{
    return brioMessage({0x7B, 0x09, v});
}

MidiBytes modeBlock(uint8_t count, uint8_t modeByte, uint8_t action)
{
    MidiBytes bytes = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7C, 0x01, count, modeByte, action};
    bytes.resize(60, 0);
    bytes.push_back(0xF7);
    return bytes;
}
} // namespace

TEST(VirtualMixer, RecordsEveryMessageItCannotTakeAsAProtocolError)
{
    ASSERT_EQ(idForAddress(0x7B00), 0) << "the unknown address below must stay unknown";
    const struct
    {
        const char* what;
        MidiBytes bytes;
        const char* error; // empty: none expected
    } cases[] = {
        {"a 7-bit value", eqValue(0x4A), ""},
        {"the identity request", {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, ""},
        {"a meter poll", brioMessage({0x7F, 0x00}), ""},
        {"a 14-bit value", brioMessage({/*id 16*/ 0x07, 0x41, 0x02, 0x01, 0x48}), ""},
        {"a restoring mode block for USER 1 based on PRO", modeBlock(0x33, 0x06, 0x01), ""},
        {"a copied mode block for USER 2", modeBlock(0x33, 0x08, 0x05), ""},
        {"a value for another model", {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x09, 0x4A, 0xF7}, ""},
        {"the count byte of a 12-byte value", brioMessage({0x07, 0x41, 0x03, 0x01, 0x48}), "count byte"},
        {"the count byte of a 14-byte value", brioMessage({0x07, 0x46, 0x02, 0x00, 0x00, 0x01, 0x20}),
         "count byte"},
        {"a data byte above 7F", eqValue(0x80), "above 7F"},
        {"a mode block declaring 50 field bytes", modeBlock(0x32, 0x00, 0x01), "field bytes"},
        {"a mode block naming no mode", modeBlock(0x33, 0x03, 0x01), "names no mode"},
        {"a mode block with an unknown action", modeBlock(0x33, 0x00, 0x02), "unknown action"},
        {"no end byte", {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7B, 0x09, 0x4A}, "System Exclusive"},
        {"a universal message other than the identity request",
         {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0xF7},
         "universal"},
        {"another maker", {0xF0, 0x00, 0x20, 0x29, 0x20, 0x13, 0x7B, 0x09, 0x4A, 0xF7}, "maker"},
        {"an address that names no parameter", brioMessage({0x7B, 0x00, 0x01}), "names no parameter"},
        {"a 7-bit parameter sent in 12 bytes", brioMessage({0x7B, 0x09, 0x02, 0x00, 0x4A}), "takes 10 bytes"},
        {"a dump request for no block", brioMessage({0x7B, 0x7B, 0x03}), "dump request"},
        {"a mode selector naming no mode", brioMessage({0x7B, 0x7F, 0x0C}), "names no mode"},
        {"a headphone level past the gain table", brioMessage({0x7B, 0x0F, 30}), "past the end"},
        {"a command the device does not know", brioMessage({0x7F, 0x01}), "does not know"},
        {"a 15-byte message", brioMessage({0x7B, 0x09, 0, 0, 0, 0, 0, 0}), "cannot parse"},
    };
    for (const auto& c : cases)
    {
        OpenMixer device;
        EXPECT_TRUE(device.send(c.bytes)) << c.what;
        const auto errors = device.mixer.protocolErrors();
        if (juce::String(c.error).isEmpty())
        {
            EXPECT_TRUE(errors.isEmpty()) << c.what << ": " << errors.joinIntoString("; ");
            continue;
        }
        ASSERT_EQ(errors.size(), 1) << c.what;
        EXPECT_TRUE(errors[0].contains(c.error)) << c.what << ": " << errors[0];
        EXPECT_TRUE(errors[0].contains(toHex(c.bytes))) << c.what << ": " << errors[0];
    }
}

TEST(VirtualMixer, HoldsTheProgramToItsPacing)
{
    const auto poll = brioMessage({0x7F, 0x00});
    const auto wide = brioMessage({/*id 16*/ 0x07, 0x41, 0x02, 0x01, 0x48});
    const auto block = modeBlock(0x33, 0x00, 0x01);
    // Each step: the time since the step before, then the message.
    using Steps = std::vector<std::pair<double, MidiBytes>>;
    const auto values = [](int count, double gap)
    {
        Steps steps;
        for (int i = 0; i < count; ++i)
            steps.push_back({i == 0 ? 0 : gap, eqValue(uint8_t(i))});
        return steps;
    };
    const auto then = [](Steps steps, const Steps& more)
    {
        steps.insert(steps.end(), more.begin(), more.end());
        return steps;
    };
    const struct
    {
        const char* what;
        Steps steps;
        int breachAt; // index of the step that breaks a rule; -1: none does
        const char* error;
    } cases[] = {
        {"a value right after a value", values(2, 0), 1, "needs 50 ms"},
        {"a value 50 ms after a value", values(2, 50), 1, "needs 51 ms"},
        {"a value 51 ms after a 14-bit value", {{0, wide}, {51, eqValue(1)}}, 1, "needs 52 ms"},
        {"a value 2 ms after a poll 50 ms after a value",
         {{0, eqValue(1)}, {50, poll}, {2, eqValue(2)}},
         -1,
         ""},
        {"a poll 49 ms after a value", {{0, eqValue(1)}, {49, poll}}, 1, "needs 50 ms"},
        {"a value 1 ms after a poll", {{0, poll}, {1, eqValue(1)}}, 1, "needs 2 ms"},
        {"a mode block 50 ms after a value, a value 50 ms after it",
         {{0, eqValue(1)}, {50, block}, {50, eqValue(2)}},
         -1,
         ""},
        {"seven values 51 ms apart", values(7, 51), 6, "more than 6 within 606 ms"},
        {"the seventh 606 ms after the first, the eighth 606 ms after the second",
         then(values(6, 51), {{351, eqValue(6)}, {51, eqValue(7)}}), -1, ""},
        {"the eighth 597 ms after the second",
         {{0, eqValue(0)},
          {60, eqValue(1)},
          {51, eqValue(2)},
          {51, eqValue(3)},
          {51, eqValue(4)},
          {51, eqValue(5)},
          {342, eqValue(6)},
          {51, eqValue(7)}},
         7,
         "more than 6 within 606 ms"},
        {"polls and blocks between do not make room for a seventh",
         then(values(6, 51), {{50, block}, {50, poll}, {2, eqValue(6)}}), 8, "more than 6 within 606 ms"},
        {"nor count as one of the six", then(values(5, 51), {{50, block}, {50, poll}, {2, eqValue(5)}}), -1,
         ""},
    };
    for (const auto& c : cases)
    {
        OpenMixer device;
        double clock = 1000;
        device.mixer.setArrivalClock([&clock] { return clock; });
        for (std::size_t i = 0; i < c.steps.size(); ++i)
        {
            clock += c.steps[i].first;
            device.send(c.steps[i].second);
            const auto errors = device.mixer.protocolErrors();
            if ((int) i < c.breachAt || c.breachAt < 0)
                ASSERT_TRUE(errors.isEmpty())
                    << c.what << ", step " << i << ": " << errors.joinIntoString("; ");
            else if ((int) i == c.breachAt)
            {
                ASSERT_EQ(errors.size(), 1) << c.what;
                EXPECT_TRUE(errors[0].contains(c.error)) << c.what << ": " << errors[0];
            }
        }
    }
}

TEST(VirtualMixer, DropsWhatBreaksTheRulesOnlyWhenAsked)
{
    for (const bool drop : {false, true})
    {
        OpenMixer device;
        device.mixer.setDropsWhatTheDeviceWouldDrop(drop);
        device.send(eqValue(10));
        device.send(eqValue(20)); // too soon
        EXPECT_EQ(device.mixer.deviceValueOf(21, 1), drop ? 10u : 20u) << "drop " << drop;
        device.send(brioMessage({0x07, 0x41, 0x03, 0x01, 0x48})); // bad count byte, and too soon
        EXPECT_EQ(device.mixer.protocolErrors().size(), 3) << "drop " << drop;
    }
}

TEST(VirtualMixer, AnswersFromItsOwnThreadAfterItsLatency)
{
    OpenMixer device;
    device.mixer.setReplyLatency(20);
    const double sent = now();
    ASSERT_TRUE(device.send({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));
    EXPECT_TRUE(device.sink.all().empty()) << "no reply inside the sender's call";
    ASSERT_TRUE(device.mixer.waitUntilIdle());

    const auto arrivals = device.sink.all();
    ASSERT_EQ(arrivals.size(), 1u);
    EXPECT_EQ(decodeIncoming(arrivals[0].bytes).kind, IncomingKind::identityReply);
    EXPECT_NE(arrivals[0].thread, std::this_thread::get_id());
    EXPECT_GE(arrivals[0].ms - sent, 20.0);
    EXPECT_EQ(device.mixer.deliveredCount(), 1);
}

TEST(VirtualMixer, ItsPortsAreTheOnesNamedAfterItsModelWhereverTheyStand)
{
    VirtualMixer mixer(brio, shippedPreset());
    mixer.setPortNames({"Midi Through Port-0", "MIDIIN2 (Brio)", "Brio"}, {"MIDIOUT2 (Brio)", "Brio"});
    const MidiBytes identityRequest = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    const struct
    {
        const char* what;
        juce::String input, output;
        bool taken, answered;
    } cases[] = {
        {"the model's own pair", "in:2", "out:1", true, true},
        {"the device's second pair", "in:1", "out:0", false, false},
        {"another device's input with the device's output", "in:0", "out:1", true, false},
    };
    for (const auto& c : cases)
    {
        RecordingSink sink;
        auto output = mixer.openOutput(c.output);
        auto input = mixer.openInput(c.input, sink);
        ASSERT_TRUE(output != nullptr && input != nullptr) << c.what << ": every listed port opens";
        input->start();
        if (!mixer.received().empty())
            waitUntil(mixer.received().back().ms + 51);
        EXPECT_EQ(output->send(identityRequest), c.taken) << c.what;
        mixer.waitUntilIdle();
        EXPECT_EQ(sink.all().size(), c.answered ? 1u : 0u) << c.what;
        EXPECT_EQ(mixer.openPortCount(), 2) << c.what;
    }
    EXPECT_EQ(mixer.openPortCount(), 0);
    EXPECT_TRUE(sawNoProtocolError(mixer));
}

class VirtualMixerReports : public LinkTest
{
};

TEST_F(VirtualMixerReports, LevelReportsReadBackThroughTheDecoderAsTheDeviceHoldsThem)
{
    for (const int model : {brio, ardentModel})
    {
        selection().selectedModel = model;
        OpenMixer device(model);
        for (const int id : {ParamId::headphones, ParamId::otg, ParamId::bgm})
        {
            auto entry = node(id);
            for (int index = 0; index < (int) gainTable.size(); ++index)
            {
                entry.setProperty(Prop::value, -999, nullptr);
                device.mixer.turnKnob(id, (uint32_t) index);
                ASSERT_TRUE(device.mixer.waitUntilIdle());
                const auto report = device.sink.all().back().bytes;
                applyIncoming(decodeIncoming(report), tree(), nullptr);
                // The Ardent's BGM reports its second entry as 0, which the decoder reads as off.
                const int heldAs = (model == ardentModel && id == ParamId::bgm && index == 1) ? 0 : index;
                EXPECT_DOUBLE_EQ((double) entry[Prop::value], displayValue(entry, heldAs))
                    << "model " << model << " id " << id << " index " << index << ": " << toHex(report);
            }
        }

        // The headphone knob at 0 dB goes out, is stored, comes back as 0 dB.
        auto headphones = node(ParamId::headphones);
        headphones.setProperty(Prop::value, 0, nullptr);
        device.mixer.turnKnob(ParamId::headphones, unpack7BitGroups(messageValue(headphones, model)));
        headphones.setProperty(Prop::value, -999, nullptr);
        ASSERT_TRUE(device.mixer.waitUntilIdle());
        applyIncoming(decodeIncoming(device.sink.all().back().bytes), tree(), nullptr);
        EXPECT_DOUBLE_EQ((double) headphones[Prop::value], 0.0) << "model " << model;
    }
}
