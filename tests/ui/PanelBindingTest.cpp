// Every control of the panel bound to the nodes the panel's tables name, for every model and mode; controls
// whose node is missing stay unbound and change nothing.
#include "PanelFixture.h"

#include "model/Catalogue.h"
#include "model/KnobTable.h"

using namespace NsStrata;

namespace
{
// The section switches' nodes: slot 1 and slot 2 (0: none).
struct SwitchRow
{
    int section, first, second;
};
constexpr SwitchRow switchRows[] = {
    {PanelSection::deEsser, 18, 0},   {PanelSection::filters, 44, 43},   {PanelSection::eq, 20, 0},
    {PanelSection::exciter, 24, 0},   {PanelSection::compressor, 26, 0}, {PanelSection::reverb, 30, 0},
    {PanelSection::vocalTune, 39, 0}, {PanelSection::harmony, 45, 0},    {PanelSection::bgmPitch, 42, 0},
    {PanelSection::voiceOver, 50, 0},
};

class PanelBindingTest : public PanelTest
{
protected:
    /** The buttons with their nodes, slot by slot. */
    std::vector<std::pair<MappableButton*, std::vector<int>>> buttonRows() const
    {
        std::vector<std::pair<MappableButton*, std::vector<int>>> rows = {
            {&panel->mixerButton(0), {9, 10}},        {&panel->mixerButton(1), {54}},
            {&panel->mixerButton(2), {11}},           {&panel->scaleButton(), {40, 48}},
            {&panel->vocalRemoverButton(), {36, 19}},
        };
        for (int k = 1; k <= 12; ++k)
            rows.push_back({&panel->keyButton(k), {40, 48}});
        return rows;
    }
};
} // namespace

TEST_F(PanelBindingTest, EveryControlIsBoundToItsNodesForEveryModelAndMode)
{
    int checked = 0;
    for (const int model : supportedModels)
        for (int mode = 1; mode <= modeCount; ++mode)
        {
            SCOPED_TRACE(juce::String(model) + " mode " + juce::String(mode));
            bind(model, mode);
            EXPECT_EQ(panel->boundModel(), model);
            EXPECT_EQ(panel->boundMode(), mode);

            for (std::size_t i = 0; i < panelKnobs.size(); ++i)
            {
                const auto& layout = panelKnobs[i];
                auto& knob = panel->knob((int) i);
                SCOPED_TRACE(controlNames[i]);
                EXPECT_EQ(knob.getComponentID(), juce::String(layout.componentId));
                if (layout.paramId == 0)
                {
                    EXPECT_EQ(knob.nodeCount(), 0) << "the level display is never bound";
                    continue;
                }
                EXPECT_EQ(knob.node(1), live(layout.paramId, mode, model));
                if (layout.secondParamId != 0)
                {
                    EXPECT_EQ(knob.node(2), live(layout.secondParamId, mode, model));
                }
                ++checked;
            }
            for (const auto& row : switchRows)
            {
                auto* sw = panel->sectionSwitch(row.section);
                ASSERT_NE(sw, nullptr);
                SCOPED_TRACE(sectionNames[(std::size_t) row.section]);
                EXPECT_EQ(sw->getComponentID(),
                          juce::String(sectionPlaces[(std::size_t) row.section].switchId));
                EXPECT_EQ(sw->node(1), live(row.first, mode, model));
                if (row.second != 0)
                {
                    EXPECT_EQ(sw->node(2), live(row.second, mode, model));
                }
                EXPECT_EQ(sw->getSwitchValue(), readInt(live(row.first, mode, model), Prop::value, 0));
            }
            for (const auto& [button, ids] : buttonRows())
            {
                SCOPED_TRACE(button->getDisplayName().toStdString());
                ASSERT_EQ(button->boundNodes.size(), (int) ids.size());
                for (std::size_t s = 0; s < ids.size(); ++s)
                    EXPECT_EQ(button->boundNodes[(int) s], live(ids[s], mode, model));
            }
        }
    EXPECT_GT(checked, 4 * 5 * 20);
    EXPECT_TRUE(outgoingQueue().getNumChildren() == 0) << "binding sends nothing";
}

TEST_F(PanelBindingTest, ButtonsShowTheStateTheyAreBoundTo)
{
    setNodeValue(live(54), 1); // MIC MUTE on
    setNodeValue(live(9), 1);  // noise reduction on, threshold 2
    setNodeValue(live(10), -18);
    setNodeValue(live(36), 1); // vocal remover at 99 %
    setNodeValue(live(19), 99);
    setNodeValue(live(39), 1); // VOCAL TUNE on, HARMONY off, key E minor
    setNodeValue(live(45), 0);
    setNodeValue(live(40), 5 + 16);
    bind(ardentModel, 1);

    EXPECT_TRUE(panel->mixerButton(1).getToggleState());
    EXPECT_FALSE(panel->pad(8).isEnabled());
    EXPECT_FALSE(panel->pad(9).isEnabled());
    EXPECT_TRUE(panel->pad(7).isEnabled());
    EXPECT_TRUE(panel->mixerButton(0).getToggleState());
    EXPECT_EQ(panel->mixerButton(0).getDisplayName(), "NOISE REDUCTION 2");
    EXPECT_EQ(panel->vocalRemoverButton().getDisplayName(), "99%");
    EXPECT_EQ(panel->scaleButton().getDisplayName(), "m");
    EXPECT_TRUE(panel->scaleButton().getToggleState());
    EXPECT_TRUE(panel->keyButton(5).getToggleState());
    const auto buttons = panel->allButtons();
    EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(),
                            [](MappableButton* b)
                            { return b->kind == ButtonKind::key && b->getToggleState(); }),
              2)
        << "the key E and the scale button";

    // Nothing on: the scale button has nothing to show.
    setNodeValue(live(39), 0);
    setNodeValue(live(36), 0);
    bind(ardentModel, 1);
    EXPECT_EQ(panel->scaleButton().getDisplayName(), "SC");
    EXPECT_FALSE(panel->keyButton(5).isEnabled());
    EXPECT_EQ(panel->vocalRemoverButton().getDisplayName(), "0%");
}

TEST_F(PanelBindingTest, ControlsWhoseNodeIsMissingStayUnboundAndChangeNothing)
{
    // From Ardent's CHAT: a knob's, a switch's, two buttons' and the keys' nodes.
    auto chat = childWithId(modelOf(), 1);
    auto group0 = childWithId(modelOf(), modeIndependentGroup);
    for (const int id : {14, 18, 40})
        chat.removeChild(childWithId(chat, id), nullptr);
    for (const int id : {54, 11, 49})
        group0.removeChild(childWithId(group0, id), nullptr);
    setNodeValue(live(39), 1); // VOCAL TUNE on, so the keys would edit 40
    setNodeValue(live(45), 0);
    bind(ardentModel, 1);
    const auto before = state().createCopy();

    auto& freq = panel->knob(5);
    EXPECT_FALSE(freq.node(1).isValid());
    freq.slider().setValue(7.0, juce::sendNotificationSync);

    auto* deEsser = panel->sectionSwitch(PanelSection::deEsser);
    EXPECT_EQ(deEsser->nodeCount(), 0);
    deEsser->press();

    EXPECT_TRUE(panel->mixerButton(1).boundNodes.isEmpty());
    click(panel->mixerButton(1));
    EXPECT_FALSE(panel->mixerButton(1).getToggleState());
    EXPECT_TRUE(panel->pad(9).isEnabled());
    click(panel->mixerButton(2));
    click(panel->keyButton(3));
    click(panel->pad(2));

    EXPECT_TRUE(queuedIds().empty());
    EXPECT_TRUE(state().isEquivalentTo(before)) << "the tree is unchanged";

    // A whole mode node missing: every mode-dependent control is unbound, the others are not.
    modelOf().removeChild(childWithId(modelOf(), 5), nullptr);
    bind(ardentModel, 5);
    EXPECT_FALSE(panel->knob(5).node(1).isValid());
    EXPECT_FALSE(panel->sectionSwitch(PanelSection::eq)->node(1).isValid());
    EXPECT_EQ(panel->knob(0).node(1), live(1));
    panel->knob(19).slider().setValue(5, juce::sendNotificationSync);
    click(panel->keyButton(2));
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(PanelBindingTest, AfterAModelChangeClicksActOnTheNewModelOnly)
{
    const int brio = supportedModels[1];
    bind(brio, 1);
    const auto ardentBefore = modelOf(ardentModel).createCopy();

    click(panel->mixerButton(1)); // MIC MUTE
    click(panel->pad(3));
    panel->knob(0).slider().setValue(12, juce::sendNotificationSync);

    EXPECT_EQ(valueOf(live(54, 1, brio)), 1);
    EXPECT_EQ(valueOf(live(49, 1, brio)), 3);
    EXPECT_EQ(valueOf(live(1, 1, brio)), 12);
    EXPECT_TRUE(modelOf(ardentModel).isEquivalentTo(ardentBefore));
}
