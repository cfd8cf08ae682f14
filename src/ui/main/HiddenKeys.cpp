#include "HiddenKeys.h"

#include "ui/look/Language.h"

namespace NsStrata
{
HiddenCommand hiddenCommandFor(const juce::KeyPress& key)
{
    const auto mods = key.getModifiers().withoutMouseButtons();
    const auto letter = juce::CharacterFunctions::toUpperCase((juce::juce_wchar) key.getKeyCode());
    if (mods == juce::ModifierKeys() && letter == 'I')
        return HiddenCommand::showSystemInfo;
    const juce::ModifierKeys all(juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier |
                                 juce::ModifierKeys::altModifier);
    if (mods == all && letter == 'T')
        return HiddenCommand::toggleCoverLabel;
    if (mods == all && letter == 'R')
        return HiddenCommand::restorePreset;
    return HiddenCommand::none;
}

juce::String systemInfoText(const juce::String& displayLanguage, const juce::String& cpuBrand)
{
    return "Language: " + displayLanguage + "\r\n\r\n" + "CPU: " + cpuBrand;
}

juce::String systemInfoText()
{
    auto language = systemDisplayLanguage();
    if (language.isEmpty())
        language = juce::SystemStats::getDisplayLanguage();
    auto cpu = juce::SystemStats::getCpuModel().trim();
    if (cpu.isEmpty())
        cpu = juce::SystemStats::getCpuVendor().trim();
    return systemInfoText(language, cpu);
}
} // namespace NsStrata
