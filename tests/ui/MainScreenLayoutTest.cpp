// The main screen's layout rules: the three window cases on a display of known size, the rows at the design
// size, and the model pictures' design size.
#include "UiFixture.h"

#include "ui/AssetImage.h"
#include "ui/main/MainScreenLayout.h"

using namespace NsStrata;

namespace
{
/** A 1920 x 1080 display: usable width 1918, usable height 1048. */
const juce::Rectangle<int> fullHd{0, 0, 1920, 1080};
const juce::Rectangle<int> brioMax{256, 30};

MainScreenLayoutInput input(int w, int h, juce::Rectangle<int> current = {1069, 691}, float scale = 1.0f,
                            juce::Rectangle<int> display = fullHd, juce::Rectangle<int> picture = brioMax)
{
    return {{w, h}, display, current, picture, scale};
}
} // namespace

TEST(MainScreenLayout, AtTheDesignSizeEverythingIsAtScaleOne)
{
    const auto l = layoutMainScreen(input(1069, 691));
    EXPECT_FLOAT_EQ(l.scale, 1.0f);
    EXPECT_EQ(l.currentSize, juce::Rectangle<int>(1069, 691));
    EXPECT_FALSE(l.resizeWindow);
    EXPECT_FALSE(l.centreWindow);
    EXPECT_EQ(l.menuBar, juce::Rectangle<int>(0, 0, 1069, 24));
    EXPECT_EQ(l.pictureRow, juce::Rectangle<int>(0, 24, 1069, 30));
    // The picture is centred: (1069 - 256) / 2 = 406 to its left, of which the logo takes at most 100 x 28.
    EXPECT_EQ(l.logo, juce::Rectangle<int>(0, 24, 100, 28));
    EXPECT_EQ(l.modelPicture, juce::Rectangle<int>(406, 24, 256, 30));
    EXPECT_EQ(l.modelChooser, juce::Rectangle<int>(996, 24, 73, 30).reduced(3));
    EXPECT_EQ(l.pages, juce::Rectangle<int>(0, 54, 1069, 637));
}

TEST(MainScreenLayout, TheThreeWindowCases)
{
    struct Case
    {
        const char* what;
        MainScreenLayoutInput in;
        juce::Rectangle<int> currentSize;
        float scale;
        bool resize, centre;
        juce::Point<int> centrePoint;
    };
    const float fullHeight = 1048.0f / 691.0f;
    const Case cases[] = {
        {"as wide as the usable width less 2: full usable height, design proportion",
         input(1916, 700),
         {1621, 1048},
         fullHeight,
         true,
         true,
         {960, 540}},
        {"wider still, any height", input(2400, 1200), {1621, 1048}, fullHeight, true, true, {960, 540}},
        {"a display that does not start at the origin",
         input(1276, 500, {1069, 691}, 1.0f, {100, 50, 1280, 800}),
         {1188, 768},
         768.0f / 691.0f,
         true,
         true,
         {740, 450}},
        {"one pixel narrower: any size",
         input(1915, 700),
         {1915, 700},
         1915.0f / 1069.0f,
         false,
         false,
         {960, 540}},
        {"as tall as the usable height less 2: back to the last size and scale",
         input(1200, 1046, {1100, 711}, 1100.0f / 1069.0f),
         {1100, 711},
         1100.0f / 1069.0f,
         true,
         false,
         {960, 540}},
        {"one pixel lower: any size, the scale from the width",
         input(1200, 1045, {1100, 711}),
         {1200, 1045},
         1200.0f / 1069.0f,
         false,
         false,
         {960, 540}},
        {"out of proportion: the scale follows the width",
         input(800, 900),
         {800, 900},
         800.0f / 1069.0f,
         false,
         false,
         {960, 540}},
        {"no area yet: nothing changes",
         input(0, 0, {1100, 711}, 1.5f),
         {1100, 711},
         1.5f,
         false,
         false,
         {960, 540}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto l = layoutMainScreen(c.in);
        EXPECT_EQ(l.currentSize, c.currentSize);
        EXPECT_FLOAT_EQ(l.scale, c.scale);
        EXPECT_EQ(l.resizeWindow, c.resize);
        EXPECT_EQ(l.centreWindow, c.centre);
        EXPECT_EQ(l.centre, c.centrePoint);
        if (c.currentSize.getWidth() > 0 && c.in.component.getWidth() > 0)
        {
            // Whatever the case, the screen is laid out at the current size and scale.
            EXPECT_EQ(l.area, c.currentSize);
            EXPECT_EQ(l.menuBar.getHeight(), juce::roundToInt(24 * c.scale));
            EXPECT_EQ(l.pages.getBottom(), c.currentSize.getHeight());
            EXPECT_NEAR(l.modelPicture.getWidth(), 256 * c.scale, 1.0);
        }
    }
}

TEST(MainScreenLayout, PicturesThatAreMissingOrTooWide)
{
    // No picture: the logo still gets its place, the picture none.
    const auto none = layoutMainScreen(input(1069, 691, {1069, 691}, 1.0f, fullHd, {}));
    EXPECT_EQ(none.logo, juce::Rectangle<int>(0, 24, 100, 28));
    EXPECT_TRUE(none.modelPicture.isEmpty());
    EXPECT_EQ(none.modelPicture.getX(), 534);

    // A picture wider than the screen leaves no room to its left, and nothing gets a negative width.
    const auto wide = layoutMainScreen(input(1069, 691, {1069, 691}, 1.0f, fullHd, {2000, 30}));
    EXPECT_EQ(wide.logo.getWidth(), 0);
    EXPECT_EQ(wide.modelPicture.getX(), 0);
    EXPECT_GE(wide.modelChooser.getWidth(), 0);

    // A screen lower than its rows: the rows take what there is.
    const auto low = layoutMainScreen(input(1069, 30));
    EXPECT_EQ(low.menuBar.getHeight(), 24);
    EXPECT_EQ(low.pictureRow.getHeight(), 6);
    EXPECT_TRUE(low.pages.isEmpty());
}

TEST(MainScreenLayout, ModelPicturesAreLaidOutAtHalfTheirPixelSize)
{
    EXPECT_EQ(pictureDesignSize(loadAssetImage("Strata/brio-max.png", false)), brioMax);
    EXPECT_EQ(pictureDesignSize(juce::Image()), juce::Rectangle<int>());
}
