// The main screen's hidden keys and the system text the "I" key shows.
#include "UiFixture.h"

#include "ui/main/HiddenKeys.h"

#include <cstdlib>

using namespace NsStrata;

TEST(HiddenKeys, EachCommandHasItsOneKey)
{
    const int ctrl = juce::ModifierKeys::ctrlModifier, shift = juce::ModifierKeys::shiftModifier,
              alt = juce::ModifierKeys::altModifier;
    struct Case
    {
        int key, mods;
        HiddenCommand expected;
    };
    const Case cases[] = {
        {'I', 0, HiddenCommand::showSystemInfo},
        {'i', 0, HiddenCommand::showSystemInfo},
        {'I', shift, HiddenCommand::none},
        {'I', ctrl, HiddenCommand::none},
        {'I', ctrl | shift | alt, HiddenCommand::none},
        {'T', ctrl | shift | alt, HiddenCommand::toggleCoverLabel},
        {'t', ctrl | shift | alt, HiddenCommand::toggleCoverLabel},
        {'T', ctrl | shift, HiddenCommand::none},
        {'T', 0, HiddenCommand::none},
        {'R', ctrl | shift | alt, HiddenCommand::restorePreset},
        {'R', ctrl | alt, HiddenCommand::none},
        {'R', 0, HiddenCommand::none},
        {'J', 0, HiddenCommand::none},
    };
    for (const auto& c : cases)
    {
        const juce::KeyPress key(c.key, juce::ModifierKeys(c.mods), (juce::juce_wchar) c.key);
        EXPECT_EQ(hiddenCommandFor(key), c.expected) << key.getTextDescription();
    }
}

TEST(HiddenKeys, SystemTextNamesTheLanguageAndTheProcessor)
{
    EXPECT_EQ(systemInfoText("zh-CN", "Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz"),
              "Language: zh-CN\r\n\r\nCPU: Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz");

#if !JUCE_WINDOWS
    // This system's: the display language the start language is chosen from, and some processor name.
    const char* saved = std::getenv("LANGUAGE");
    const std::string keep = saved != nullptr ? saved : "";
    ::setenv("LANGUAGE", "zh_CN", 1);
    const auto text = systemInfoText();
    if (saved != nullptr)
        ::setenv("LANGUAGE", keep.c_str(), 1);
    else
        ::unsetenv("LANGUAGE");
    EXPECT_TRUE(text.startsWith("Language: zh_CN\r\n\r\nCPU: ")) << text;
    EXPECT_TRUE(text.fromFirstOccurrenceOf("CPU: ", false, false).trim().isNotEmpty()) << text;
#endif
}
