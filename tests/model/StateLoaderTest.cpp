// Which tree the program starts from, given the shipped preset and the tree stored at the last exit.
#include "PresetFixture.h"

#include "model/Catalogue.h"
#include "model/Models.h"

using namespace NsStrata;

namespace
{
juce::String xmlOf(const juce::ValueTree& tree)
{
    return tree.isValid() ? tree.toXmlString() : juce::String();
}

juce::ValueTree withVersion(juce::ValueTree tree, const juce::String& version)
{
    tree.setProperty(Prop::ver, version, nullptr);
    return tree;
}

double valueOf(const juce::ValueTree& root, int id, int mode = 1)
{
    return readDouble(parameterNode(modelNode(root, 4142), id, mode), Prop::value, -12345);
}

void setValue(juce::ValueTree& root, int id, double v, int mode = 1)
{
    parameterNode(modelNode(root, 4142), id, mode).setProperty(Prop::value, v, nullptr);
}
} // namespace

TEST(StateLoader, PresetWinsButKeepsTheUsersSettingsFromLastTime)
{
    // The preset's own values for nodes that are not the user's differ from their defaults here, so that
    // taking "defa" instead of the preset's "value" shows.
    auto preset = shippedPreset();
    setValue(preset, ParamId::dumpRequest, 5); // keep 0
    auto negative = parameterNode(modelNode(preset, 4142), ParamId::mic2, 1);
    negative.setProperty(Prop::keep, -1, nullptr);
    negative.setProperty(Prop::value, 7, nullptr);
    auto noKeep = parameterNode(modelNode(preset, 4142), ParamId::otg, 1);
    noKeep.removeProperty(Prop::keep, nullptr);
    noKeep.setProperty(Prop::value, 1, nullptr);
    ASSERT_NE(readDouble(negative, Prop::defa, 7), 7);

    auto stored = withVersion(shippedPreset(), "2019.1");
    setValue(stored, ParamId::mic1, 42);        // a user setting (keep 1)
    setValue(stored, 32, 77, 2);                // a mode setting of KTV
    setValue(stored, ParamId::dumpRequest, 64); // transient (keep 0)
    setValue(stored, ParamId::mic2, 9);
    setValue(stored, ParamId::otg, 3);
    childWithId(modelNode(stored, 4142), 4).setProperty(Prop::basedOnId, 3, nullptr);
    stored.setProperty(Prop::mode, 4, nullptr);

    const auto loaded = chooseStartState(xmlOf(preset), xmlOf(stored));
    EXPECT_EQ(loaded.tree[Prop::ver].toString(), stateVersion);
    EXPECT_EQ(valueOf(loaded.tree, ParamId::mic1), 42);
    EXPECT_EQ(valueOf(loaded.tree, 32, 2), 77);
    EXPECT_EQ(valueOf(loaded.tree, ParamId::dumpRequest), 5) << "keep 0: the preset's value, not defa";
    EXPECT_EQ(valueOf(loaded.tree, ParamId::mic2), 7) << "negative keep: the preset's value, not defa";
    EXPECT_EQ(valueOf(loaded.tree, ParamId::otg), 1) << "no keep counts as 0 here";
    EXPECT_EQ(readInt(childWithId(modelNode(loaded.tree, 4142), 4), Prop::basedOnId, 1), 3);
    EXPECT_EQ(loaded.mode, 4);
    EXPECT_EQ(readInt(loaded.tree, Prop::mode, 0), 4);
}

TEST(StateLoader, PresetAloneOrWithAnUnusableStoredTree)
{
    auto preset = shippedPreset();
    preset.setProperty(Prop::ver, "old", nullptr);
    juce::ValueTree twoModels("STRATA");
    twoModels.appendChild(modelNode(shippedPreset(), 4142).createCopy(), nullptr);
    twoModels.appendChild(modelNode(shippedPreset(), 4115).createCopy(), nullptr);
    setValue(twoModels, ParamId::mic1, 42);

    for (const juce::String& stored : {juce::String(), juce::String("not xml <"), xmlOf(twoModels)})
    {
        const auto loaded = chooseStartState(xmlOf(preset), stored);
        EXPECT_EQ(loaded.tree[Prop::ver].toString(), stateVersion) << stored;
        EXPECT_EQ(valueOf(loaded.tree, ParamId::mic1), valueOf(preset, ParamId::mic1)) << stored;
    }
}

TEST(StateLoader, WithoutPresetTheStoredTreeIsUsed)
{
    auto stored = withVersion(shippedPreset(), stateVersion);
    setValue(stored, ParamId::mic1, 42);
    setValue(stored, ParamId::dumpRequest, 64);
    auto node = parameterNode(modelNode(stored, 4142), ParamId::mic2, 1);
    node.setProperty(Prop::keep, -3, nullptr);
    node.setProperty(Prop::value, 9, nullptr);
    auto noDefault = parameterNode(modelNode(stored, 4142), ParamId::otg, 1);
    noDefault.setProperty(Prop::keep, 0, nullptr);
    noDefault.removeProperty(Prop::defa, nullptr);
    noDefault.setProperty(Prop::value, 3, nullptr);

    const auto same = chooseStartState({}, xmlOf(stored));
    EXPECT_EQ(valueOf(same.tree, ParamId::mic1), 42) << "keep 1 keeps its value";
    EXPECT_EQ(valueOf(same.tree, ParamId::dumpRequest), 0) << "keep 0 goes back to defa";
    EXPECT_EQ(valueOf(same.tree, ParamId::mic2), readDouble(node, Prop::defa, 0)) << "negative keep too";
    EXPECT_EQ(valueOf(same.tree, ParamId::otg), 3) << "no defa, nothing to reset to";

    const auto older = chooseStartState("<broken", xmlOf(withVersion(stored, "2020.01")));
    EXPECT_EQ(older.tree[Prop::ver].toString(), "2020.01");
    EXPECT_EQ(valueOf(older.tree, ParamId::dumpRequest), 64) << "an older tree is taken unchanged";
}

TEST(StateLoader, NothingUsableGivesNoTree)
{
    EXPECT_FALSE(chooseStartState({}, {}).tree.isValid());
    EXPECT_FALSE(chooseStartState("garbage", "<x/>").tree.isValid() &&
                 isUsableTree(chooseStartState("garbage", "<x/>").tree));
}

TEST(StateLoader, RootModeSelectsTheStartModeOnlyWhenItIsAMode)
{
    const struct
    {
        juce::var mode;
        int expected;
    } cases[] = {{4, 4}, {"5", 5}, {0, 0}, {7, 0}, {juce::var(), 0}};
    for (const auto& c : cases)
    {
        auto preset = shippedPreset();
        if (c.mode.isVoid())
            preset.removeProperty(Prop::mode, nullptr);
        else
            preset.setProperty(Prop::mode, c.mode, nullptr);
        EXPECT_EQ(chooseStartState(xmlOf(preset), {}).mode, c.expected) << c.mode.toString();
    }
}
