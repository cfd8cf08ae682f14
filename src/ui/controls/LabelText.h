#pragma once
// Texts of the labels inside controls, refreshed at every repaint so that they follow the language and scale.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
/** Sets the label's text and font where they differ; unchanged ones cause no repaint. */
void updateLabel(juce::Label& label, const juce::String& text, const juce::Font& font);
} // namespace NsStrata
