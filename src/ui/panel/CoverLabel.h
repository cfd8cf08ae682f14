#pragma once
// What the panel shows while no mixer is connected: a veil over the whole panel that says so, what to check,
// and how to see the program without a mixer. It takes no mouse input.
#include "ui/controls/PopupLabel.h"

namespace NsStrata
{
class CoverLabel : public PopupLabel
{
public:
    CoverLabel();

    /** The three lines, in the current language. */
    static juce::StringArray lines();
    /** Where the text box lies. */
    juce::Rectangle<int> textBox() const;

    void paint(juce::Graphics& g) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(CoverLabel)
};
} // namespace NsStrata
