#pragma once
// The interface language: English (the untranslated texts) or Chinese (the translation file installed as the
// framework's translations, so every TRANS follows it), chosen at start from the system's display language.
#include <juce_core/juce_core.h>

#include <functional>
#include <memory>

namespace NsStrata
{
namespace Language
{
enum : int
{
    english = 0,
    chinese = 1
};
}

/** The translation file below the resources folder. */
inline const char* const chineseTranslationPath = "Strata/trans/chinese.txt";

/** Mappings for a language: the translation file for Chinese, empty mappings for English (and when the file
    cannot be read). Keys match ignoring case. */
std::unique_ptr<juce::LocalisedStrings> buildMappings(int language);

/** Installs the mappings as the framework's translations and sets the language flag from their language
    name. Null installs empty mappings. */
void installMappings(std::unique_ptr<juce::LocalisedStrings> mappings);

/** Switches the interface language; false (and nothing changes) when it is already the current one.
    Re-translates the device-link texts. */
bool setLanguage(int language);

/** True while the installed translation is the Chinese one. */
bool isChineseInterface();

/** The display language of the system: on Linux the first of LANGUAGE, LC_ALL, LC_MESSAGES and LANG that is
    set (read through getenv, so a test can pass its own). */
juce::String systemDisplayLanguage(const std::function<const char*(const char*)>& getenvFn = {});
/** The start language for a display language: Chinese when it names China ("zh-CN", "zh_CN.UTF-8"). */
int startLanguageFor(const juce::String& displayLanguage);
/** Installs the start language from the system's display language. */
void installStartLanguage();

/** The text a button shows for its display name: with the Chinese interface "M" shows as 大 (major) and "m"
    as 小 (minor); everything else as it is. */
juce::String displayText(const juce::String& displayName);

/** Back to English with no translations installed (start of a test). */
void resetLanguage();
} // namespace NsStrata
