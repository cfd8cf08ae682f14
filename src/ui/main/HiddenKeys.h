#pragma once
// The main screen's hidden keyboard commands, and the text of the one that shows what the system is.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
enum class HiddenCommand
{
    none,
    showSystemInfo,   // "I" without modifiers
    toggleCoverLabel, // Ctrl+Shift+Alt+T
    restorePreset     // Ctrl+Shift+Alt+R
};

/** The hidden command a key press asks for. The screen does not consume the key either way. */
HiddenCommand hiddenCommandFor(const juce::KeyPress& key);

/** "Language: " + displayLanguage + two line breaks + "CPU: " + cpuBrand. */
juce::String systemInfoText(const juce::String& displayLanguage, const juce::String& cpuBrand);
/** The same for this system: its display language and its processor's brand name (its vendor where the
    system names no brand). */
juce::String systemInfoText();
} // namespace NsStrata
