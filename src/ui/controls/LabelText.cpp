#include "LabelText.h"

namespace NsStrata
{
void updateLabel(juce::Label& label, const juce::String& text, const juce::Font& font)
{
    if (label.getText() != text)
        label.setText(text, juce::dontSendNotification);
    if (label.getFont() != font)
        label.setFont(font);
}
} // namespace NsStrata
