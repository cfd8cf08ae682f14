// The application font: which file of the fonts folder is used, the system's sans-serif without one, and
// Chinese glyphs that render as glyphs.
#include "UiFixture.h"

#include "store/Assets.h"
#include "support/TestHome.h"
#include "ui/look/AppFont.h"

using namespace NsStrata;

namespace
{
class AppFontTest : public UiTest
{
};

juce::File folderWith(const juce::StringArray& names)
{
    auto dir = StrataTest::freshFolder("fonts");
    for (const auto& name : names)
        dir.getChildFile(name).replaceWithText("not really a font");
    return dir;
}

/** The ink of one text drawn alone in the font, as a bitmap. */
juce::Image inkOf(const juce::Font& font, const juce::String& text)
{
    juce::Image image(juce::Image::ARGB, 64, 64, true, juce::SoftwareImageType());
    juce::Graphics g(image);
    g.setColour(juce::Colours::white);
    g.setFont(font.withHeight(40.0f));
    g.drawText(text, image.getBounds(), juce::Justification::centred, false);
    return image;
}

int inkPixels(const juce::Image& image)
{
    int n = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            n += image.getPixelAt(x, y).getAlpha() > 128 ? 1 : 0;
    return n;
}

int differingPixels(const juce::Image& a, const juce::Image& b)
{
    int n = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            n += (a.getPixelAt(x, y).getAlpha() > 128) != (b.getPixelAt(x, y).getAlpha() > 128) ? 1 : 0;
    return n;
}

/** Two different Chinese characters draw as two different shapes with ink: glyphs, not empty boxes. */
void expectChineseGlyphs(const juce::Font& font)
{
    const auto big = inkOf(font, juce::String::fromUTF8("话")),
               small = inkOf(font, juce::String::fromUTF8("筒"));
    EXPECT_GT(inkPixels(big), 40);
    EXPECT_GT(inkPixels(small), 40);
    EXPECT_GT(differingPixels(big, small), 80);
}
} // namespace

TEST_F(AppFontTest, TheFontsFolderGivesChineseTtfFirstThenTtfThenOtfThenCollections)
{
    struct Case
    {
        juce::StringArray files;
        const char* chosen; // "" when none
    };
    const Case cases[] = {
        {{"a.otf", "b.ttf"}, "b.ttf"},
        {{"a.ttf", "chinese.ttf", "z.otf"}, "chinese.ttf"},
        {{"c.ttf", "b.ttf"}, "b.ttf"},
        {{"x.otf"}, "x.otf"},
        {{"a.otf", "wqy.ttc"}, "a.otf"},
        {{"wqy.ttc", "LICENSE.txt"}, "wqy.ttc"},
        {{"readme.txt"}, ""},
        {{}, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.files.joinIntoString(", "));
        const auto chosen = findFontFile(folderWith(c.files));
        EXPECT_EQ(chosen.getFileName(), c.chosen);
    }
    EXPECT_EQ(findFontFile(StrataTest::testHome().getChildFile("no such folder")), juce::File());
}

TEST_F(AppFontTest, WithoutAUsableFontFileTheSystemsSansSerifIsUsed)
{
    EXPECT_FALSE(fontFromFile(folderWith({"broken.ttf"}).getChildFile("broken.ttf")).has_value());

    for (const auto& folder : {folderWith({}), folderWith({"broken.ttf"})})
    {
        const auto font = makeAppFont(folder);
        EXPECT_NE(font.getTypefaceName(), "Consolas");
        EXPECT_FLOAT_EQ(font.getHeight(), 12.0f);
        EXPECT_EQ(font.getTypefaceName(), systemSansSerifFont().getTypefaceName());
    }
    // This machine has a Chinese font installed: the fallback covers Chinese.
    expectChineseGlyphs(systemSansSerifFont());
}

TEST_F(AppFontTest, TheFontBesideTheProgramIsTheApplicationFontAndDrawsChinese)
{
    const auto file = findFontFile(getAssetFile("font/", false));
    ASSERT_TRUE(file.existsAsFile()) << "the build lays a CJK font into resources/font";
    EXPECT_TRUE(file.getSiblingFile("wqy-microhei-copyright.txt").existsAsFile()) << "with its licence";
    EXPECT_EQ(appFont().getTypefaceName(), fontFromFile(file)->getTypefaceName());
    EXPECT_TRUE(appFont().getTypefaceName().containsIgnoreCase("WenQuanYi"));
    EXPECT_FLOAT_EQ(appFont().getHeight(), 12.0f);
    expectChineseGlyphs(appFont());

    setUiScale(2.0f);
    EXPECT_FLOAT_EQ(scaledAppFont(13.0f).getHeight(), 26.0f);

    // Message boxes and menus of the default look draw in it too.
    useAppFontAsDefault();
    const auto face = juce::LookAndFeel::getDefaultLookAndFeel().getTypefaceForFont(juce::Font(14.0f));
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->getName(), appFont().getTypefaceName());
}
