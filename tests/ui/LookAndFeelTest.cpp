// The look and feel: caption prefixes, caption fonts by component id, menu fonts, and button and tooltip
// drawing probed in rendered images.
#include "UiFixture.h"

#include "ui/look/AppFont.h"
#include "ui/look/StrataLookAndFeel.h"

using namespace NsStrata;

namespace
{
const juce::Colour background{0xff54585b};

/** A text button drawn with its own look and feel. */
struct LookButton
{
    StrataLookAndFeel look;
    juce::TextButton button;

    explicit LookButton(const juce::String& text, int w = 80, int h = 40)
    {
        button.setButtonText(text);
        button.setLookAndFeel(&look);
        button.setBounds(0, 0, w, h);
    }
    ~LookButton() { button.setLookAndFeel(nullptr); }
};

/** Rows of ink in the top half and in the bottom half of an image (pixels far from the background). */
std::pair<int, int> inkHalves(const juce::Image& image, juce::Colour bg)
{
    int top = 0, bottom = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (colourDistance(image.getPixelAt(x, y), bg) > 60)
                (y < image.getHeight() / 2 ? top : bottom) += 1;
    return {top, bottom};
}

bool sameImage(const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt(x, y) != b.getPixelAt(x, y))
                return false;
    return true;
}

class LookAndFeelTest : public UiTest
{
};
} // namespace

TEST_F(LookAndFeelTest, CaptionPrefixesRotateOrMarkTheCaptionRaw)
{
    struct Case
    {
        const char* text;
        const char* caption;
        int quarterTurns;
        bool raw;
    };
    const Case cases[] = {
        {"@@Word", "Word", 2, false}, {"#@Word", "@Word", 0, true}, {"`@Word", "@Word", 0, false},
        {"@", "@", 0, false},         {"#", "#", 0, false},         {"@@#^", "^", 2, true},
        {"@@@@x", "@x", 3, false},    {"@#", "#", 1, false},        {"##a", "#a", 0, true},
        {"`#a", "#a", 0, false},      {"Word", "Word", 0, false},   {"", "", 0, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        const auto caption = parseCaption(c.text);
        EXPECT_EQ(caption.text, c.caption);
        EXPECT_EQ(caption.quarterTurns, c.quarterTurns);
        EXPECT_EQ(caption.raw, c.raw);
    }
}

TEST_F(LookAndFeelTest, CaptionFontScaleAndLineCountFollowTheComponentId)
{
    struct Case
    {
        const char* id;
        float scale;
        int lines;
    };
    const Case cases[] = {{"8", 0.85f, 3}, {"9", 0.85f, 2}, {"10", 0.85f, 2}, {"42", 0.85f, 2},
                          {"11", 1.0f, 2}, {"", 1.0f, 2},   {"x8", 1.0f, 2}};
    for (const auto& c : cases)
    {
        juce::TextButton button;
        button.setComponentID(c.id);
        EXPECT_FLOAT_EQ(StrataLookAndFeel::captionFontScale(button), c.scale) << c.id;
        EXPECT_EQ(StrataLookAndFeel::captionMaxLines(button), c.lines) << c.id;
    }
}

TEST_F(LookAndFeelTest, MenuFontsGrowWithTheUiScale)
{
    StrataLookAndFeel look;
    juce::MenuBarComponent bar;
    for (const auto& [scale, menu, menuBar] :
         {std::tuple{1.0f, 18.0f, 16.0f}, std::tuple{2.0f, 36.0f, 32.0f}, std::tuple{1.5f, 27.0f, 24.0f}})
    {
        setUiScale(scale);
        EXPECT_FLOAT_EQ(look.getPopupMenuFont().getHeight(), menu);
        EXPECT_FLOAT_EQ(look.getMenuBarFont(bar, 0, "File").getHeight(), menuBar);
        EXPECT_EQ(look.getPopupMenuFont().getTypefaceName(), appFont().getTypefaceName());
    }
}

TEST_F(LookAndFeelTest, ConnectedEdgesHaveSquareCorners)
{
    struct Case
    {
        int edges;
        bool topLeft, topRight, bottomLeft, bottomRight; // square corners
    };
    using B = juce::Button;
    const Case cases[] = {
        {0, false, false, false, false},
        {B::ConnectedOnLeft, true, false, true, false},
        {B::ConnectedOnRight, false, true, false, true},
        {B::ConnectedOnTop, true, true, false, false},
        {B::ConnectedOnBottom, false, false, true, true},
        {B::ConnectedOnLeft | B::ConnectedOnBottom, true, false, true, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.edges);
        LookButton b("");
        b.button.setConnectedEdges(c.edges);
        const auto image = renderComponent(b.button, background);
        const auto square = [&](int x, int y)
        { return colourDistance(image.getPixelAt(x, y), background) > 20; };
        EXPECT_EQ(square(0, 0), c.topLeft);
        EXPECT_EQ(square(79, 0), c.topRight);
        EXPECT_EQ(square(0, 39), c.bottomLeft);
        EXPECT_EQ(square(79, 39), c.bottomRight);
    }
}

TEST_F(LookAndFeelTest, OutlineAndHighlightFollowTheButtonState)
{
    LookButton b("");
    b.look.outlineColour = juce::Colour(0xff131416);
    const auto leftEdge = [&] { return renderComponent(b.button, background).getPixelAt(0, 20); };
    EXPECT_LT(colourDistance(leftEdge(), juce::Colour(0xff131416)), 30);

    b.button.setToggleState(true, juce::dontSendNotification);
    EXPECT_LT(colourDistance(leftEdge(), juce::Colour(0xff87ceeb)), 40)
        << "toggled on: the highlight outline";

    // Filled with the highlight when asked; its outline is then the face colour.
    b.look.fillActiveWithHighlight = true;
    const auto image = renderComponent(b.button, background);
    EXPECT_LT(colourDistance(image.getPixelAt(40, 20), juce::Colour(0xff87ceeb)), 10);
}

TEST_F(LookAndFeelTest, ADisabledButtonIsFilledAtHalfAlphaAndAFocusedOneMoreSaturated)
{
    const juce::Colour face{0xff3070c0};
    LookButton b("");
    b.button.setColour(juce::TextButton::buttonColourId, face);
    const auto enabled = renderComponent(b.button, background).getPixelAt(40, 20);
    b.button.setEnabled(false);
    const auto disabled = renderComponent(b.button, background).getPixelAt(40, 20);
    EXPECT_LT(colourDistance(disabled, background.interpolatedWith(enabled, 0.5f)), 3);

    // The caption fades with the face: a disabled key does not look ready to press.
    LookButton captioned("C");
    const auto brightestInk = [&]
    {
        const auto image = renderComponent(captioned.button, background);
        float brightest = 0;
        for (int y = 10; y < 30; ++y)
            for (int x = 30; x < 50; ++x)
                brightest = std::max(brightest, image.getPixelAt(x, y).getBrightness());
        return brightest;
    };
    const float enabledInk = brightestInk();
    captioned.button.setEnabled(false);
    EXPECT_LT(brightestInk(), enabledInk * 0.8f);

    // Focus: the same face, more saturated.
    b.button.setEnabled(true);
    b.button.setWantsKeyboardFocus(true);
    b.button.addToDesktop(0);
    b.button.setVisible(true);
    b.button.toFront(true);
    b.button.grabKeyboardFocus();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    if (!b.button.hasKeyboardFocus(true))
        GTEST_SKIP() << "the display gives no window the focus";
    const auto focused = renderComponent(b.button, background).getPixelAt(40, 20);
    EXPECT_GT(focused.getSaturation(), enabled.getSaturation() + 0.1f);
}

TEST_F(LookAndFeelTest, TheButtonImageIsDrawnCentredAtHalfTheWidth)
{
    LookButton b("", 100, 60);
    juce::Image red(juce::Image::ARGB, 10, 10, true);
    red.clear(red.getBounds(), juce::Colours::red);
    b.look.buttonImage = red;
    const auto image = renderComponent(b.button, background);
    // inner width 98, square side round(98 * 0.52) = 51 at ((98 - 51) / 2, (58 - 51) / 2).
    EXPECT_EQ(image.getPixelAt(50, 30), juce::Colours::red);
    EXPECT_EQ(image.getPixelAt(25, 5), juce::Colours::red);
    EXPECT_NE(image.getPixelAt(22, 30), juce::Colours::red);
    EXPECT_NE(image.getPixelAt(76, 30), juce::Colours::red);
}

TEST_F(LookAndFeelTest, CaptionsRotateTranslateOrStayRaw)
{
    // "T" has its bar at the top; turned by 180 degrees the bar is at the bottom.
    for (const float scale : {1.0f, 2.0f})
    {
        setUiScale(scale);
        LookButton plain("T", scaled(60), scaled(60)), turned("@@T", scaled(60), scaled(60));
        const auto [plainTop, plainBottom] = inkHalves(renderComponent(plain.button, background), background);
        const auto [turnedTop, turnedBottom] =
            inkHalves(renderComponent(turned.button, background), background);
        EXPECT_GT(plainTop, plainBottom) << scale;
        EXPECT_GT(turnedBottom, turnedTop) << scale;
    }
    setUiScale(1.0f);

    // In Chinese "OK" is translated; "`OK" drops the prefix and is translated too; "#OK" stays "OK".
    ASSERT_TRUE(setLanguage(Language::chinese));
    LookButton translated("OK"), backtick("`OK"), raw("#OK"), single("@");
    const auto translatedImage = renderComponent(translated.button, background);
    EXPECT_TRUE(sameImage(translatedImage, renderComponent(backtick.button, background)));
    EXPECT_FALSE(sameImage(translatedImage, renderComponent(raw.button, background)));
    const auto [top, bottom] = inkHalves(renderComponent(single.button, background), background);
    EXPECT_GT(top + bottom, 0) << "a one-character caption is drawn as it is";
}

TEST_F(LookAndFeelTest, TooltipsAreLightWithDarkTextAndSizedForTheirScale)
{
    StrataLookAndFeel look;
    const juce::Rectangle<int> screen(0, 0, 1920, 1080);
    setUiScale(1.0f);
    const auto small = look.getTooltipBounds("MIC MONITOR", {100, 100}, screen);
    setUiScale(2.0f);
    const auto large = look.getTooltipBounds("MIC MONITOR", {100, 100}, screen);
    EXPECT_GT(large.getWidth(), small.getWidth() * 17 / 10);
    EXPECT_GT(large.getHeight(), small.getHeight() * 17 / 10);

    juce::Image image(juce::Image::ARGB, large.getWidth(), large.getHeight(), true);
    {
        juce::Graphics g(image);
        look.drawTooltip(g, "MIC MONITOR", large.getWidth(), large.getHeight());
    }
    EXPECT_LT(colourDistance(image.getPixelAt(0, large.getHeight() / 2), juce::Colour(0xff131416)), 10);
    const auto veil = image.getPixelAt(3, 3);
    EXPECT_GT(veil.getBrightness(), 0.6f);
    int dark = 0;
    for (int x = 0; x < image.getWidth(); ++x)
        dark += image.getPixelAt(x, image.getHeight() / 2).getBrightness() < 0.3f ? 1 : 0;
    EXPECT_GT(dark, 3) << "the text is dark on the light veil";
}
