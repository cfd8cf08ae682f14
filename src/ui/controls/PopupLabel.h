#pragma once
// A label that shows its text in a message box on every second press.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class PopupLabel : public juce::Label
{
public:
    PopupLabel();

    void setPopupText(const juce::String& text) { popupText = text; }
    const juce::String& getPopupText() const { return popupText; }
    bool isToggledOn() const { return toggled; }

    void mouseDown(const juce::MouseEvent& e) override;

private:
    juce::String popupText;
    bool toggled = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PopupLabel)
};
} // namespace NsStrata
