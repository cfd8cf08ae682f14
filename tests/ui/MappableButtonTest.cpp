// Mappable buttons and jingle pads: shown text, label and tooltip, the noise-reduction popup and what it
// queues, the pointer, the pad's drag that always returns and its file drop.
#include "UiFixture.h"

#include "jingles/JingleLibrary.h"
#include "store/Assets.h"
#include "support/TestHome.h"
#include "ui/controls/JinglePad.h"
#include "ui/controls/MappableButton.h"

using namespace NsStrata;

namespace
{
class MappableButtonTest : public UiTest
{
protected:
    // Buttons keep their mouse handlers protected; the framework calls them as a component's.
    static void click(juce::Component& c)
    {
        c.mouseDown(mouseEvent(c, {5, 5}));
        c.mouseUp(mouseEvent(c, {5, 5}));
    }
};

struct ClickCounter : juce::Button::Listener
{
    int clicks = 0;
    void buttonClicked(juce::Button*) override { ++clicks; }
};
} // namespace

TEST_F(MappableButtonTest, TheShownTextGoesToTheLabelWhenThereIsOneAndIsTheTooltip)
{
    MappableButton button("MIC MUTE");
    EXPECT_EQ(button.getButtonText(), "MIC MUTE");
    EXPECT_EQ(button.getTooltip(), "MIC MUTE");

    juce::Label label;
    button.label = &label;
    button.setDisplayName("Applause");
    EXPECT_EQ(label.getText(), "Applause");
    EXPECT_EQ(button.getButtonText(), "MIC MUTE") << "the face keeps its text";
    EXPECT_EQ(button.getTooltip(), "Applause");
    EXPECT_EQ(button.getDisplayName(), "Applause");

    button.textAsTooltip = false;
    button.setTooltip("Vocal Remover");
    button.setDisplayName("Drum Roll");
    EXPECT_EQ(button.getTooltip(), "Vocal Remover");
}

TEST_F(MappableButtonTest, NoiseReductionChoicesSetTheNodesQueueWhatChangedAndColourTheButton)
{
    struct Case
    {
        const char* what;
        int enabledBefore;
        double thresholdBefore;
        int ticked; // item ticked in the popup
        int choice;
        const char* caption;
        juce::Colour onColour;
        std::vector<int> queued;
        int enabledAfter;
        double thresholdAfter;
    };
    const juce::Colour none = juce::Colours::transparentBlack, green{0xff008000}, red{0xffff0000};
    const Case cases[] = {
        {"choosing the current setting changes nothing",
         1,
         -48,
         2,
         2,
         "NOISE REDUCTION 1",
         green,
         {},
         1,
         -48},
        {"off sends only the first node", 1, -48, 2, 1, "NOISE REDUCTION", none, {9}, 0, -48},
        {"off while off sends nothing", 0, -18, 1, 1, "NOISE REDUCTION", none, {}, 0, -18},
        {"reduction 2 from off sends both", 0, -48, 1, 3, "NOISE REDUCTION 2", red, {9, 10}, 1, -18},
        {"reduction 1 from 2 sends both", 1, -18, 3, 2, "NOISE REDUCTION 1", green, {9, 10}, 1, -48},
        {"an unknown threshold ticks nothing", 1, -30, 0, 3, "NOISE REDUCTION 2", red, {9, 10}, 1, -18},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        resetOutgoingQueue();
        dialogs.menus.clear();
        auto enabled = node(9), threshold = node(10);
        enabled.setProperty(Prop::value, c.enabledBefore, nullptr);
        threshold.setProperty(Prop::value, c.thresholdBefore, nullptr);
        MappableButton button("NOISE REDUCTION");
        button.setComponentID("8");
        button.boundNodes = {enabled, threshold};

        click(button);
        ASSERT_EQ(dialogs.menus.size(), 1u);
        EXPECT_EQ(dialogs.menus[0].look, &button.popupLook());
        const auto items = RecordingDialogs::itemsOf(dialogs.menus[0].menu);
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(items[0].text, "Off");
        EXPECT_EQ(items[1].text, "Noise Reduction 1");
        EXPECT_EQ(items[2].text, "Noise Reduction 2");
        for (const auto& item : items)
            EXPECT_EQ(item.ticked, item.id == c.ticked) << item.text;

        dialogs.choose(c.choice);
        EXPECT_EQ(button.getDisplayName(), c.caption);
        EXPECT_EQ(button.findColour(juce::TextButton::buttonOnColourId), c.onColour);
        EXPECT_EQ(queuedIds(), c.queued);
        EXPECT_EQ(readInt(enabled, Prop::value, -1), c.enabledAfter);
        EXPECT_DOUBLE_EQ(readDouble(threshold, Prop::value, 0), c.thresholdAfter);
        EXPECT_EQ(button.getToggleState(), c.enabledAfter == 1);
    }

    // Nodes without an address are set but not queued.
    resetOutgoingQueue();
    MappableButton unaddressed("NOISE REDUCTION");
    unaddressed.setComponentID("8");
    unaddressed.boundNodes = {juce::ValueTree("PARAM"), juce::ValueTree("PARAM")};
    click(unaddressed);
    dialogs.choose(2);
    EXPECT_EQ(readInt(unaddressed.boundNodes[0], Prop::value, -1), 1);
    EXPECT_EQ(readInt(unaddressed.boundNodes[1], Prop::value, 0), -48);
    EXPECT_TRUE(queuedIds().empty());

    // Dismissing the popup changes nothing; a button without nodes takes the choice on its face only.
    MappableButton bare("NOISE REDUCTION");
    bare.setComponentID("8");
    click(bare);
    dialogs.choose(0);
    EXPECT_EQ(bare.getDisplayName(), "NOISE REDUCTION");
    resetOutgoingQueue();
    click(bare);
    dialogs.choose(3);
    EXPECT_EQ(bare.getDisplayName(), "NOISE REDUCTION 2");
    EXPECT_TRUE(bare.getToggleState());
    EXPECT_TRUE(queuedIds().empty());
}

TEST_F(MappableButtonTest, OnlyTheNoiseReductionButtonTakesThePressOrKeyForItsPopup)
{
    for (const auto& [id, clicks, menus] :
         {std::tuple{"8", 0, 1}, std::tuple{"9", 1, 0}, std::tuple{"", 1, 0}, std::tuple{"08", 0, 1}})
    {
        SCOPED_TRACE(id);
        dialogs.menus.clear();
        MappableButton button("B");
        button.setComponentID(id);
        button.setVisible(true);
        ClickCounter counter;
        button.addListener(&counter);
        click(button);
        EXPECT_EQ(counter.clicks, clicks);
        EXPECT_EQ((int) dialogs.menus.size(), menus);
        // Return on the focused button acts as the press does; a click would come through the loop.
        for (const int key : {juce::KeyPress::returnKey, juce::KeyPress::spaceKey})
            static_cast<juce::Component&>(button).keyPressed(juce::KeyPress(key));
        NsStrata::pumpMessagesFor(50);
        EXPECT_EQ(counter.clicks, 2 * clicks);
        EXPECT_EQ((int) dialogs.menus.size(), 3 * menus);
        button.removeListener(&counter);
    }
}

TEST_F(MappableButtonTest, ButtonsShowAPointingHandPadsDoNot)
{
    MappableButton button("B");
    JinglePad pad("Applause");
    const auto cursorOf = [](juce::Component& c) { return c.getMouseCursor(); };
    juce::Component& b = button;
    juce::Component& p = pad;
    b.mouseEnter(mouseEvent(b, {1, 1}, {}));
    EXPECT_EQ(cursorOf(button), juce::MouseCursor(juce::MouseCursor::PointingHandCursor));
    b.mouseExit(mouseEvent(b, {1, 1}, {}));
    EXPECT_EQ(cursorOf(button), juce::MouseCursor(juce::MouseCursor::NormalCursor));
    p.mouseEnter(mouseEvent(p, {1, 1}, {}));
    EXPECT_EQ(cursorOf(pad), juce::MouseCursor(juce::MouseCursor::NormalCursor));
}

TEST_F(MappableButtonTest, ADraggedPadReturnsToItsPlace)
{
    juce::Component parent;
    parent.setBounds(0, 0, 400, 300);
    JinglePad pad("Applause"), other("Fanfare");
    parent.addAndMakeVisible(pad);
    parent.addAndMakeVisible(other);
    pad.setBounds(10, 20, 100, 40);
    other.setBounds(10, 70, 100, 40);
    juce::Component& p = pad;
    int clicks = 0;
    pad.onClick = [&] { ++clicks; };

    p.mouseDown(mouseEvent(pad, {5, 5}));
    EXPECT_EQ(parent.getIndexOfChildComponent(&pad), 1) << "brought to the front";
    p.mouseDrag(mouseEvent(pad, {105, 5}));
    EXPECT_EQ(pad.getPosition(), juce::Point<int>(110, 20));
    EXPECT_TRUE(padDragState().moved);
    p.mouseUp(mouseEvent(pad, {105, 5}));
    EXPECT_EQ(pad.getBounds(), juce::Rectangle<int>(10, 20, 100, 40));
    EXPECT_FALSE(padDragState().moved);
    EXPECT_EQ(other.getBounds(), juce::Rectangle<int>(10, 70, 100, 40));
    EXPECT_TRUE(queuedIds().empty());
    EXPECT_EQ(clicks, 0) << "a drag is no press";

    // A press that goes nowhere is still a press (the built program is dragged by a real pointer in the
    // demo session test).
    p.mouseDown(mouseEvent(pad, {5, 5}));
    p.mouseUp(mouseEvent(pad, {5, 5}));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(pad.getBounds(), juce::Rectangle<int>(10, 20, 100, 40));
}

TEST_F(MappableButtonTest, AFileDroppedOnAPadGoesThroughTheDropChecksIntoItsSlot)
{
    const auto home = StrataTest::freshFolder("jingles");
    JingleFolders folders{home.getChildFile("library"), home.getChildFile("temp"),
                          getAssetFile("Strata/jingles/origin", true)};
    JingleLibrary library(folders);
    ASSERT_TRUE(library.rebuildJingleLibrary(true));
    JinglePad pad("Fanfare");
    pad.slot = 3;
    EXPECT_TRUE(pad.isInterestedInFileDrag({}));

    pad.filesDropped({}, 0, 0);
    pad.setLibrary(&library);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << "without a library a drop does nothing";

    pad.filesDropped({}, 0, 0);
    pad.filesDropped({"a.mp3", "b.mp3"}, 0, 0);
    const auto notMp3 = home.getChildFile("notes.txt");
    notMp3.replaceWithText("la la");
    pad.filesDropped({notMp3.getFullPathName()}, 0, 0);
    ASSERT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages[0], "WARNING: You dragged 0 files in!");
    EXPECT_EQ(dialogs.messages[1], "WARNING: Too many files! Only one file for once please.");
    EXPECT_TRUE(dialogs.messages[2].startsWith("WARNING: "));

    const auto song = home.getChildFile("Clap.mp3");
    ASSERT_TRUE(getAssetFile("Strata/jingles/origin/1/Applause.mp3", true).copyFileTo(song));
    pad.filesDropped({song.getFullPathName()}, 0, 0);
    EXPECT_EQ(dialogs.messages.size(), 3) << "no message follows a good drop";
    EXPECT_EQ(library.name(3), "Clap");
}
