// The knob's edits, value rule, texts and display, bound to preset nodes and the real outgoing queue.
#include "UiFixture.h"

#include "ui/look/Language.h"

using namespace NsStrata;

namespace
{
class ParameterKnobTest : public UiTest
{
protected:
    /** Drags the knob's slider to v with the mouse button held (pressed) or moves it without (keys, wheel).
     */
    static void moveTo(ParameterKnob& knob, double v, bool withButtonHeld)
    {
        auto& slider = knob.slider();
        if (withButtonHeld)
            slider.mouseDown(mouseEvent(slider, {10, 10}));
        slider.setValue(v, juce::sendNotificationSync);
        if (withButtonHeld)
            slider.mouseUp(mouseEvent(slider, {10, 10}));
    }
};

struct EditCase
{
    const char* what;
    int knobIndex, paramId;
    double start;    // the node's value before
    double sliderTo; // where the user moves the slider
    bool buttonHeld; // nearest step while the button is held, else toward the move
    double stored;   // the node's value after, and the queued copy's
    double sliderShows;
};

const EditCase editCases[] = {
    {"MIC1 dragged to -24 takes the nearest step", PanelKnob::mic1, 1, 0, -24, true, -30, -30},
    {"MIC1 dragged to -21 takes the nearest step", PanelKnob::mic1, 1, 0, -21, true, -18, -18},
    {"MIC1 moved down from -18 to -21 goes down a step", PanelKnob::mic1, 1, -18, -21, false, -30, -30},
    {"MIC1 moved up from -30 to -27 goes up a step", PanelKnob::mic1, 1, -30, -27, false, -18, -18},
    {"MIC1 on the grid above -18 stays", PanelKnob::mic1, 1, 0, 9, true, 9, 9},
    {"MIC1 at its lowest end stores its off", PanelKnob::mic1, 1, 0, -30, true, -30, -30},
    {"HP at its lowest end stores its off, not a step near it", PanelKnob::hp, 3, 0, -36, true, -100, -36},
    {"HP below -18 moves down in 3 dB steps", PanelKnob::hp, 3, 0, -20, false, -21, -21},
    {"VOICE OVER level at its lowest end stores its off", PanelKnob::voiceOverLevel, 53, -20, 54, true, -119,
     54},
    {"VOICE OVER level shows 33 and stores -33", PanelKnob::voiceOverLevel, 53, -20, 33, true, -33, 33},
    {"VOICE OVER level below -42 takes the nearest 6 dB step", PanelKnob::voiceOverLevel, 53, -20, 44, true,
     -42, 42},
    {"VOICE OVER level below -42 moved down goes down a step", PanelKnob::voiceOverLevel, 53, -20, 44, false,
     -48, 48},
    {"inverted DE-ESSER gain stores the negated value", PanelKnob::deEsserGain, 15, -4, 6, true, -6, 6},
    {"ratio at its maximum stores the node's end", PanelKnob::ratio, 27, 2, 11, true, 128, 11},
    {"a knob without steps of its own stores what it shows", PanelKnob::deEsserFreq, 14, 6, 5.3, true, 5.3,
     5.3},
};
} // namespace

TEST_F(ParameterKnobTest, EditsLandOnTheParameterGridAndAreQueuedForced)
{
    // Forced: the edit is queued even while the link is not synchronised.
    linkFlags().synchronised = false;
    for (const auto& c : editCases)
    {
        SCOPED_TRACE(c.what);
        resetOutgoingQueue();
        auto knob = makePanelKnob(c.knobIndex);
        auto target = node(c.paramId);
        target.setProperty(Prop::value, c.start, nullptr);
        knob->attach(target, 1);

        moveTo(*knob, c.sliderTo, c.buttonHeld);

        EXPECT_DOUBLE_EQ(readDouble(target, Prop::value, 0), c.stored);
        EXPECT_DOUBLE_EQ(knob->slider().getValue(), c.sliderShows);
        EXPECT_EQ(queuedIds(), std::vector<int>{c.paramId});
        EXPECT_DOUBLE_EQ(queuedValue(c.paramId), c.stored);
        EXPECT_FALSE(knob->isPressed());
    }
}

TEST_F(ParameterKnobTest, RepeatedEditsReplaceTheQueuedCopy)
{
    auto knob = makePanelKnob(PanelKnob::deEsserFreq);
    knob->attach(node(14), 1);
    for (const double v : {2.0, 3.0, 4.5})
        moveTo(*knob, v, true);
    EXPECT_EQ(queuedIds(), std::vector<int>{14});
    EXPECT_DOUBLE_EQ(queuedValue(14), 4.5);
}

TEST_F(ParameterKnobTest, LevelKnobsAtTheirLowestEndReadAsTheNodesOff)
{
    struct Case
    {
        const char* componentId;
        bool inverted;
        double slider;
        double expected;
    };
    const Case cases[] = {
        {"3", false, -30, -77}, {"5", false, -30, -77},  {"7", false, -30, -77}, {"46", true, 54, -77},
        {"46", true, 20, -20},  {"13", false, -30, -30}, {"", false, -30, -30},  {"3", false, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(juce::String(c.componentId) + " at " + juce::String(c.slider));
        ParameterKnob knob("Level", c.inverted ? 6 : -30, c.inverted ? 54 : 60);
        knob.slider().setInverted(c.inverted);
        knob.setComponentID(c.componentId);
        juce::ValueTree level("PARAM");
        level.setProperty(Prop::off, -77, nullptr);
        knob.attach(level, 1);
        knob.showValue(c.inverted ? -c.slider : c.slider);
        EXPECT_DOUBLE_EQ(knob.getValue(), c.expected);
    }

    // Without "off" the level reads 0 there.
    ParameterKnob knob("Level", -30, 60);
    knob.setComponentID("4");
    knob.attach(juce::ValueTree("PARAM"), 1);
    knob.showValue(-30);
    EXPECT_DOUBLE_EQ(knob.getValue(), 0);
}

TEST_F(ParameterKnobTest, KnobsWithoutUsableNodesNeverCrashAndQueueNothingTheLinkWouldRefuse)
{
    linkFlags().synchronised = false;

    // No node: only the knob moves.
    auto bare = makePanelKnob(PanelKnob::mic1);
    moveTo(*bare, 12, true);
    EXPECT_DOUBLE_EQ(bare->slider().getValue(), 12);
    EXPECT_TRUE(queuedIds().empty());

    // A node without "nrpn" is shown and edited, but the link would refuse it: nothing is queued.
    auto knob = makePanelKnob(PanelKnob::deEsserFreq);
    auto noAddress = node(14).createCopy();
    noAddress.removeProperty(Prop::nrpn, nullptr);
    knob->attach(noAddress, 1);
    EXPECT_DOUBLE_EQ(knob->slider().getValue(), 6);
    moveTo(*knob, 7.5, true);
    EXPECT_DOUBLE_EQ(readDouble(noAddress, Prop::value, 0), 7.5);
    EXPECT_TRUE(queuedIds().empty());

    // A node with no properties at all: every reader takes its default.
    for (int index = 0; index < (int) panelKnobs.size(); ++index)
    {
        SCOPED_TRACE(controlNames[(std::size_t) index]);
        auto any = makePanelKnob(index);
        juce::ValueTree empty("PARAM");
        any->attach(empty, 1);
        any->attach(juce::ValueTree("PARAM"), 2);
        moveTo(*any, any->slider().getMaximum(), true);
        moveTo(*any, any->slider().getMinimum(), false);
        any->slider().step(1);
        EXPECT_TRUE(empty.hasProperty(Prop::value));
    }
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(ParameterKnobTest, AttachShowsTheNodeAndItsDefaultAsTheDoubleClickValue)
{
    // Inverted: shown and stored negated.
    auto level = makePanelKnob(PanelKnob::voiceOverLevel);
    level->slider().setMaxText(true, "-oo");
    auto voiceOver = node(53);
    level->attach(voiceOver, 1);
    EXPECT_DOUBLE_EQ(level->slider().getValue(), 20);
    EXPECT_EQ(level->slider().getTextFromValue(level->slider().getValue()), "-20 dB");
    EXPECT_DOUBLE_EQ(level->slider().getDoubleClickReturnValue(), 20);

    // VOICE OVER's level at its "off" shows at the lowest end.
    voiceOver.setProperty(Prop::value, -119, nullptr);
    level->refreshDisplay();
    EXPECT_DOUBLE_EQ(level->slider().getValue(), 54);
    EXPECT_EQ(level->slider().getTextFromValue(54), "-oo");

    // A slot beyond the next free one is refused.
    auto knob = makePanelKnob(PanelKnob::deEsserFreq);
    knob->attach(node(14), 3);
    EXPECT_EQ(knob->nodeCount(), 0);
    knob->attach(node(14), 1);
    EXPECT_EQ(knob->nodeCount(), 1);
    EXPECT_DOUBLE_EQ(knob->slider().getDoubleClickReturnValue(), 6);
}

TEST_F(ParameterKnobTest, TheSharedIntensityKnobShowsAndEditsTheActiveEffect)
{
    auto knob = makePanelKnob(PanelKnob::sharedIntensity);
    auto vocalTune = node(39), harmony = node(45);
    node(38).setProperty(Prop::value, 30, nullptr);
    node(46).setProperty(Prop::value, 50, nullptr);

    knob->showValue(77);
    knob->attach(node(38), 1);
    knob->attach(node(46), 2);
    EXPECT_EQ(knob->activeSlot(), 0);
    EXPECT_DOUBLE_EQ(knob->slider().getValue(), 77) << "neither effect on: nothing shown";

    vocalTune.setProperty(Prop::value, 1, nullptr);
    knob->refreshDisplay();
    EXPECT_EQ(knob->activeSlot(), 1);
    EXPECT_DOUBLE_EQ(knob->slider().getValue(), 30);
    moveTo(*knob, 40, true);
    EXPECT_DOUBLE_EQ(readDouble(node(38), Prop::value, 0), 40);

    vocalTune.setProperty(Prop::value, 0, nullptr);
    harmony.setProperty(Prop::value, 1, nullptr);
    knob->refreshDisplay();
    EXPECT_EQ(knob->activeSlot(), 2);
    EXPECT_DOUBLE_EQ(knob->slider().getValue(), 50);
    moveTo(*knob, 65, true);
    EXPECT_DOUBLE_EQ(readDouble(node(46), Prop::value, 0), 65);
    EXPECT_DOUBLE_EQ(readDouble(node(38), Prop::value, 0), 40);
    EXPECT_EQ(queuedIds(), (std::vector<int>{38, 46}));
}

TEST_F(ParameterKnobTest, ValueTextsAndTheirReadingBack)
{
    struct Case
    {
        double minimum, maximum, interval;
        bool inverted, endTexts;
        const char* suffix;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {1, 10, 0.1, false, true, "kHz", 5, "5.0 kHz"},
        {1, 10, 1, false, true, "", 5, "5 "},
        {-30, 60, 3, false, true, "dB", -18, "-18 dB"},
        {6, 54, 1, true, true, "dB", 20, "-20 dB"},
        {-16, 16, 1, true, true, "dB", 0, "0 dB"},
        {1, 11, 0.1, false, true, ": 1", 2.5, "2.5 : 1"},
        {-30, 60, 3, false, true, "dB", -30, "-oo"},
        {1, 11, 0.1, false, true, ": 1", 11, "+oo"},
        {0, 1000, 0.01, false, true, "Hz", 12.5, "12.50 Hz"},
        {-30, 60, 3, false, false, "dB", -30, "-30 dB"},
        {-30, 60, 3, false, false, "dB", 60, "60 dB"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        KnobSlider slider;
        slider.setRange(c.minimum, c.maximum, c.interval);
        slider.setInverted(c.inverted);
        slider.setSuffix(c.suffix);
        slider.setMinText(c.endTexts, "-oo");
        slider.setMaxText(c.endTexts, "+oo");
        EXPECT_EQ(slider.getTextFromValue(c.value), c.text);
        EXPECT_DOUBLE_EQ(slider.getValueFromText(c.text), c.value);
    }
}

TEST_F(ParameterKnobTest, HiddenValueTextShowsOnHoverAndKeyboardFocus)
{
    auto knob = makePanelKnob(PanelKnob::mic1);
    auto& slider = knob->slider();
    const auto textColour = [&]
    {
        for (auto* child : slider.getChildren())
            if (auto* box = dynamic_cast<juce::Label*>(child))
                return box->findColour(juce::Label::textColourId);
        return juce::Colours::red;
    };
    EXPECT_EQ(textColour(), juce::Colour(0xff9acd32)) << "shown by default";

    slider.setHideText(true);
    EXPECT_TRUE(textColour().isTransparent());
    slider.mouseEnter(mouseEvent(slider, {5, 5}, {}));
    EXPECT_TRUE(slider.isValueTextShown());
    EXPECT_EQ(textColour(), juce::Colour(0xff9acd32));
    slider.mouseExit(mouseEvent(slider, {5, 5}, {}));
    EXPECT_TRUE(textColour().isTransparent());

    slider.setTextColour(juce::Colours::orange);
    slider.mouseEnter(mouseEvent(slider, {5, 5}, {}));
    EXPECT_EQ(textColour(), juce::Colours::orange);
}

TEST_F(ParameterKnobTest, CtrlRightPressOnTheLevelDisplayTogglesMetering)
{
    struct Case
    {
        int knobIndex;
        juce::ModifierKeys mods;
        bool meteringAfter;
    };
    const auto ctrlRight =
        juce::ModifierKeys(juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::rightButtonModifier);
    const Case cases[] = {
        {PanelKnob::levelDisplay, ctrlRight, false},
        {PanelKnob::levelDisplay, juce::ModifierKeys::rightButtonModifier, true},
        {PanelKnob::levelDisplay,
         juce::ModifierKeys(juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::leftButtonModifier), true},
        {PanelKnob::mic1, ctrlRight, true},
    };
    for (const auto& c : cases)
    {
        auto knob = makePanelKnob(c.knobIndex);
        auto& slider = knob->slider();
        slider.mouseDown(mouseEvent(slider, {10, 10}, c.mods));
        slider.mouseUp(mouseEvent(slider, {10, 10}, c.mods));
        EXPECT_EQ(slider.isMetering(), c.meteringAfter)
            << knob->getComponentID() << " " << c.mods.getRawFlags();
    }
}

TEST_F(ParameterKnobTest, KeysAndTheWheelMoveOneGridStepThroughTheEditPath)
{
    auto knob = makePanelKnob(PanelKnob::mic1);
    auto mic = node(1);
    mic.setProperty(Prop::value, -18, nullptr);
    knob->attach(mic, 1);
    auto& slider = knob->slider();

    // One step down from -18 is below the fine grid: the edit takes the next level down.
    EXPECT_TRUE(slider.keyPressed(juce::KeyPress(juce::KeyPress::downKey)));
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -30);
    EXPECT_TRUE(slider.keyPressed(juce::KeyPress(juce::KeyPress::pageUpKey)));
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -18);
    EXPECT_TRUE(slider.keyPressed(juce::KeyPress(juce::KeyPress::rightKey)));
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -15);

    juce::MouseWheelDetails wheel{};
    const auto t0 = juce::Time::getCurrentTime();
    wheel.deltaY = 0.2f;
    slider.mouseWheelMove(mouseEvent(slider, {5, 5}, {}, 1, t0), wheel);
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -12);
    slider.mouseWheelMove(mouseEvent(slider, {5, 5}, {}, 1, t0), wheel);
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -12) << "the same wheel event delivered twice";
    wheel.deltaY = -0.05f;
    slider.mouseWheelMove(mouseEvent(slider, {5, 5}, {}, 1, t0 + juce::RelativeTime::seconds(1)), wheel);
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -15) << "a small wheel move is one step too";
    EXPECT_EQ(queuedIds(), std::vector<int>{1});

    // Keys with modifiers pass on; a disabled knob takes none.
    EXPECT_FALSE(
        slider.keyPressed(juce::KeyPress(juce::KeyPress::upKey, juce::ModifierKeys::shiftModifier, 0)));
    knob->setEnabled(false);
    slider.keyPressed(juce::KeyPress(juce::KeyPress::upKey));
    EXPECT_DOUBLE_EQ(readDouble(mic, Prop::value, 0), -15);
}

TEST_F(ParameterKnobTest, AccessibleTitleAndValueFollowTheLanguage)
{
    auto knob = makePanelKnob(PanelKnob::mic1);
    knob->attach(node(1), 1);
    // The framework answers accessibility only for controls in a window.
    knob->addToDesktop(0);
    auto* handler = knob->slider().getAccessibilityHandler();
    ASSERT_NE(handler, nullptr);
    ASSERT_NE(handler->getValueInterface(), nullptr);
    EXPECT_EQ(handler->getTitle(), "MIC1");
    EXPECT_EQ(handler->getValueInterface()->getCurrentValueAsString(), "0 dB");

    ASSERT_TRUE(setLanguage(Language::chinese));
    knob->resized();
    EXPECT_EQ(handler->getTitle(), juce::String::fromUTF8("话筒1"));
    EXPECT_EQ(knob->label().getText(), juce::String::fromUTF8("话筒1"));
}

TEST_F(ParameterKnobTest, AFocusRingShowsWhileTheKeyboardHoldsTheKnob)
{
    auto knob = makePanelKnob(PanelKnob::mic1);
    auto& slider = knob->slider();
    slider.setHideText(true);
    knob->addToDesktop(0);
    knob->setVisible(true);
    knob->toFront(true);
    slider.grabKeyboardFocus();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    if (!slider.hasKeyboardFocus(true))
        GTEST_SKIP() << "the display gives no window the focus";

    const auto ringPixel = [&]
    {
        const auto image = renderComponent(*knob);
        const auto area = slider.drawingArea().toNearestInt() + slider.getPosition();
        return image.getPixelAt(area.getX(), area.getCentreY());
    };
    EXPECT_LT(colourDistance(ringPixel(), juce::Colour(0xff87ceeb)), 60);
    EXPECT_TRUE(slider.isValueTextShown()) << "a focused knob shows its value";

    // Focus taken by a click shows no ring.
    slider.focusGained(juce::Component::focusChangedByMouseClick);
    EXPECT_GT(colourDistance(ringPixel(), juce::Colour(0xff87ceeb)), 60);
    EXPECT_FALSE(slider.isValueTextShown());
}

TEST_F(ParameterKnobTest, KnobsCarryTheConversionsOfTheirFirstParameter)
{
    auto mic = makePanelKnob(PanelKnob::mic1);
    EXPECT_EQ(mic->toDevice(-18), 1);
    EXPECT_DOUBLE_EQ(mic->toDisplay(1), -18);
    // The level display, never bound, converts as the level parameter does.
    auto level = makePanelKnob(PanelKnob::levelDisplay);
    EXPECT_EQ(level->toDevice(-48), 0);
    EXPECT_EQ(level->toDevice(-20), 26);
    // Without a parameter: rounding to the device, and the value itself.
    ParameterKnob plain("Plain", 0, 10);
    EXPECT_EQ(plain.toDevice(2.5), 3);
    EXPECT_EQ(plain.toDevice(-4), 0);
    EXPECT_DOUBLE_EQ(plain.toDisplay(7), 7);
}
