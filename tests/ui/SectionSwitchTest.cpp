// Section switches with a small panel of real controls bound to the shipped preset: presses, what is sent,
// VOCAL TUNE and HARMONY, the key buttons and the controls that follow their switch.
#include "UiFixture.h"

#include "ui/controls/MappableButton.h"
#include "ui/controls/SectionSwitch.h"
#include "ui/controls/SectionTitle.h"

using namespace NsStrata;

namespace
{
class SectionSwitchTest : public UiTest
{
protected:
    std::unique_ptr<SectionSwitch> makeSwitch(const juce::String& id)
    {
        auto s = std::make_unique<SectionSwitch>(false, "G", true);
        s->setComponentID(id);
        s->setBounds(0, 0, 24, 28);
        return s;
    }

    static void press(SectionSwitch& s, juce::ModifierKeys mods = juce::ModifierKeys::leftButtonModifier)
    {
        // Buttons keep their mouse handlers protected; the framework calls them as a component's. A button
        // takes presses only while it is shown.
        juce::Component& c = s;
        s.setVisible(true);
        c.mouseDown(mouseEvent(s, {5, 5}, mods));
        c.mouseUp(mouseEvent(s, {5, 5}, mods));
    }

    static double valueOf(const juce::ValueTree& n) { return readDouble(n, Prop::value, 0); }
};

/** VOCAL TUNE and HARMONY with the controls the panel gives them. */
struct PitchSections
{
    std::unique_ptr<SectionSwitch> vocalTune, harmony;
    std::unique_ptr<ParameterKnob> pitch, intensity, type;
    std::unique_ptr<MappableButton> scale;
    std::vector<std::unique_ptr<MappableButton>> keys;

    PitchSections(const std::function<juce::ValueTree(int)>& node)
    {
        vocalTune = std::make_unique<SectionSwitch>(false, "G", true);
        vocalTune->setComponentID(SwitchId::vocalTune);
        harmony = std::make_unique<SectionSwitch>(false, "G", true);
        harmony->setComponentID(SwitchId::harmony);
        pitch = makePanelKnob(11);
        intensity = makePanelKnob(PanelKnob::sharedIntensity);
        type = makePanelKnob(13);
        pitch->attach(node(41), 1);
        intensity->attach(node(38), 1);
        intensity->attach(node(46), 2);
        type->attach(node(47), 1);
        scale = std::make_unique<MappableButton>("SC");
        scale->boundNodes = {node(40), node(48)};
        static const char* const names[] = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};
        for (int k = 0; k < 12; ++k)
        {
            keys.push_back(std::make_unique<MappableButton>(names[k]));
            keys.back()->slot = k + 1;
            keys.back()->boundNodes = {node(40), node(48)};
        }
        std::vector<MappableButton*> keyButtons;
        for (auto& k : keys)
            keyButtons.push_back(k.get());

        vocalTune->attach(node(39), 1);
        harmony->attach(node(45), 1);
        vocalTune->setSection({{pitch.get(), intensity.get()}, {scale.get()}, keyButtons, harmony.get()});
        harmony->setSection({{intensity.get(), type.get()}, {}, keyButtons, vocalTune.get()});
    }

    /** The numbers (1..12) of the keys toggled on, and whether the keys are enabled. */
    std::vector<int> keysOn() const
    {
        std::vector<int> on;
        for (auto& k : keys)
            if (k->getToggleState())
                on.push_back(k->slot);
        return on;
    }
    bool keysEnabled() const { return keys.front()->isEnabled() && keys.back()->isEnabled(); }
};
} // namespace

TEST_F(SectionSwitchTest, PressesFlipTheSwitchWithinWhatEnaQAllows)
{
    struct Case
    {
        const char* what;
        const char* switchId;
        int paramId;
        int valueBefore;
        juce::var enaQ; // void: absent
        bool rightButton;
        int valueAfter;
        bool queued;
    };
    const Case cases[] = {
        {"a press turns an effect on with 127", "12", 18, 0, {}, false, 127, true},
        {"a press turns it off with 0", "12", 18, 1, {}, false, 0, true},
        {"VOCAL TUNE turns on with 1", "33", 39, 0, {}, false, 1, true},
        {"HARMONY turns off with 0", "37", 45, 1, {}, false, 0, true},
        {"enaQ true allows turning on", "28", 30, 0, true, false, 127, true},
        {"enaQ false: a press while off does nothing", "28", 30, 0, false, false, 0, false},
        {"a right press changes nothing", "12", 18, 0, {}, true, 0, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        resetOutgoingQueue();
        auto n = node(c.paramId);
        n.setProperty(Prop::value, c.valueBefore, nullptr);
        if (c.enaQ.isVoid())
            n.removeProperty(Prop::enaQ, nullptr);
        else
            n.setProperty(Prop::enaQ, c.enaQ, nullptr);
        auto s = makeSwitch(c.switchId);
        s->attach(n, 1);
        EXPECT_TRUE(queuedIds().empty()) << "binding sends nothing";

        press(*s, c.rightButton ? juce::ModifierKeys::rightButtonModifier
                                : juce::ModifierKeys::leftButtonModifier);

        EXPECT_EQ(s->getSwitchValue(), c.valueAfter);
        EXPECT_EQ(s->isOn(), c.valueAfter != 0);
        EXPECT_EQ(s->getToggleState(), s->isOn());
        EXPECT_EQ(readInt(n, Prop::value, -1), c.valueAfter);
        EXPECT_EQ(queuedIds(), c.queued ? std::vector<int>{c.paramId} : std::vector<int>{});
    }
}

TEST_F(SectionSwitchTest, ASwitchThatMayNotBeEnabledCanStillBeTurnedOff)
{
    auto reverb = node(30);
    auto s = makeSwitch(SwitchId::reverb);
    s->attach(reverb, 1);
    ASSERT_TRUE(s->isOn());

    // The device reports the mode may not enable it while it is on.
    reverb.setProperty(Prop::enaQ, 0, nullptr);
    press(*s);
    EXPECT_FALSE(s->isOn());
    EXPECT_EQ(valueOf(reverb), 0);
    press(*s);
    EXPECT_FALSE(s->isOn());
    EXPECT_EQ(queuedIds(), std::vector<int>{30});

    // The keyboard presses the same way.
    reverb.setProperty(Prop::enaQ, 1, nullptr);
    s->triggerClick();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(20);
    EXPECT_TRUE(s->isOn());

    // A press whose mouse moves a little before the release is still one press, sent once.
    resetOutgoingQueue();
    juce::Component& c = *s;
    c.mouseDown(mouseEvent(*s, {5, 5}));
    c.mouseDrag(mouseEvent(*s, {7, 6}));
    c.mouseUp(mouseEvent(*s, {7, 6}));
    EXPECT_FALSE(s->isOn());
    EXPECT_EQ(valueOf(reverb), 0);
    EXPECT_EQ(queuedIds(), std::vector<int>{30});
    EXPECT_EQ(queuedValue(30), 0);
}

TEST_F(SectionSwitchTest, NodesWithoutPropertiesOrAddressAreEditedButNeverQueued)
{
    juce::ValueTree bare("PARAM");
    auto noAddress = node(18).createCopy();
    noAddress.removeProperty(Prop::nrpn, nullptr);
    auto s = makeSwitch(SwitchId::deEsser);
    s->bindNodes({bare, noAddress});
    EXPECT_FALSE(s->isOn()) << "no value reads as 0";
    press(*s);
    EXPECT_TRUE(s->isOn());
    EXPECT_EQ(valueOf(bare), 127);
    EXPECT_EQ(valueOf(noAddress), 127);
    EXPECT_TRUE(queuedIds().empty());

    // The section logic with missing nodes and controls without nodes.
    auto shift = makePanelKnob(PanelKnob::shift);
    MappableButton button("VR");
    auto bgm = makeSwitch(SwitchId::bgmPitch);
    bgm->setSection({{shift.get(), nullptr}, {&button, nullptr}, {nullptr}, nullptr});
    press(*bgm);
    press(*bgm);
    EXPECT_FALSE(bgm->isOn());
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(SectionSwitchTest, EveryBoundNodeFollowsAndTheSendOnceFlagHoldsBackOneChange)
{
    auto lowCut = node(44), highCut = node(43);
    highCut.setProperty(Prop::value, 0, nullptr);
    auto filters = makeSwitch(SwitchId::filters);
    filters->bindNodes({lowCut, highCut});
    EXPECT_TRUE(filters->isOn());
    EXPECT_EQ(valueOf(highCut), 1) << "the second node takes the switch's value on binding";

    resetOutgoingQueue();
    filters->setSendOnce(false);
    filters->setSwitchValue(0);
    EXPECT_EQ(valueOf(lowCut), 0);
    EXPECT_EQ(valueOf(highCut), 0);
    EXPECT_TRUE(queuedIds().empty()) << "the change the device made is not sent back";
    EXPECT_TRUE(filters->sendsNextChange());

    filters->setSwitchValue(127);
    EXPECT_EQ(queuedIds(), (std::vector<int>{44, 43}));
    EXPECT_EQ(queuedValue(43), 127);

    // While the link is not synchronised nothing is queued (the switch does not force).
    resetOutgoingQueue();
    linkFlags().synchronised = false;
    filters->setSwitchValue(0);
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(SectionSwitchTest, VocalTuneAndHarmonyExcludeEachOtherWithoutSendingTheOther)
{
    PitchSections p([this](int id) { return node(id); });
    node(48).setProperty(Prop::value, 5, nullptr);
    node(40).setProperty(Prop::value, 16 | 3, nullptr);

    press(*p.vocalTune);
    ASSERT_TRUE(p.vocalTune->isOn());
    EXPECT_EQ(p.keysOn(), std::vector<int>{3});
    EXPECT_EQ(queuedIds(), std::vector<int>{39});

    resetOutgoingQueue();
    press(*p.harmony);
    EXPECT_TRUE(p.harmony->isOn());
    EXPECT_FALSE(p.vocalTune->isOn());
    EXPECT_FALSE(p.vocalTune->getToggleState());
    EXPECT_EQ(valueOf(node(39)), 0);
    EXPECT_EQ(valueOf(node(45)), 1);
    EXPECT_EQ(queuedIds(), std::vector<int>{45}) << "VOCAL TUNE's change is the device's own";
    EXPECT_TRUE(p.vocalTune->sendsNextChange());
    EXPECT_EQ(p.keysOn(), std::vector<int>{5}) << "HARMONY's key";
    EXPECT_TRUE(p.keysEnabled());

    // And back: turning VOCAL TUNE on turns HARMONY off, unsent.
    resetOutgoingQueue();
    press(*p.vocalTune);
    EXPECT_FALSE(p.harmony->isOn());
    EXPECT_EQ(valueOf(node(45)), 0);
    EXPECT_EQ(queuedIds(), std::vector<int>{39});
    EXPECT_EQ(p.keysOn(), std::vector<int>{3});

    // Both off: the keys are disabled and none is on.
    press(*p.vocalTune);
    EXPECT_TRUE(p.keysOn().empty());
    EXPECT_FALSE(p.keys.front()->isEnabled());
}

TEST_F(SectionSwitchTest, TheSharedIntensityFollowsWhicheverEffectIsOn)
{
    PitchSections p([this](int id) { return node(id); });
    node(38).setProperty(Prop::value, 30, nullptr);
    node(46).setProperty(Prop::value, 70, nullptr);
    p.vocalTune->setSwitchValue(0);
    p.harmony->setSwitchValue(0);
    EXPECT_FALSE(p.intensity->isEnabled());
    EXPECT_DOUBLE_EQ(p.intensity->slider().getValue(), 0) << "its off when neither is on";
    EXPECT_FALSE(p.pitch->isEnabled());
    EXPECT_FALSE(p.scale->isEnabled());

    press(*p.vocalTune);
    EXPECT_TRUE(p.intensity->isEnabled());
    EXPECT_DOUBLE_EQ(p.intensity->slider().getValue(), 30);
    EXPECT_TRUE(p.pitch->isEnabled());
    EXPECT_TRUE(p.scale->isEnabled());
    EXPECT_FALSE(p.type->isEnabled());

    press(*p.harmony);
    EXPECT_TRUE(p.intensity->isEnabled());
    EXPECT_DOUBLE_EQ(p.intensity->slider().getValue(), 70);
    EXPECT_TRUE(p.type->isEnabled());
    EXPECT_FALSE(p.pitch->isEnabled());
    EXPECT_EQ(valueOf(node(40)), 0) << "VOCAL TUNE's button keeps its value";
}

TEST_F(SectionSwitchTest, ControlsFollowTheirSwitchOnlyOnceThePanelHasToldIt)
{
    auto freq = makePanelKnob(PanelKnob::deEsserFreq), gain = makePanelKnob(PanelKnob::deEsserGain);
    auto s = makeSwitch(SwitchId::deEsser);
    s->attach(node(18), 1);
    press(*s);
    ASSERT_FALSE(s->isOn());
    EXPECT_TRUE(freq->isEnabled()) << "no section given yet";

    s->setSection({{freq.get(), gain.get()}, {}, {}, nullptr});
    EXPECT_FALSE(freq->isEnabled());
    EXPECT_FALSE(gain->isEnabled());
    press(*s);
    EXPECT_TRUE(freq->isEnabled());
    EXPECT_TRUE(gain->isEnabled());
}

TEST_F(SectionSwitchTest, BgmPitchMovesShiftToOffAndBackWithoutLosingLast)
{
    auto shiftNode = node(35), switchNode = node(42);
    shiftNode.setProperty(Prop::value, 3, nullptr);
    switchNode.setProperty(Prop::value, 127, nullptr);
    auto shift = makePanelKnob(PanelKnob::shift);
    shift->attach(shiftNode, 1);
    auto s = makeSwitch(SwitchId::bgmPitch);
    s->setSection({{shift.get()}, {}, {}, nullptr});
    s->attach(switchNode, 1);
    EXPECT_EQ(valueOf(shiftNode), 3) << "binding the state it already has moves nothing";

    press(*s);
    EXPECT_EQ(valueOf(shiftNode), 0);
    EXPECT_EQ(readDouble(shiftNode, Prop::last, -1), 3);
    EXPECT_DOUBLE_EQ(shift->slider().getValue(), 0);
    EXPECT_FALSE(shift->isEnabled());

    // Binding again while off keeps "last".
    s->attach(switchNode, 1);
    EXPECT_EQ(readDouble(shiftNode, Prop::last, -1), 3);

    press(*s);
    EXPECT_EQ(valueOf(shiftNode), 3);
    EXPECT_DOUBLE_EQ(shift->slider().getValue(), 3);
    EXPECT_TRUE(shift->isEnabled());
    EXPECT_EQ(queuedIds(), std::vector<int>{42}) << "only the switch is sent";
}

TEST_F(SectionSwitchTest, SectionButtonsMoveToOffAndBackAndAreSent)
{
    auto bound = node(9);
    bound.setProperty(Prop::value, 1, nullptr);
    bound.setProperty(Prop::off, 0, nullptr);
    MappableButton button("NOISE REDUCTION");
    button.boundNodes = {bound};
    auto s = makeSwitch(SwitchId::deEsser);
    s->attach(node(18), 1);
    s->setSection({{}, {&button}, {}, nullptr});
    ASSERT_TRUE(s->isOn());

    resetOutgoingQueue();
    press(*s);
    EXPECT_FALSE(button.isEnabled());
    EXPECT_EQ(valueOf(bound), 0);
    EXPECT_EQ(queuedIds(), (std::vector<int>{18, 9}));
    press(*s);
    EXPECT_TRUE(button.isEnabled());
    EXPECT_EQ(valueOf(bound), 1);
    EXPECT_EQ(queuedValue(9), 1);
}

TEST_F(SectionSwitchTest, VoiceOverShowsALevelAtItsOffAsMinus24)
{
    auto levelNode = node(53);
    levelNode.setProperty(Prop::value, -119, nullptr);
    auto level = makePanelKnob(PanelKnob::voiceOverLevel);
    level->attach(levelNode, 1);
    EXPECT_DOUBLE_EQ(level->slider().getValue(), 54) << "attach shows the off at the lowest end";
    auto s = makeSwitch(SwitchId::voiceOver);
    s->attach(node(50), 1);
    s->setSection({{level.get()}, {}, {}, nullptr});
    EXPECT_DOUBLE_EQ(level->getValue(), -24);
    EXPECT_EQ(valueOf(levelNode), -119) << "shown, not stored";

    levelNode.setProperty(Prop::value, -12, nullptr);
    level->refreshDisplay();
    press(*s);
    EXPECT_DOUBLE_EQ(level->getValue(), -12);
}

TEST_F(SectionSwitchTest, MenuButtonsOfferTheirOneItemAndShowTheLinkStatus)
{
    updateLinkTexts();
    for (const auto& [id, item] : {std::pair{SwitchId::presetsMenu, "Preset Manager"},
                                   std::pair{SwitchId::jinglesMenu, "Import device jingles"}})
    {
        SCOPED_TRACE(item);
        dialogs.menus.clear();
        dialogs.messages.clear();
        auto s = std::make_unique<SectionSwitch>(false, juce::String(), false);
        s->setComponentID(id);
        press(*s);
        ASSERT_EQ(dialogs.menus.size(), 1u);
        const auto items = RecordingDialogs::itemsOf(dialogs.menus[0].menu);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].text, item);
        dialogs.choose(0);
        EXPECT_TRUE(dialogs.messages.isEmpty());
        dialogs.choose(items[0].id);
        EXPECT_EQ(dialogs.messages, juce::StringArray{"Developing.."});
        EXPECT_FALSE(s->isOn());
    }
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(SectionSwitchTest, TheTitleDimsWithItsSwitchAndTheSwitchDrawsItsState)
{
    SectionTitle title("DE-ESSER", SwitchId::deEsser);
    title.setBounds(0, 0, 118, 22);
    auto* s = title.getSwitch();
    ASSERT_NE(s, nullptr);
    s->attach(node(18), 1);
    EXPECT_EQ(title.label().findColour(juce::Label::textColourId), juce::Colour(0xffbbc3cc));
    EXPECT_EQ(s->getTitle(), "DE-ESSER") << "the switch is named after its section";

    const auto inkOf = [&](juce::Colour wanted)
    {
        const auto image = renderComponent(*s, juce::Colours::black);
        int ink = 0;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                ink += colourDistance(image.getPixelAt(x, y), wanted) < 30 ? 1 : 0;
        return ink;
    };
    EXPECT_GT(inkOf(juce::Colour(0xffffa500)), 5);
    press(*s);
    EXPECT_EQ(title.label().findColour(juce::Label::textColourId), juce::Colour(0xff9daab6));
    EXPECT_EQ(inkOf(juce::Colour(0xffffa500)), 0);
    EXPECT_GT(inkOf(juce::Colour(0xff9daab6)), 5);
}
