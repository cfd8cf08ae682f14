#include "Language.h"

#include "device/LinkTexts.h"
#include "store/Assets.h"

#include <atomic>
#include <cstdlib>

namespace NsStrata
{
namespace
{
std::atomic<bool>& chineseFlag()
{
    static std::atomic<bool> flag{false};
    return flag;
}
} // namespace

std::unique_ptr<juce::LocalisedStrings> buildMappings(int language)
{
    const auto text =
        language == Language::chinese ? loadAssetText(chineseTranslationPath, false) : juce::String();
    return std::make_unique<juce::LocalisedStrings>(text, true);
}

void installMappings(std::unique_ptr<juce::LocalisedStrings> mappings)
{
    if (mappings == nullptr)
        mappings = buildMappings(Language::english);
    const bool chinese = mappings->getLanguageName() == "Chinese";
    // The framework takes ownership and releases the previous mappings.
    juce::LocalisedStrings::setCurrentMappings(mappings.release());
    chineseFlag() = chinese;
}

bool isChineseInterface()
{
    return chineseFlag();
}

bool setLanguage(int language)
{
    const bool wantChinese = language == Language::chinese;
    if (wantChinese == isChineseInterface())
        return false;
    installMappings(buildMappings(language));
    updateLinkTexts();
    return true;
}

juce::String systemDisplayLanguage(const std::function<const char*(const char*)>& getenvFn)
{
#if JUCE_LINUX || JUCE_BSD
    auto get = getenvFn;
    if (!get)
        get = [](const char* name) -> const char* { return std::getenv(name); };
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = get(name); value != nullptr && *value != 0)
            return juce::String::fromUTF8(value);
    return {};
#else
    juce::ignoreUnused(getenvFn);
    return juce::SystemStats::getDisplayLanguage();
#endif
}

int startLanguageFor(const juce::String& displayLanguage)
{
    return displayLanguage.toLowerCase().contains("cn") ? Language::chinese : Language::english;
}

void installStartLanguage()
{
    installMappings(buildMappings(startLanguageFor(systemDisplayLanguage())));
}

juce::String displayText(const juce::String& displayName)
{
    if (isChineseInterface())
    {
        if (displayName == "M")
            return juce::String::fromUTF8("\xe5\xa4\xa7"); // 大
        if (displayName == "m")
            return juce::String::fromUTF8("\xe5\xb0\x8f"); // 小
    }
    return displayName;
}

void resetLanguage()
{
    installMappings(nullptr);
}
} // namespace NsStrata
