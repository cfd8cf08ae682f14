// Restoring the preset: every model keeps its mode-independent values (matched by address), the modes go
// back to the preset, and the selected model's modes reach the mixer, followed by the queued mode selector.
#include "config/PresetRestore.h"
#include "MixerFixture.h"
#include "RecordingLink.h"
#include "config/HostImportLink.h"
#include "model/Modes.h"

using namespace NsStrata;

namespace
{
juce::String xmlText(const juce::ValueTree& tree)
{
    const auto xml = tree.createXml();
    return xml != nullptr ? xml->toString() : juce::String();
}

/** The user's tree: the preset with edits in every model's mode-independent group and in its modes. */
juce::ValueTree editedTree()
{
    auto tree = shippedPreset();
    for (int model : supportedModels)
    {
        auto headphones = parameterNode(modelNode(tree, model), ParamId::headphones, 1);
        headphones.setProperty(Prop::value, -3, nullptr);
        headphones.setProperty(Prop::last, 5, nullptr);
        for (int mode = 1; mode <= modeCount; ++mode)
            for (auto p : childWithId(modelNode(tree, model), mode))
                p.setProperty(Prop::value, readDouble(p, Prop::end, 0), nullptr);
    }
    tree.setProperty(Prop::mode, 4, nullptr);
    return tree;
}

class PresetRestoreTest : public ::testing::Test
{
protected:
    void SetUp() override { resetLink(); }
    void TearDown() override { resetLink(); }
};
} // namespace

TEST_F(PresetRestoreTest, ModeIndependentValuesAreKeptByAddress)
{
    auto kept = editedTree();
    // Matched by address, not by id; a kept node without "last" leaves the preset's alone.
    auto moved = parameterNode(modelNode(kept, 4142), ParamId::headphones, 1);
    moved.setProperty(Prop::id, 99, nullptr);
    moved.removeProperty(Prop::last, nullptr);
    // A model the kept tree does not have, and one with id 0, keep the preset's values.
    kept.removeChild(modelNode(kept, 4114), nullptr);
    auto preset = shippedPreset();
    preset.getChild(1).setProperty(Prop::id, 0, nullptr); // Brio's node

    keepModeIndependentValues(preset, kept);

    const auto headphonesOf = [&](int modelIndex) {
        return childWithId(childWithId(preset.getChild(modelIndex), modeIndependentGroup),
                           ParamId::headphones);
    };
    const auto original = presetNode(ParamId::headphones);
    EXPECT_EQ(readInt(headphonesOf(0), Prop::value, 0), -3) << "Ardent, by address";
    EXPECT_FALSE(headphonesOf(0).hasProperty(Prop::last));
    EXPECT_EQ(headphonesOf(1)[Prop::value], original[Prop::value]) << "the model with id 0";
    EXPECT_EQ(readInt(headphonesOf(2), Prop::value, 0), -3) << "Brio Max";
    EXPECT_EQ(readInt(headphonesOf(2), Prop::last, 0), 5);
    EXPECT_EQ(headphonesOf(3)[Prop::value], original[Prop::value]) << "Brio Solo, not in the kept tree";
    EXPECT_EQ(xmlText(childWithId(preset.getChild(2), 1)),
              xmlText(childWithId(modelNode(shippedPreset(), 4141), 1)))
        << "the modes are the preset's";
}

TEST_F(PresetRestoreTest, RestoreReplacesTheTreeInPlaceThenWritesTheDevice)
{
    selection().selectedModel = 4115;
    selection().currentMode = 3;
    auto state = editedTree();
    const auto handle = state;
    RecordingLink link;
    const auto result = restorePreset(state, shippedPreset(), link,
                                      [&] { link.events.add(link.gate ? "pads, gate open" : "pads"); });
    ASSERT_TRUE(result.wasOk());

    EXPECT_TRUE(state == handle) << "the same tree object, now holding the preset";
    auto expected = shippedPreset();
    keepModeIndependentValues(expected, editedTree());
    parameterNode(modelNode(expected, 4115), ParamId::modeSelector, 1).setProperty(Prop::value, 2, nullptr);
    EXPECT_EQ(xmlText(state), xmlText(expected));

    EXPECT_EQ(link.events,
              juce::StringArray({"gate closed", "rebind 2/3", "send mode 0", "pump 50", "send mode 1",
                                 "pump 50", "send mode 2", "pump 50", "send mode 4", "pump 50", "send mode 8",
                                 "pump 50", "queue id 8 value 2 replace force", "pads", "gate open"}));
    for (const auto& block : link.sent)
        EXPECT_EQ(block[10], 1) << "the restore's action byte";

    // A preset that is no state tree changes nothing and sends nothing.
    RecordingLink untouched;
    const auto before = xmlText(state);
    EXPECT_EQ(restorePreset(state, juce::ValueTree("STRATA"), untouched).getErrorMessage(),
              "The preset file could not be read!");
    EXPECT_EQ(xmlText(state), before);
    EXPECT_TRUE(untouched.events.isEmpty());
}

TEST_F(PresetRestoreTest, TheMixerGetsEveryModeOfTheShippedPreset)
{
    constexpr int model = 4141;
    const auto preset = shippedPreset();
    auto mixer = connectMixer(model, editedTree());
    auto& host = *Host::getInstance();
    selection().currentMode = 5;

    std::vector<std::pair<int, int>> rebinds;
    HostImportLink link([&](int m, int mode) { rebinds.emplace_back(m, mode); });
    linkFlags().sendingGate = true;
    ASSERT_TRUE(restoreShippedPreset(host.state(), link).wasOk());
    EXPECT_EQ(rebinds, (std::vector<std::pair<int, int>>{{3, 5}}));
    EXPECT_TRUE(linkFlags().sendingGate.load());

    waitForMixer(*mixer, 5);
    ASSERT_EQ(mixer->received().size(), 5u);
    expectMixerHoldsModes(*mixer, modelNode(preset, model));
    EXPECT_EQ(mixer->protocolErrors().joinIntoString("\n"), "") << "protocol errors";

    EXPECT_EQ(readInt(parameterNode(modelNode(host.state(), model), ParamId::headphones, 1), Prop::value, 0),
              -3);
    ASSERT_EQ(outgoingQueue().getNumChildren(), 1);
    EXPECT_EQ(readInt(outgoingQueue().getChild(0), Prop::id, 0), ParamId::modeSelector);
    EXPECT_EQ(readInt(outgoingQueue().getChild(0), Prop::value, -1), modeCode(5));
    host.setPortBackend(nullptr);
}
