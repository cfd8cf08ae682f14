// What a device message does to the state tree, the mode, the texts and the link flags.
#include "LinkFixture.h"

#include "device/IncomingApplier.h"
#include "device/MessageFraming.h"
#include "model/Catalogue.h"

using namespace NsStrata;

namespace
{
class IncomingApplyTest : public LinkTest
{
protected:
    bool apply(const MidiBytes& bytes) { return applyIncoming(decodeIncoming(bytes), tree(), &listener); }
    bool applyHex(const char* hex)
    {
        MidiBytes bytes;
        EXPECT_TRUE(parseHex(hex, bytes)) << hex;
        return apply(bytes);
    }
    static juce::var valueOf(int paramId, int mode = 1) { return node(paramId, mode)[Prop::value]; }
    void clearFlags()
    {
        linkFlags().reset();
        linkFlags().sendingGate = true;
    }

    RecordingListener listener;
};

// Every "value" of the tree, for checking that nothing changed.
juce::String snapshot(const juce::ValueTree& root)
{
    return root.toXmlString();
}
} // namespace

TEST_F(IncomingApplyTest, IdentityReplySetsTheVersionOfTheSelectedModelOnly)
{
    EXPECT_TRUE(applyHex("F0 7E 7F 06 02 00 02 4E 00 00 20 2E 31 2E 30 35 F7"));
    EXPECT_EQ(linkTexts().firmwareVersion, "1.05");
    EXPECT_TRUE(linkFlags().receiveIndicator);
    EXPECT_EQ(listener.versions, juce::StringArray{"1.05"});

    linkFlags().receiveIndicator = false;
    EXPECT_FALSE(applyHex("F0 7E 7F 06 02 00 02 4E 00 00 20 13 32 2E 30 30 F7")) << "a Brio's reply";
    EXPECT_EQ(linkTexts().firmwareVersion, "1.05");
    EXPECT_FALSE(linkFlags().receiveIndicator);

    EXPECT_TRUE(applyHex("F0 7E 7F 06 02 00 02 4E 00 00 20 2E 32 00 39 00 F7"));
    EXPECT_EQ(linkTexts().firmwareVersion, "29") << "zero bytes add nothing";
}

TEST_F(IncomingApplyTest, ModeSelectorReportSwitchesTheCurrentMode)
{
    const struct
    {
        uint8_t b8;
        int mode, stored;
    } cases[] = {{0x04, 4, 4}, {0x01, 2, 1}, {0x09, 5, 8}, {0x05, 4, 4}, {0x03, 1, 0}, {0x0C, 2, 12}};
    for (const auto& c : cases)
    {
        selection().currentMode = 3;
        EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*selector*/ 0x7B, 0x7F, c.b8, 0xF7}));
        EXPECT_EQ(selection().currentMode.load(), c.mode) << "byte " << (int) c.b8;
        EXPECT_EQ((int) valueOf(ParamId::modeSelector), c.stored) << "byte " << (int) c.b8;
    }
}

TEST_F(IncomingApplyTest, ASevenBitValueClosesTheGateOnlyWhenItChangesSomething)
{
    node(ParamId::micMonitor).setProperty(Prop::value, 1, nullptr);
    const struct
    {
        const char* what;
        uint8_t g0;
        bool changed;
    } cases[] = {{"same value", 1, false}, {"new value", 0, true}, {"same again", 0, false}};
    for (const auto& c : cases)
    {
        clearFlags();
        EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x1C, c.g0, 0xF7})) << c.what;
        EXPECT_EQ((int) valueOf(ParamId::micMonitor), c.g0) << c.what;
        EXPECT_EQ(linkFlags().sendingGate.load(), !c.changed) << c.what;
        EXPECT_EQ(linkFlags().deviceEdited.load(), c.changed) << c.what;
        EXPECT_TRUE(linkFlags().receiveIndicator) << c.what;
    }

    clearFlags();
    const auto before = snapshot(tree());
    EXPECT_FALSE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*no such address*/ 0x12, 0x34, 0x01, 0xF7}));
    EXPECT_EQ(snapshot(tree()), before);
    EXPECT_TRUE(linkFlags().sendingGate);
    EXPECT_FALSE(linkFlags().receiveIndicator);
}

TEST_F(IncomingApplyTest, SevenBitReportsTakeTablesAndUnits)
{
    // Level index 3 is 7 in the table: 7 - 19 = -12 dB.
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*MIC1*/ 0x7B, 0x71, 0x03, 0xF7}));
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::mic1), -12);
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x71, /*past the table: off*/ 0x40, 0xF7}));
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::mic1), -30);

    // A knob counted in tenths: device value 60 is 6.
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*id 14*/ 0x07, 0x45, 60, 0xF7}));
    EXPECT_DOUBLE_EQ((double) valueOf(14), 6);
}

TEST_F(IncomingApplyTest, JingleReportsSwitchThePadTheyName)
{
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*play on*/ 0x7F, 0x7D, 0x03, 0xF7}));
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*play off*/ 0x7F, 0x7E, 0x03, 0xF7}));
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7D, /*last pad*/ 0x08, 0xF7}));
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7D, /*no such pad*/ 0x09, 0xF7}));
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7E, /*no such pad*/ 0x7F, 0xF7}));
    const std::vector<RecordingListener::Pad> expected = {{3, true}, {3, false}, {8, true}};
    EXPECT_EQ(listener.pads, expected);

    EXPECT_TRUE(applyIncoming(decodeIncoming({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7D, 0x02, 0xF7}),
                              tree(), nullptr))
        << "without a screen the report still counts";
}

TEST_F(IncomingApplyTest, MeterReplyOfTheConnectedDeviceGivesAPendingLevel)
{
    const struct
    {
        const char* what;
        int deviceModel;
        uint8_t level;
        bool fresh;
        float dB;
    } cases[] = {
        {"level 50", 4142, 50, true, 4},
        {"level 0 is the floor", 4142, 0, true, -48},
        {"level 1", 4142, 1, true, -45},
        {"the connected device is another model", 4115, 50, false, -48},
    };
    for (const auto& c : cases)
    {
        pendingMeterLevel().reset();
        linkFlags().receiveIndicator = false;
        selection().deviceModel = c.deviceModel;
        MidiBytes reply = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7F, 0x7F};
        reply.resize(18, 0);
        reply.insert(reply.end(), {c.level, 0x00, 0xF7});
        EXPECT_FALSE(apply(reply)) << c.what << ": a meter reply is not counted as handled";
        EXPECT_EQ(pendingMeterLevel().fresh.load(), c.fresh) << c.what;
        EXPECT_FLOAT_EQ(pendingMeterLevel().level.load(), c.dB) << c.what;
        EXPECT_FALSE(linkFlags().receiveIndicator) << c.what;
    }
}

TEST_F(IncomingApplyTest, WideValuesWriteTheModeGroupAndAlwaysMarkTheDeviceEdited)
{
    selection().currentMode = 2;
    const struct
    {
        const char* what;
        MidiBytes bytes;
        int paramId;
        double value;
    } cases[] = {
        {"14 bits: 01 48 is 200 on a 20..1000 map",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*LOW CUT*/ 0x07, 0x41, 0x02, 0x01, 0x48, 0xF7},
         16,
         200},
        {"28 bits with a unit of 10: 160 on 80..200 is 16",
         {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x07, 0x46, 0x04, 0x00, 0x00, 0x01, 0x20, 0xF7},
         17,
         16},
    };
    for (const auto& c : cases)
    {
        clearFlags();
        EXPECT_TRUE(apply(c.bytes)) << c.what;
        EXPECT_DOUBLE_EQ((double) valueOf(c.paramId, 2), c.value) << c.what;
        EXPECT_DOUBLE_EQ((double) node(c.paramId, 1)[Prop::value],
                         (double) presetNode(c.paramId, 1)[Prop::value])
            << c.what << ": other modes keep their value";
        EXPECT_FALSE(linkFlags().sendingGate) << c.what;
        EXPECT_TRUE(linkFlags().deviceEdited) << c.what;
    }

    clearFlags();
    const auto before = snapshot(tree());
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*MIC1 is mode-independent*/ 0x7B, 0x71, 0x02,
                       0x00, 0x05, 0xF7}));
    EXPECT_EQ(snapshot(tree()), before) << "wide values are looked up in the mode group only";
    EXPECT_TRUE(linkFlags().deviceEdited);
}

TEST_F(IncomingApplyTest, ZeroUnitDoesNotStoreInfinity)
{
    node(17, 1).setProperty(Prop::iunit, 0, nullptr);
    EXPECT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x07, 0x46, 0x04, 0x00, 0x00, 0x01, 0x20, 0xF7}));
    EXPECT_TRUE(std::isfinite((double) valueOf(17)));
}

TEST_F(IncomingApplyTest, BgmShiftCountsOnlyWhileBgmPitchIsOn)
{
    const MidiBytes shift = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*BGM shift*/ 0x7B, 0x04, 70, 0xF7};
    node(ParamId::bgmPitchSwitch).setProperty(Prop::value, 0, nullptr);
    EXPECT_FALSE(apply(shift));
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::bgmShift), 0);

    node(ParamId::bgmPitchSwitch).setProperty(Prop::value, 1, nullptr);
    EXPECT_TRUE(apply(shift));
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::bgmShift), 6);
}

TEST_F(IncomingApplyTest, MessagesOfAnotherModelChangeNothing)
{
    const auto before = snapshot(tree());
    for (const char* hex :
         {"F0 00 02 4E 20 13 7B 1C 01 F7", "F0 00 02 4E 20 13 07 41 02 01 48 F7",
          "F0 00 02 4E 20 13 7C 02 12 05 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 F7"})
    {
        clearFlags();
        EXPECT_FALSE(applyHex(hex)) << hex;
        EXPECT_EQ(snapshot(tree()), before) << hex;
        EXPECT_TRUE(linkFlags().sendingGate) << hex;
        EXPECT_FALSE(linkFlags().deviceEdited || linkFlags().statusReceived || linkFlags().receiveIndicator)
            << hex;
        EXPECT_EQ(selection().currentMode.load(), 1) << hex;
    }
}

TEST_F(IncomingApplyTest, StatusBlockSetsModeValuesAndSwitches)
{
    // 28 bytes: mode byte, then the status layout one byte each, then the switches in byte 26.
    const MidiBytes status = {0xF0,
                              0x00,
                              0x02,
                              0x4E,
                              0x20,
                              0x2E,
                              0x7C,
                              0x02,
                              /*n*/ 18,
                              /*mode: USER 1 based on KTV*/ 0x05,
                              /*MIC1 index*/ 3,
                              /*MIC2*/ 0,
                              /*BGM*/ 24,
                              /*OTG*/ 24,
                              /*HP*/ 24,
                              /*reserved*/ 0x55,
                              /*42*/ 1,
                              /*35*/ 64,
                              /*36*/ 1,
                              /*19*/ 127,
                              /*50*/ 1,
                              /*51*/ 95,
                              /*52*/ 119,
                              /*53*/ 101,
                              /*9*/ 1,
                              /*10*/ 40,
                              /*switches: language, monitor*/ 0x05,
                              0xF7};
    ASSERT_EQ(status.size(), 28u);
    EXPECT_TRUE(apply(status));
    EXPECT_EQ(selection().currentMode.load(), 4);
    EXPECT_EQ((int) childWithId(modelNode(tree(), 4142), 4)[Prop::basedOnId], 2);
    EXPECT_TRUE(linkFlags().statusReceived);
    EXPECT_FALSE(linkFlags().sendingGate);
    EXPECT_TRUE(linkFlags().deviceEdited);

    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::mic1), -12);
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::bgmPitchSwitch), 1);
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::voiceOverDelay), 250);
    EXPECT_DOUBLE_EQ((double) valueOf(ParamId::noiseReduction), 1);
    EXPECT_EQ((int) valueOf(ParamId::language), 4);
    EXPECT_EQ((int) valueOf(ParamId::micMute), 0);
    EXPECT_EQ((int) valueOf(ParamId::micMonitor), 1);
}

TEST_F(IncomingApplyTest, ShortBlocksStopReading)
{
    const auto status = [](uint8_t n, MidiBytes fields)
    {
        MidiBytes b = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7C, 0x02, n, /*mode*/ 0x00};
        b.insert(b.end(), fields.begin(), fields.end());
        return b;
    };
    const struct
    {
        const char* what;
        MidiBytes bytes;
        double mic1, mic2, bgmPitch;
    } cases[] = {
        {"the count ends the fields", status(2, {3, 3, 3, 3, 3, 3, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xF7}), -12,
         -12, 0},
        {"an end byte ends the fields",
         status(18, {3, 0xF7, 3, 3, 3, 3, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF7}), -12, -30, 0},
        {"a block without end byte ends with its bytes", status(18, {3, 3, 3, 3, 3, 3, 1, 0, 0, 0, 0, 0}),
         -12, -12, 1},
    };
    for (const auto& c : cases)
    {
        host().settings().setState(shippedPreset());
        ASSERT_TRUE(apply(c.bytes)) << c.what;
        EXPECT_DOUBLE_EQ((double) valueOf(ParamId::mic1), c.mic1) << c.what;
        EXPECT_DOUBLE_EQ((double) valueOf(ParamId::mic2), c.mic2) << c.what;
        EXPECT_DOUBLE_EQ((double) valueOf(ParamId::bgmPitchSwitch), c.bgmPitch) << c.what;
        EXPECT_TRUE(linkFlags().statusReceived) << c.what;
    }
}

TEST_F(IncomingApplyTest, ModeBlockFillsItsModeAndEnablesSectionsOfUserModes)
{
    selection().currentMode = 2;
    MidiBytes block = {0xF0,
                       0x00,
                       0x02,
                       0x4E,
                       0x20,
                       0x2E,
                       0x7C,
                       0x01,
                       0x33,
                       /*USER 2 based on PRO*/ 0x0A,
                       /*action*/ 0x01,
                       /*18*/ 0,
                       /*14*/ 30,
                       /*15*/ 8};
    block.resize(60, 0);
    block.push_back(0xF7);
    EXPECT_TRUE(apply(block));
    EXPECT_EQ(selection().currentMode.load(), 2) << "a mode block does not switch modes";
    EXPECT_TRUE(linkFlags().modeReceived[5]);
    EXPECT_FALSE(linkFlags().modeReceived[4]);
    const auto user2 = childWithId(modelNode(tree(), 4142), 5);
    EXPECT_EQ((int) user2[Prop::basedOnId], 3);
    for (const int id : {30, 34, 38, 41, 45, 48})
        EXPECT_EQ((int) childWithId(user2, id)[Prop::enaQ], 1) << id;
    EXPECT_DOUBLE_EQ((double) valueOf(18, 5), 0);
    EXPECT_DOUBLE_EQ((double) valueOf(15, 5), -4);
    EXPECT_DOUBLE_EQ((double) valueOf(18, 1), (double) presetNode(18, 1)[Prop::value]) << "CHAT unchanged";

    block[9] = 0x08; // based on CHAT
    EXPECT_TRUE(apply(block));
    EXPECT_EQ((int) childWithId(user2, 30)[Prop::enaQ], 0);
}

// A value the program sends and the device reports back unchanged lands on the same message again, for every
// parameter of every model whose report the device sends in the shape it was sent.
TEST_F(IncomingApplyTest, ReportedValuesFrameBackToTheSameMessage)
{
    int checked = 0;
    for (const int model : supportedModels)
    {
        selection().selectedModel = model;
        selection().currentMode = 1;
        for (const int group : {0, 1}) // the mode-independent group and CHAT
            for (auto param : childWithId(modelNode(tree(), model), group))
            {
                const int id = readInt(param, Prop::id, 0);
                const int type = readInt(param, Prop::type, 0);
                // Headphone, OTG and BGM levels are reported as table values, not as the index sent.
                if (type < 10 || id == ParamId::headphones || id == ParamId::otg || id == ParamId::bgm)
                    continue;
                if (id == ParamId::jingleOn || id == ParamId::jingleOff || id == ParamId::modeSelector)
                    continue;
                // Shown in whole units when reported (per cent, dB), so the report lands on the nearest one.
                if (id == 19 || id == ParamId::voiceOverValue)
                    continue;
                const double lo = readDouble(param, Prop::start, 0), hi = readDouble(param, Prop::end, 127);
                for (int step = 0; step <= 40; ++step)
                {
                    param.setProperty(Prop::value, lo + (hi - lo) * step / 40, nullptr);
                    const auto sent = frameEntry(param, model, model);
                    ASSERT_FALSE(sent.empty()) << id;
                    // The device's report has the shape of the message, with the bytes 0..3 unexamined.
                    const auto report = decodeIncoming(sent);
                    ASSERT_EQ(report.address, readInt(param, Prop::nrpn, -1)) << id;
                    applyIncoming(report, tree(), nullptr);
                    EXPECT_EQ(toHex(frameEntry(param, model, model)), toHex(sent))
                        << "model " << model << " id " << id << " value " << lo + (hi - lo) * step / 40;
                    ++checked;
                }
            }
    }
    EXPECT_GT(checked, 4 * 40 * 30);
}

// Reports are found through an index of the tree; it must follow every way the tree changes.
TEST_F(IncomingApplyTest, ReportsFollowTheTreeAsItChanges)
{
    const MidiBytes eqPlus5 = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*EQ of the current mode*/ 0x7B,
                               0x09, 74,   0xF7};
    ASSERT_TRUE(apply(eqPlus5));
    EXPECT_DOUBLE_EQ((double) valueOf(21), 5);

    // The whole tree replaced, as a project import or the preset restore does.
    host().settings().setState(shippedPreset());
    ASSERT_TRUE(apply(eqPlus5));
    EXPECT_DOUBLE_EQ((double) valueOf(21), 5);

    // A mode node replaced by a copy, as copying a mode into a user mode does.
    auto model = modelNode(tree(), 4142);
    auto copy = childWithId(model, 1).createCopy();
    copy.setProperty(Prop::id, 4, nullptr);
    model.removeChild(childWithId(model, 4), nullptr);
    model.addChild(copy, 3, nullptr);
    selection().currentMode = 4;
    ASSERT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x09, 34, 0xF7}));
    EXPECT_DOUBLE_EQ((double) childWithId(copy, 21)[Prop::value], -15);

    // A node's conversion and a node's address changed in place.
    auto eq2 = childWithId(copy, 22);
    ASSERT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, /*EQ 2*/ 0x7B, 0x08, 94, 0xF7}));
    EXPECT_DOUBLE_EQ((double) eq2[Prop::value], 15);
    eq2.setProperty(Prop::ed, "154", nullptr);
    ASSERT_TRUE(apply({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x2E, 0x7B, 0x08, 94, 0xF7}));
    EXPECT_DOUBLE_EQ((double) eq2[Prop::value], 0) << "94 is the middle of 34..154";

    childWithId(copy, 21).setProperty(Prop::nrpn, 0x7B08 + 0x30, nullptr);
    EXPECT_FALSE(apply(eqPlus5)) << "nothing lives at the old address any more";
}
