#pragma once
// The ring a control shows while it holds the keyboard focus; only when the focus came from the keyboard,
// so a click does not leave a ring behind.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class FocusRing
{
public:
    void focusGained(juce::Component& owner, juce::Component::FocusChangeType cause);
    void focusLost(juce::Component& owner);
    bool isShown(const juce::Component& owner) const;
    /** Draws the ring just inside area when shown. */
    void draw(juce::Graphics& g, const juce::Component& owner, juce::Rectangle<float> area) const;

private:
    bool fromKeyboard = false;
};
} // namespace NsStrata
