// Mode blocks: the fixed bytes, the mode byte, field widths and positions, the end of the block, and the
// round trip through the device's own decoder for every mode of every model of the preset.
#include "config/ModeBlock.h"
#include "../model/PresetFixture.h"
#include "device/IncomingApplier.h"
#include "device/IncomingMessage.h"
#include "device/LinkFlags.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/Models.h"

using namespace NsStrata;

namespace
{
// A mode node whose parameter nodes carry plain numbers (no conversion): device value = "value".
juce::ValueTree plainModeNode(int modeId, int type)
{
    juce::ValueTree mode("GROUP");
    mode.setProperty(Prop::id, modeId, nullptr);
    for (int id : DeviceBlocks::modeLayout)
    {
        if (id == 0)
            continue;
        juce::ValueTree p("PARAM");
        p.setProperty(Prop::id, id, nullptr);
        p.setProperty(Prop::nrpn, (int) addressOf(id), nullptr);
        p.setProperty(Prop::type, type, nullptr);
        p.setProperty(Prop::value, id, nullptr);
        mode.appendChild(p, nullptr);
    }
    return mode;
}

juce::ValueTree nodeOf(const juce::ValueTree& mode, int id)
{
    return childWithId(mode, id);
}

juce::String hex(const MidiBytes& bytes)
{
    juce::StringArray parts;
    for (auto b : bytes)
        parts.add(juce::String::toHexString((int) b).paddedLeft('0', 2).toUpperCase());
    return parts.joinIntoString(" ");
}
} // namespace

TEST(ModeBlock, FixedBytesNameTheModelAndTheAction)
{
    struct Case
    {
        int model;
        ModeBlockAction action;
        const char* start;
    };
    const Case cases[] = {
        {4142, ModeBlockAction::restore, "F0 00 02 4E 20 2E 7C 01 33 00 01"},
        {4115, ModeBlockAction::copiedMode, "F0 00 02 4E 20 13 7C 01 33 00 05"},
        {4141, ModeBlockAction::restore, "F0 00 02 4E 20 2D 7C 01 33 00 01"},
        {4114, ModeBlockAction::restore, "F0 00 02 4E 20 12 7C 01 33 00 01"},
    };
    for (const auto& c : cases)
    {
        const auto block = buildModeBlock(plainModeNode(1, 10), c.action, c.model);
        ASSERT_EQ(block.size(), 61u);
        EXPECT_TRUE(hex(block).startsWith(c.start)) << hex(block);
        EXPECT_EQ(block.back(), 0xF7);
    }
    selection().selectedModel = 4115;
    EXPECT_EQ(buildModeBlock(plainModeNode(1, 10), ModeBlockAction::restore)[5], 0x13)
        << "the selected model";
    selection().reset();
}

TEST(ModeBlock, ModeByteIsTheCodeWithTheBasedOnMode)
{
    struct Case
    {
        const char* what;
        int id;
        juce::var basedOnId;
        uint8_t expected;
    };
    const Case cases[] = {
        {"CHAT", 1, {}, 0x00},
        {"KTV", 2, {}, 0x01},
        {"PRO", 3, {}, 0x02},
        {"USER 1 without basedOnId", 4, {}, 0x04},
        {"USER 1 based on KTV", 4, 2, 0x05},
        {"USER 2 based on PRO", 5, 3, 0x0A},
        {"basedOnId read from XML text", 5, "2", 0x09},
        {"an unknown mode id has code 0", 9, {}, 0x00},
        {"a wild basedOnId stays a data byte", 4, 200, (199 | 4) & 0x7F},
    };
    for (const auto& c : cases)
    {
        auto mode = plainModeNode(c.id, 10);
        if (!c.basedOnId.isVoid())
            mode.setProperty(Prop::basedOnId, c.basedOnId, nullptr);
        EXPECT_EQ(buildModeBlock(mode, ModeBlockAction::restore, 4142)[9], c.expected) << c.what;
    }
}

TEST(ModeBlock, OneByteFieldsFillBytes11To48)
{
    const auto block = buildModeBlock(plainModeNode(1, 10), ModeBlockAction::restore, 4142);
    for (size_t i = 2; i < DeviceBlocks::modeLayout.size(); ++i)
        EXPECT_EQ(block[9 + i], (uint8_t) DeviceBlocks::modeLayout[i]) << "layout entry " << i;
    for (size_t b = 49; b <= 59; ++b)
        EXPECT_EQ(block[b], 0) << "byte " << b;
}

TEST(ModeBlock, FieldWidthsFollowTheNodeType)
{
    // The first field (id 18) lands on byte 11; the second (id 14) right after it.
    struct Case
    {
        const char* what;
        juce::var type; // void: no "type" at all
        juce::var value;
        std::vector<uint8_t> firstField;
        size_t secondAt;
    };
    const Case cases[] = {
        {"type 12: two bytes, high first", 12, 0x01 * 128 + 0x23, {0x01, 0x23}, 13},
        {"type 14: four bytes, high first", 14, ((1 * 128 + 2) * 128 + 3) * 128 + 4, {1, 2, 3, 4}, 15},
        {"type 9: one byte, low seven bits", 9, 0x85, {0x05}, 12},
        {"type 6: one byte", 6, 0x7F, {0x7F}, 12},
        {"no type: one byte", juce::var(), 5, {0x05}, 12},
        {"type 13 keeps three bytes and writes none", 13, 0x7F, {0, 0, 0}, 14},
        {"type 15 keeps five bytes and writes none", 15, 0x7F, {0, 0, 0, 0, 0}, 16},
        {"a value given as text", 10, "17", {17}, 12},
    };
    for (const auto& c : cases)
    {
        auto mode = plainModeNode(1, 10);
        auto first = nodeOf(mode, 18);
        first.setProperty(Prop::value, c.value, nullptr);
        if (c.type.isVoid())
            first.removeProperty(Prop::type, nullptr);
        else
            first.setProperty(Prop::type, c.type, nullptr);

        const auto block = buildModeBlock(mode, ModeBlockAction::restore, 4142);
        const MidiBytes field(block.begin() + 11, block.begin() + 11 + (long) c.firstField.size());
        EXPECT_EQ(field, c.firstField) << c.what;
        EXPECT_EQ(block[c.secondAt], 14) << c.what << ": the next field follows";
    }
}

TEST(ModeBlock, FieldsStopAtTheEndByte)
{
    // Four-byte fields: the twelfth ends on byte 58; the thirteenth would cross byte 59 and is not written.
    auto mode = plainModeNode(1, 14);
    for (auto p : mode)
        p.setProperty(Prop::value, ((1 * 128 + 1) * 128 + 1) * 128 + 1, nullptr);
    const auto block = buildModeBlock(mode, ModeBlockAction::restore, 4142);
    for (size_t b = 11; b <= 58; ++b)
        EXPECT_EQ(block[b], 1) << "byte " << b;
    EXPECT_EQ(block[59], 0);
    EXPECT_EQ(block[60], 0xF7);

    auto wild = plainModeNode(1, 10);
    nodeOf(wild, 18).setProperty(Prop::type, std::numeric_limits<int>::max(), nullptr);
    const auto cut = buildModeBlock(wild, ModeBlockAction::restore, 4142);
    EXPECT_EQ(cut.size(), 61u);
    EXPECT_EQ(MidiBytes(cut.begin() + 11, cut.end() - 1), MidiBytes(49, 0)) << "a huge width ends the block";
}

TEST(ModeBlock, MissingNodesGiveZeroBytes)
{
    auto mode = plainModeNode(2, 10);
    mode.removeChild(nodeOf(mode, 18), nullptr);
    const auto block = buildModeBlock(mode, ModeBlockAction::restore, 4142);
    EXPECT_EQ(block[11], 0);
    EXPECT_EQ(block[12], 14);
}

TEST(ModeBlock, DecoderReadsBackEveryFieldOfThePreset)
{
    // Compared in device units: that is what the block carries (display values come back on the device's
    // grid).
    const auto preset = shippedPreset();
    ASSERT_TRUE(isUsableTree(preset));
    for (size_t m = 0; m < supportedModels.size(); ++m)
    {
        const int model = supportedModels[m];
        for (int modeId = 1; modeId <= 5; ++modeId)
        {
            SCOPED_TRACE("model " + juce::String(model) + " mode " + juce::String(modeId));
            const auto original = childWithId(modelNode(preset, model), modeId);
            ASSERT_TRUE(original.isValid());

            auto readBack = preset.createCopy();
            auto target = childWithId(modelNode(readBack, model), modeId);
            for (auto p : target)
                p.setProperty(Prop::value, -12345, nullptr);

            selection().selectedModel = model;
            const auto message = decodeIncoming(buildModeBlock(original, ModeBlockAction::restore, model));
            ASSERT_EQ(message.kind, IncomingKind::modeBlock);
            ASSERT_TRUE(applyIncoming(message, readBack, nullptr));

            for (int id : DeviceBlocks::modeLayout)
            {
                if (id == 0)
                    continue;
                const auto before = childWithId(original, id);
                const auto after = childWithId(target, id);
                ASSERT_TRUE(before.isValid()) << "id " << id;
                EXPECT_NE(readDouble(after, Prop::value, 0), -12345) << "id " << id << " was not read back";
                EXPECT_EQ(unpack7BitGroups(deviceValue(after)), unpack7BitGroups(deviceValue(before)))
                    << "id " << id;
            }
        }
    }
    selection().reset();
    linkFlags().reset();
}
