// Section frames, title bars, the page tabs, the mode combo box and the popup label.
#include "UiFixture.h"

#include "ui/controls/ModeComboBox.h"
#include "ui/controls/PageTabs.h"
#include "ui/controls/PopupLabel.h"
#include "ui/controls/SectionFrame.h"

using namespace NsStrata;

namespace
{
class SectionLayoutTest : public UiTest
{
};
} // namespace

TEST_F(SectionLayoutTest, ChildPlacesAreFractionsOfTheAreaBelowTheTitle)
{
    for (const float scale : {1.0f, 2.0f})
    {
        SCOPED_TRACE(scale);
        setUiScale(scale);
        SectionFrame eq("EQ", true, "18");
        eq.setBounds(0, 0, scaled(193), scaled(306));
        eq.setChildRect(0, 0.0f, 0.0f, 0.333f, 1.0f);
        eq.setChildRect(2, 0.666f, 0.0f, 0.334f, 1.0f);
        const int W = eq.getWidth(), H = eq.getHeight(), T = scaled(22);
        EXPECT_EQ(eq.titleHeight(), T);
        EXPECT_EQ(eq.childRect(0), juce::Rectangle<int>(3, T + 3, juce::roundToInt(0.333 * (W - 4) - 2),
                                                        juce::roundToInt(1.0 * (H - 4 - T) - 2)));
        EXPECT_EQ(eq.childRect(2).getX(), juce::roundToInt(0.666 * (W - 4) + 3));
        EXPECT_TRUE(eq.childRect(1).isEmpty()) << "not set";
        EXPECT_TRUE(eq.childRect(6).isEmpty());
        EXPECT_TRUE(eq.childRect(-1).isEmpty());
        // Every place lies inside the frame, below the title.
        EXPECT_TRUE(eq.getLocalBounds().contains(eq.childRect(2)));
        EXPECT_GE(eq.childRect(0).getY(), eq.getTitle()->getBottom());
        EXPECT_EQ(eq.getTitle()->getBounds(), juce::Rectangle<int>(1, 1, W - 2, T));
    }

    SectionFrame plain("MASTER CONTROL", false);
    plain.setBounds(0, 0, 172, 175);
    plain.setChildRect(0, 0, 0, 1, 1);
    EXPECT_EQ(plain.getTitle(), nullptr);
    EXPECT_EQ(plain.childRect(0), juce::Rectangle<int>(3, 3, 166, 169));
}

TEST_F(SectionLayoutTest, TitlesPlaceTheirSwitchAtTheRightAndTheNameBeforeIt)
{
    struct Case
    {
        const char* switchId;
        float scale;
        juce::Rectangle<int> switchBounds;
    };
    // Switches: a square of round(s * 22 * 1.38), less round(3 s) and round(s); menu buttons round(s * 22 *
    // 0.89).
    const Case cases[] = {
        {"12", 1.0f, juce::Rectangle<int>(30, 30).withCentre({103, 11}).withRightX(118).reduced(3, 1)},
        {"12", 2.0f, juce::Rectangle<int>(61, 61).withCentre({118, 22}).withRightX(236).reduced(6, 2)},
        {"1", 1.0f, juce::Rectangle<int>(20, 20).withCentre({103, 11}).withRightX(118)},
        {"", 1.0f, {}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.switchId);
        setUiScale(c.scale);
        SectionTitle title("DE-ESSER", c.switchId);
        title.setBounds(0, 0, scaled(118), scaled(22));
        EXPECT_EQ(title.switchBounds(), c.switchBounds);
        EXPECT_EQ(title.label().getX(), juce::roundToInt(22 * 0.3f * c.scale));
        if (title.getSwitch() != nullptr)
        {
            EXPECT_EQ(title.getSwitch()->getBounds(), c.switchBounds);
            EXPECT_LE(title.label().getRight(), c.switchBounds.getX()) << "the name stops before the switch";
        }
        EXPECT_FLOAT_EQ(title.label().getFont().getHeight(), (float) scaled(14));
    }
}

TEST_F(SectionLayoutTest, PageTabsPublishTheCurrentPage)
{
    juce::Component parent;
    PageTabs tabs;
    parent.addAndMakeVisible(tabs);
    juce::Component pageA, pageB;
    tabs.addTab("MAIN VIEW", juce::Colour(0xff87ceeb), &pageA, false);
    tabs.addTab("OTHER", juce::Colour(0xff87ceeb), &pageB, false);
    EXPECT_EQ(screenState().currentPage, 0);
    tabs.setCurrentTabIndex(1);
    EXPECT_EQ(tabs.lastPage(), 1);
    EXPECT_EQ(screenState().currentPage, 1);
}

TEST_F(SectionLayoutTest, TheModeComboBoxNotifiesAlsoWhenTheSameItemIsChosen)
{
    ModeComboBox box;
    box.addItemList({"CHAT", "KTV", "PRO"}, 1);
    box.setSelectedId(2, juce::dontSendNotification);
    int changes = 0;
    box.onChange = [&] { ++changes; };

    box.choose(2);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.getSelectedId(), 2);
    EXPECT_EQ(box.getText(), "KTV");
    box.choose(3);
    EXPECT_EQ(changes, 2);
    box.choose(0);
    EXPECT_EQ(changes, 2) << "a dismissed popup changes nothing";
    EXPECT_EQ(box.getSelectedId(), 3);

    // The popup goes through the dialogs with the current item ticked; choosing from it is a choice.
    box.showPopup();
    ASSERT_EQ(dialogs.menus.size(), 1u);
    const auto items = RecordingDialogs::itemsOf(dialogs.menus[0].menu);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_TRUE(items[2].ticked);
    EXPECT_FALSE(items[0].ticked);
    dialogs.choose(3);
    EXPECT_EQ(changes, 3);
}

TEST_F(SectionLayoutTest, ThePopupLabelShowsItsTextOnEverySecondPress)
{
    PopupLabel label;
    label.setPopupText("Brio Max detected");
    for (int i = 0; i < 4; ++i)
        label.mouseDown(mouseEvent(label, {1, 1}));
    EXPECT_EQ(dialogs.messages, (juce::StringArray{"Brio Max detected", "Brio Max detected"}));
    EXPECT_FALSE(label.isToggledOn());
}
