// The interface language: switching, the language at start, the display rule, and a translation for every
// text the program passes through TRANS.
#include "UiFixture.h"

#include "model/Modes.h"
#include "store/Assets.h"
#include "support/TestHome.h"
#include "ui/controls/MappableButton.h"

#include <map>
#include <set>

using namespace NsStrata;

namespace
{
class LanguageTest : public UiTest
{
};

juce::String zh(const char* utf8)
{
    return juce::String::fromUTF8(utf8);
}

/** The string literals of source text written as TRANS("..."), escapes kept as written. */
std::set<std::string> transLiterals(const std::string& text)
{
    std::set<std::string> found;
    const auto skipSpace = [&](std::size_t i)
    {
        while (i < text.size() && std::isspace((unsigned char) text[i]))
            ++i;
        return i;
    };
    for (auto at = text.find("TRANS"); at != std::string::npos; at = text.find("TRANS", at + 5))
    {
        auto i = skipSpace(at + 5);
        if (i >= text.size() || text[i] != '(')
            continue;
        i = skipSpace(i + 1);
        if (i >= text.size() || text[i] != '"')
            continue;
        std::string literal;
        for (++i; i < text.size() && text[i] != '"'; ++i)
        {
            if (text[i] == '\\' && i + 1 < text.size())
                literal += text[i++];
            literal += text[i];
        }
        i = skipSpace(i + 1);
        if (i < text.size() && text[i] == ')')
            found.insert(literal);
    }
    return found;
}
} // namespace

TEST_F(LanguageTest, SetLanguageInstallsTheTranslationAndRetranslatesTheLinkTexts)
{
    updateLinkTexts();
    EXPECT_EQ(linkTexts().statusText, "Developing..");
    EXPECT_FALSE(isChineseInterface());
    EXPECT_FALSE(setLanguage(Language::english)) << "already English";

    EXPECT_TRUE(setLanguage(Language::chinese));
    EXPECT_TRUE(isChineseInterface());
    EXPECT_EQ(TRANS("Off"), zh("关闭"));
    EXPECT_EQ(TRANS("off"), zh("关闭")) << "keys match ignoring case";
    EXPECT_EQ(TRANS("Not in the file"), "Not in the file");
    EXPECT_EQ(linkTexts().statusText, zh("功能开发中") + "..");
    EXPECT_EQ(linkTexts().connectPrompt, zh("请连接设备") + "..");

    const auto* installed = juce::LocalisedStrings::getCurrentMappings();
    EXPECT_FALSE(setLanguage(Language::chinese));
    EXPECT_EQ(juce::LocalisedStrings::getCurrentMappings(), installed)
        << "choosing Chinese twice changes nothing";

    EXPECT_TRUE(setLanguage(Language::english));
    EXPECT_FALSE(isChineseInterface());
    EXPECT_EQ(TRANS("Off"), "Off");
    EXPECT_EQ(linkTexts().statusText, "Developing..");
}

TEST_F(LanguageTest, WithoutATranslationFileChineseStaysEnglish)
{
    setResourcesFolderOverride(StrataTest::freshFolder("resources"));
    EXPECT_TRUE(setLanguage(Language::chinese));
    EXPECT_FALSE(isChineseInterface());
    EXPECT_EQ(TRANS("Off"), "Off");
    setResourcesFolderOverride({});
}

TEST_F(LanguageTest, TheStartLanguageComesFromTheSystemsDisplayLanguage)
{
    struct Case
    {
        std::map<std::string, std::string> env;
        const char* displayLanguage;
        int language;
    };
    const Case cases[] = {
        {{{"LANG", "zh_CN.UTF-8"}}, "zh_CN.UTF-8", Language::chinese},
        {{{"LANG", "en_US.UTF-8"}}, "en_US.UTF-8", Language::english},
        {{{"LANGUAGE", "zh_CN:en"}, {"LANG", "en_GB.UTF-8"}}, "zh_CN:en", Language::chinese},
        {{{"LC_ALL", "en_US.UTF-8"}, {"LANG", "zh_CN.UTF-8"}}, "en_US.UTF-8", Language::english},
        {{{"LC_MESSAGES", "zh_CN.GB18030"}, {"LANG", "C"}}, "zh_CN.GB18030", Language::chinese},
        {{{"LANGUAGE", ""}, {"LANG", "zh_CN.UTF-8"}}, "zh_CN.UTF-8", Language::chinese},
        {{{"LANG", "zh_TW.UTF-8"}}, "zh_TW.UTF-8", Language::english},
        {{}, "", Language::english},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.displayLanguage);
        const auto shown = systemDisplayLanguage(
            [&](const char* name) -> const char*
            {
                const auto it = c.env.find(name);
                return it == c.env.end() ? nullptr : it->second.c_str();
            });
        EXPECT_EQ(shown, c.displayLanguage);
        EXPECT_EQ(startLanguageFor(shown), c.language);
    }
    EXPECT_EQ(startLanguageFor("zh-CN"), Language::chinese) << "the system's language tag";

    // The process's own environment.
    std::map<std::string, juce::String> saved;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
    {
        if (const char* v = std::getenv(name))
            saved[name] = v;
        ::unsetenv(name);
    }
    ::setenv("LANG", "zh_CN.UTF-8", 1);
    installStartLanguage();
    EXPECT_TRUE(isChineseInterface());
    ::setenv("LANG", "en_US.UTF-8", 1);
    installStartLanguage();
    EXPECT_FALSE(isChineseInterface());
    ::unsetenv("LANG");
    for (const auto& [name, value] : saved)
        ::setenv(name.c_str(), value.toRawUTF8(), 1);
}

TEST_F(LanguageTest, TheScaleNamesShowAsCharactersInChinese)
{
    struct Case
    {
        const char* name;
        juce::String english, chinese;
    };
    const Case cases[] = {{"M", "M", zh("大")}, {"m", "m", zh("小")}, {"SC", "SC", "SC"}, {"Mm", "Mm", "Mm"}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        resetLanguage();
        MappableButton button(c.name);
        EXPECT_EQ(button.getButtonText(), c.english);
        ASSERT_TRUE(setLanguage(Language::chinese));
        button.refreshText();
        EXPECT_EQ(button.getButtonText(), c.chinese);
        EXPECT_EQ(button.getDisplayName(), c.name);
        EXPECT_EQ(displayText(c.name), c.chinese);
    }
}

TEST_F(LanguageTest, EveryTextPassedThroughTransHasAChineseTranslation)
{
    const auto file = juce::File(findResourcesFolder()).getChildFile(chineseTranslationPath);
    ASSERT_TRUE(file.existsAsFile());
    const juce::LocalisedStrings chinese(file.loadFileAsString(), true);
    ASSERT_EQ(chinese.getLanguageName(), "Chinese");
    const juce::String missing = "\x01missing";
    const auto untranslated = [&](const juce::String& text)
    {
        const auto translation = chinese.translate(text, missing);
        return translation == missing || translation.trim().isEmpty();
    };

    // Every TRANS("...") literal of the program's sources.
    std::set<std::string> literals;
    for (const auto& dir : {"src", "cli"})
        for (const auto& source : StrataTest::sourceDir().getChildFile(dir).findChildFiles(
                 juce::File::findFiles, true, "*.cpp;*.h"))
        {
            const auto found = transLiterals(source.loadFileAsString().toStdString());
            literals.insert(found.begin(), found.end());
        }
    ASSERT_FALSE(literals.empty()) << "no sources found under " << StrataTest::sourceDir().getFullPathName();
    for (const auto& literal : literals)
        EXPECT_FALSE(untranslated(juce::String::fromUTF8(literal.c_str()).replace("\\\"", "\"")))
            << "no translation for TRANS(\"" << literal << "\")";

    // The names the panel passes through TRANS: sections, controls, buttons and modes. The key names are
    // the same in both languages.
    const std::set<std::string> keyNames = {"C", "Db", "D", "Eb", "E", "F", "Gb", "G", "Ab", "A", "Bb", "B"};
    std::vector<const char*> names(sectionNames.begin(), sectionNames.end());
    names.insert(names.end(), controlNames.begin(), controlNames.end());
    names.insert(names.end(), buttonTexts.begin(), buttonTexts.end());
    names.insert(names.end(), modeNames.begin(), modeNames.end());
    for (const char* name : {"NOISE REDUCTION 1", "NOISE REDUCTION 2", "Major", "minor"})
        names.push_back(name);
    for (const char* name : names)
    {
        if (*name == 0 || keyNames.count(name) != 0)
            continue;
        EXPECT_FALSE(untranslated(name)) << "no translation for \"" << name << "\"";
    }
}
