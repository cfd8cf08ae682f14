#include "FocusRing.h"

#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
void FocusRing::focusGained(juce::Component& owner, juce::Component::FocusChangeType cause)
{
    fromKeyboard = cause != juce::Component::focusChangedByMouseClick;
    owner.repaint();
}

void FocusRing::focusLost(juce::Component& owner)
{
    fromKeyboard = false;
    owner.repaint();
}

bool FocusRing::isShown(const juce::Component& owner) const
{
    return fromKeyboard && owner.hasKeyboardFocus(true);
}

void FocusRing::draw(juce::Graphics& g, const juce::Component& owner, juce::Rectangle<float> area) const
{
    if (!isShown(owner))
        return;
    const float thickness = juce::jmax(1.0f, uiScale());
    g.setColour(Palette::focusRing);
    g.drawRoundedRectangle(area.reduced(thickness * 0.5f), 3.0f * uiScale(), thickness);
}
} // namespace NsStrata
