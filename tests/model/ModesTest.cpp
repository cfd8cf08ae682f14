// Switching and copying modes on the state tree, and what they ask the rest of the program to do.
#include "PresetFixture.h"

#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/Modes.h"

#include <vector>

using namespace NsStrata;

namespace
{
struct RecordingEffects : ModeEffects
{
    std::vector<int> selectorValues, rebinds, copiedModes;
    void queueModeSelector(const juce::ValueTree& node) override
    {
        selectorValues.push_back(readInt(node, Prop::value, -1));
    }
    void rebind(int modeId) override { rebinds.push_back(modeId); }
    void sendCopiedMode(const juce::ValueTree& node) override
    {
        copiedModes.push_back(readInt(node, Prop::id, -1));
    }
};

class Modes : public ::testing::Test
{
protected:
    void SetUp() override { selection().reset(); }
    void TearDown() override { selection().reset(); }

    juce::ValueTree root = shippedPreset();
    juce::ValueTree model() { return modelNode(root, 4142); }
    juce::ValueTree mode(int id) { return childWithId(model(), id); }
    RecordingEffects effects;
    ModeController controller{root, effects};
};
} // namespace

TEST_F(Modes, SelectorValueCombinesCodeAndBasedOn)
{
    mode(4).setProperty(Prop::basedOnId, 3, nullptr);
    mode(5).removeProperty(Prop::basedOnId, nullptr);
    mode(2).setProperty(Prop::basedOnId, 3, nullptr);
    EXPECT_EQ(modeSelectorValue(model(), 4), 6);
    EXPECT_EQ(modeSelectorValue(model(), 5), 8);
    EXPECT_EQ(modeSelectorValue(model(), 2), 1) << "factory modes ignore basedOnId";
    EXPECT_EQ(modeCode(9), 0);
}

TEST_F(Modes, SelectingAModeSendsTheSelectorAndRebinds)
{
    mode(4).setProperty(Prop::basedOnId, 2, nullptr);
    controller.selectMode(4, 1);
    EXPECT_EQ(selection().currentMode.load(), 4);
    EXPECT_EQ(readInt(root, Prop::mode, 0), 4);
    EXPECT_EQ(effects.selectorValues, std::vector<int>{5});
    EXPECT_EQ(effects.rebinds, std::vector<int>{4});
    EXPECT_EQ(readInt(parameterNode(model(), ParamId::modeSelector, 4), Prop::value, -1), 5);
}

TEST_F(Modes, SelectingTheShownModeSendsNothing)
{
    controller.selectMode(1, 1);
    EXPECT_TRUE(effects.selectorValues.empty());
    EXPECT_TRUE(effects.rebinds.empty());
}

TEST_F(Modes, CopyIntoUserModeKeepsItsNameAndComment)
{
    mode(5).setProperty(Prop::comment, "my set", nullptr);
    mode(1).setProperty(Prop::basedOnId, 1, nullptr);
    parameterNode(model(), 32, 1).setProperty(Prop::value, 61, nullptr);

    ASSERT_TRUE(controller.copyModeInto(5));
    const auto copied = mode(5);
    EXPECT_EQ(model().indexOf(copied), 4);
    EXPECT_EQ(copied[Prop::name].toString(), "USER 2");
    EXPECT_EQ(copied[Prop::comment].toString(), "my set");
    EXPECT_EQ(readInt(copied, Prop::basedOnId, 0), 1);
    EXPECT_EQ(readDouble(parameterNode(model(), 32, 5), Prop::value, 0), 61);
    EXPECT_EQ(selection().currentMode.load(), 5);
    EXPECT_EQ(effects.copiedModes, std::vector<int>{5});
    EXPECT_EQ(effects.selectorValues, std::vector<int>{8});
    EXPECT_EQ(model().getNumChildren(), 6) << "the old node is replaced, not kept beside";
}

TEST_F(Modes, CopyIntoTheCurrentModeOrAFactoryModeDoesNothing)
{
    selection().currentMode = 4;
    const auto before = root.createCopy();
    EXPECT_FALSE(controller.copyModeInto(4));
    EXPECT_FALSE(controller.copyModeInto(2));
    EXPECT_TRUE(root.isEquivalentTo(before));
    EXPECT_TRUE(effects.copiedModes.empty());
}
