// What the panel's buttons do: mode switches and copies, jingle pads, the mixer buttons, the scale, key and
// vocal-remover buttons with their popups, and the right-button menu.
#include "PanelFixture.h"

#include "model/Catalogue.h"

using namespace NsStrata;

namespace
{
class PanelClickTest : public PanelTest
{
protected:
    /** Turns VOCAL TUNE (1) or HARMONY (2) on, the other off, and stores the keys. */
    void keySetUp(int active, int vocalKey, int harmonyKey)
    {
        setNodeValue(live(39), active == 1 ? 1 : 0);
        setNodeValue(live(45), active == 2 ? 1 : 0);
        setNodeValue(live(40), vocalKey);
        setNodeValue(live(48), harmonyKey);
        bind(ardentModel, 1);
        resetOutgoingQueue();
    }

    /** Opens the popup of a button with a click and chooses an item of it. */
    void choose(MappableButton& button, int item)
    {
        const auto shown = dialogs.menus.size();
        click(button);
        ASSERT_EQ(dialogs.menus.size(), shown + 1) << "a popup opens";
        dialogs.choose(item);
    }
};

} // namespace

TEST_F(PanelClickTest, ModeButtonsSwitchModeOnceAndRebind)
{
    auto user1 = childWithId(modelOf(), 4);
    user1.setProperty(Prop::basedOnId, 2, nullptr);

    click(panel->modeButton(4));
    EXPECT_EQ(selection().currentMode.load(), 4);
    EXPECT_EQ(readInt(state(), Prop::mode, 0), 4);
    EXPECT_EQ(panel->shownMode(), 4);
    EXPECT_EQ(panel->boundMode(), 4);
    EXPECT_EQ(panel->knob(5).node(1), live(14, 4)) << "mode-dependent knobs follow the mode";
    EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::modeSelector});
    EXPECT_EQ(queuedValue(ParamId::modeSelector), 4 | 1) << "USER 1 based on KTV";
    EXPECT_TRUE(linkFlags().sendingGate) << "the gate is open again";

    // Clicking the current mode again changes and sends nothing.
    resetOutgoingQueue();
    click(panel->modeButton(4));
    EXPECT_TRUE(queuedIds().empty());
    EXPECT_EQ(panel->shownMode(), 4);

    click(panel->modeButton(2));
    EXPECT_EQ(queuedValue(ParamId::modeSelector), 1);
    EXPECT_FALSE(panel->modeButton(4).getToggleState());
    EXPECT_TRUE(panel->modeButton(2).getToggleState());
}

TEST_F(PanelClickTest, CopyButtonsCopyTheCurrentModeKeepingNameAndComment)
{
    auto user1 = childWithId(modelOf(), 4);
    user1.setProperty(Prop::name, "My evening", nullptr);
    user1.setProperty(Prop::comment, "quiet room", nullptr);
    click(panel->modeButton(2)); // KTV
    setNodeValue(live(14, 2), 7.5);
    resetOutgoingQueue();

    click(panel->copyButton(4));
    const auto copied = childWithId(modelOf(), 4);
    EXPECT_EQ(copied[Prop::name].toString(), "My evening");
    EXPECT_EQ(copied[Prop::comment].toString(), "quiet room");
    EXPECT_EQ(valueOf(childWithId(copied, 14)), 7.5);
    EXPECT_EQ(selection().currentMode.load(), 4);
    EXPECT_EQ(panel->shownMode(), 4);
    EXPECT_EQ(panel->knob(5).node(1), childWithId(copied, 14))
        << "bound to the copy, not the node it replaced";
    EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::modeSelector});
    EXPECT_EQ(queuedValue(ParamId::modeSelector), 4 | (readInt(copied, Prop::basedOnId, 1) - 1));

    // Onto itself: nothing.
    resetOutgoingQueue();
    const auto before = state().createCopy();
    click(panel->copyButton(4));
    EXPECT_TRUE(queuedIds().empty());
    EXPECT_TRUE(state().isEquivalentTo(before));
}

TEST_F(PanelClickTest, JinglePadsPlayAndStopThroughTheirNodes)
{
    click(panel->pad(3));
    EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::jinglePlay});
    EXPECT_EQ(queuedValue(ParamId::jinglePlay), 3);

    panel->setJinglePad(6, true); // pad 7 plays
    resetOutgoingQueue();
    click(panel->pad(7));
    EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::jinglePlay2});
    EXPECT_EQ(queuedValue(ParamId::jinglePlay2), 7);

    panel->untoggleJinglePads();
    EXPECT_FALSE(panel->pad(7).getToggleState());

    // A pad rises above its neighbours while it is carried, never above the cover.
    panel->setCoverVisible(true);
    juce::Component& pad = panel->pad(2);
    pad.mouseDown(mouseEvent(pad, {5, 5}));
    pad.mouseUp(mouseEvent(pad, {5, 5}));
    EXPECT_EQ(panel->getChildComponent(panel->getNumChildComponents() - 1), &panel->cover());
}

TEST_F(PanelClickTest, MixerButtons)
{
    auto& mute = panel->mixerButton(1);
    click(mute);
    EXPECT_TRUE(mute.getToggleState());
    EXPECT_EQ(valueOf(live(54)), 1);
    EXPECT_FALSE(panel->pad(8).isEnabled());
    EXPECT_FALSE(panel->pad(9).isEnabled());
    click(mute);
    EXPECT_EQ(valueOf(live(54)), 0);
    EXPECT_TRUE(panel->pad(9).isEnabled());
    EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::micMute}) << "replaces its queued copy";

    resetOutgoingQueue();
    auto& monitor = panel->mixerButton(2);
    const bool wasOn = monitor.getToggleState();
    click(monitor);
    EXPECT_EQ(monitor.getToggleState(), !wasOn);
    EXPECT_EQ(valueOf(live(11)), wasOn ? 0 : 1);
    EXPECT_EQ(queuedIds(), std::vector<int>{ParamId::micMonitor});

    // Noise reduction: a click changes nothing; its popup does.
    resetOutgoingQueue();
    click(panel->mixerButton(0));
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(PanelClickTest, ScaleChoicesKeepTheKeyAndKeysKeepTheScale)
{
    keySetUp(1, 3, 0);
    EXPECT_EQ(panel->scaleButton().getDisplayName(), "M");

    const auto items = RecordingDialogs::itemsOf(panel->scaleMenu());
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].ticked);
    EXPECT_EQ(items[1].text, "minor");

    choose(panel->scaleButton(), PanelMenu::minor);
    EXPECT_EQ(valueOf(live(40)), 19);
    EXPECT_EQ(panel->scaleButton().getDisplayName(), "m");
    EXPECT_EQ(panel->scaleButton().findColour(juce::TextButton::buttonOnColourId), juce::Colour(0xffff4500));
    EXPECT_TRUE(RecordingDialogs::itemsOf(panel->scaleMenu())[1].ticked);
    choose(panel->scaleButton(), PanelMenu::major);
    EXPECT_EQ(valueOf(live(40)), 3);
    EXPECT_EQ(queuedIds(), std::vector<int>{40});

    // Key D is lit: clicking it stores 0 plus the scale bits while VOCAL TUNE is on.
    choose(panel->scaleButton(), PanelMenu::minor);
    ASSERT_TRUE(panel->keyButton(3).getToggleState());
    click(panel->keyButton(3));
    EXPECT_EQ(valueOf(live(40)), 16);
    EXPECT_FALSE(panel->keyButton(3).getToggleState());
    click(panel->keyButton(6));
    EXPECT_EQ(valueOf(live(40)), 16 + 6);
    for (int k = 1; k <= 12; ++k)
        EXPECT_EQ(panel->keyButton(k).getToggleState(), k == 6) << k;

    // With HARMONY on, the keys and the scale edit HARMONY's key, without scale bits.
    keySetUp(2, 3, 16 + 2);
    EXPECT_TRUE(panel->keyButton(2).getToggleState());
    click(panel->keyButton(9));
    EXPECT_EQ(valueOf(live(48)), 9);
    EXPECT_EQ(valueOf(live(40)), 3);
    choose(panel->scaleButton(), PanelMenu::minor);
    EXPECT_EQ(valueOf(live(48)), 16 + 9);
    EXPECT_FALSE(panel->scaleButton().getToggleState()) << "lit only while VOCAL TUNE is on";

    // A dismissed popup changes nothing.
    resetOutgoingQueue();
    choose(panel->scaleButton(), 0);
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(PanelClickTest, VocalRemoverOffKeepsTheAmount)
{
    choose(panel->vocalRemoverButton(), PanelMenu::vocalRemoverFull);
    EXPECT_EQ(valueOf(live(36)), 1);
    EXPECT_EQ(valueOf(live(19)), 99);
    EXPECT_EQ(panel->vocalRemoverButton().getDisplayName(), "99%");
    EXPECT_TRUE(panel->vocalRemoverButton().getToggleState());
    EXPECT_TRUE(RecordingDialogs::itemsOf(panel->vocalRemoverMenu())[2].ticked);

    choose(panel->vocalRemoverButton(), PanelMenu::vocalRemoverOff);
    EXPECT_EQ(valueOf(live(36)), 0);
    EXPECT_EQ(valueOf(live(19)), 99);
    EXPECT_EQ(panel->vocalRemoverButton().getDisplayName(), "0%");
    EXPECT_FALSE(panel->vocalRemoverButton().getToggleState());

    choose(panel->vocalRemoverButton(), PanelMenu::vocalRemoverHalf);
    EXPECT_EQ(valueOf(live(19)), 50);
    EXPECT_EQ(queuedIds(), (std::vector<int>{36, 19}));
}

TEST_F(PanelClickTest, TheRightButtonMenuRefreshesTheScreen)
{
    RecordingListener listener;
    Host::getInstance()->setListener(&listener);
    panel->mouseDown(mouseEvent(*panel, {600, 620}, juce::ModifierKeys::rightButtonModifier));
    ASSERT_EQ(dialogs.menus.size(), 1u);
    const auto items = RecordingDialogs::itemsOf(dialogs.menus.back().menu);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, "RESET TO DEFAULT");
    EXPECT_EQ(items[1].text, "REMOVE THIS DAW");

    selection().selectedModel = supportedModels[2];
    dialogs.choose(PanelMenu::resetToDefault);
    EXPECT_EQ(readInt(state(), Prop::pid, 0), supportedModels[2]);
    EXPECT_EQ(listener.refreshes, 1);
    state().removeProperty(Prop::pid, nullptr);
    panel->onModeMenuItem(PanelMenu::removeThisDaw);
    EXPECT_EQ(listener.refreshes, 2);
    EXPECT_FALSE(state().hasProperty(Prop::pid));
    panel->onModeMenuItem(0);
    EXPECT_EQ(listener.refreshes, 2) << "dismissed";

    // A left press opens nothing.
    panel->mouseDown(mouseEvent(*panel, {600, 620}));
    EXPECT_EQ(dialogs.menus.size(), 1u);
    Host::getInstance()->setListener(nullptr);
    EXPECT_EQ(selection().currentMode.load(), 1) << "no mode changes";
}
