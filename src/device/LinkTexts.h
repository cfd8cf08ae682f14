#pragma once
// The texts the link shows: the window title with its activity marks, the status texts, the firmware version.
#include <juce_core/juce_core.h>

namespace NsStrata
{
/** Texts shared by the link and the screen. Message thread only. */
struct LinkTexts
{
    juce::String statusText;      // "Developing.." in the current language
    juce::String connectPrompt;   // "Please connect the target device.."
    juce::String firmwareVersion; // from the last identity reply
    juce::String windowTitle;     // what the last poll tick made of the title
    juce::StringArray lastOutputNames;

    void reset();
};

LinkTexts& linkTexts();

/** The short processor name of the title: "Intel", "AMD", "M2 Max" and the like; empty when unknown. */
juce::String cpuShortName(const juce::String& brand);
/** "Strata v0.76 - <cpu>" + statusSuffix + " " + "<" when something arrived, ">" when something went out. */
juce::String buildWindowTitle(const juce::String& statusSuffix, const juce::String& cpuBrand);
juce::String buildWindowTitle(const juce::String& statusSuffix);
/** Sets the status text and the connect prompt in the current language. */
void updateLinkTexts();
} // namespace NsStrata
