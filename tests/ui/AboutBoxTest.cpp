// The about box: placeholders in their order, the year and date derived from the build date, both variants.
#include "UiFixture.h"

#include "ui/look/AboutBox.h"
#include "ui/look/StrataLookAndFeel.h"

using namespace NsStrata;

namespace
{
class AboutBoxTest : public UiTest
{
protected:
    static BuildInfo info(const char* firstYear, const char* buildDate)
    {
        auto i = BuildInfo::current();
        i.firstYear = firstYear;
        i.buildDate = buildDate;
        i.buildTime = "10:59:54";
        return i;
    }
};
} // namespace

TEST_F(AboutBoxTest, YearAndDateComeFromTheBuildDate)
{
    struct Case
    {
        const char* buildDate;
        const char* year;
        const char* shortDate;
    };
    const Case cases[] = {{"May 12 2025", "2025", "May 12"},
                          {"May  2 2025", "2025", "May 2"},
                          {"Jan  1 2030", "2030", "Jan 1"}};
    for (const auto& c : cases)
    {
        const auto i = info("2024", c.buildDate);
        EXPECT_EQ(i.buildYear(), c.year) << c.buildDate;
        EXPECT_EQ(i.shortBuildDate(), c.shortDate) << c.buildDate;
    }
    // This build's own date has the compiler's form.
    const auto now = BuildInfo::current();
    EXPECT_EQ(now.buildDate.length(), 11);
    EXPECT_EQ(now.buildYear().getIntValue() > 2023, true);
}

TEST_F(AboutBoxTest, BothVariantsFillThePlaceholdersInOrder)
{
    struct Case
    {
        AboutVariant variant;
        const char* firstYear;
        const char* years;
        const char* button;
    };
    const Case cases[] = {
        {AboutVariant::menu, "2024", "2025", "OK"},
        {AboutVariant::logo, "2024", "2024-2025", "OK"},
        {AboutVariant::logo, "2025", "2025", "OK"},
        {AboutVariant::menu, "2025", "2025", "OK"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.years);
        auto i = info(c.firstYear, "May 12 2025");
        const auto text = aboutText(c.variant, i);
        EXPECT_EQ(text.title, "Strata v0.76");
        EXPECT_TRUE(text.message.startsWith("86N built on May 12\n")) << text.message;
        EXPECT_TRUE(text.message.contains(juce::String("(c) ") + c.years + " " + i.makerName))
            << text.message;
        EXPECT_TRUE(text.message.contains(i.makerAddress));
        EXPECT_FALSE(text.message.containsChar('{')) << "every placeholder is filled";
        EXPECT_EQ(text.buttonText, c.button);
    }

    // A maker name or address holding a placeholder is not filled again by the later steps.
    auto odd = info("2024", "May 12 2025");
    odd.makerAddress = "https://example.org/{date}";
    EXPECT_TRUE(aboutText(AboutVariant::menu, odd).message.contains("https://example.org/May 12"))
        << "the address goes in first, so later steps act on it";
    odd.makerName = "{start} Audio";
    EXPECT_TRUE(aboutText(AboutVariant::menu, odd).message.contains("{start} Audio"))
        << "the menu variant has no {start} step";
    EXPECT_TRUE(aboutText(AboutVariant::logo, odd).message.contains("2024 Audio"));
}

TEST_F(AboutBoxTest, TheMenuVariantIsTranslatedAndUsesTheMenusLookTheLogoVariantNeither)
{
    StrataLookAndFeel menuLook;
    ASSERT_TRUE(setLanguage(Language::chinese));
    EXPECT_EQ(showAboutBox(AboutVariant::menu, &menuLook), 1);
    EXPECT_EQ(showAboutBox(AboutVariant::logo, &menuLook), 1);
    ASSERT_EQ(dialogs.boxes.size(), 2u);

    const auto& menu = dialogs.boxes[0];
    EXPECT_EQ(menu.title, "Strata v0.76");
    EXPECT_EQ(menu.buttonText, juce::String::fromUTF8("确定"));
    EXPECT_EQ(menu.look, &menuLook);
    EXPECT_TRUE(menu.message.contains(juce::String::fromUTF8("构建于")));

    const auto& logo = dialogs.boxes[1];
    EXPECT_EQ(logo.buttonText, "OK");
    EXPECT_EQ(logo.look, nullptr);
}
