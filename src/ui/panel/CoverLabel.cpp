#include "CoverLabel.h"

#include "ui/look/AppFont.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
CoverLabel::CoverLabel()
{
    setInterceptsMouseClicks(false, false);
    setJustificationType(juce::Justification::centred);
}

juce::StringArray CoverLabel::lines()
{
    return {TRANS("No mixer is connected"),
            TRANS("Check that the mixer is switched on and plugged in by USB."),
            TRANS("Start Strata with --virtual-device to try it without a mixer.")};
}

juce::Rectangle<int> CoverLabel::textBox() const
{
    return getLocalBounds().withSizeKeepingCentre(juce::jmin(getWidth(), scaled(620)),
                                                  juce::jmin(getHeight(), scaled(150)));
}

void CoverLabel::paint(juce::Graphics& g)
{
    const auto text = lines();
    // The label's own text is what a screen reader and the popup read.
    if (getText() != text.joinIntoString("\n"))
        setText(text.joinIntoString("\n"), juce::dontSendNotification);

    g.fillAll(Palette::panel.darker(0.6f).withAlpha(0.82f));
    const auto box = textBox();
    g.setColour(Palette::graphite);
    g.fillRoundedRectangle(box.toFloat(), (float) scaled(8));
    g.setColour(Palette::outline);
    g.drawRoundedRectangle(box.toFloat().reduced(0.5f), (float) scaled(8), 1.0f);

    auto area = box.reduced(scaled(20), scaled(16));
    g.setColour(Palette::on);
    g.setFont(scaledAppFont(22.0f));
    g.drawFittedText(text[0], area.removeFromTop(scaled(40)), juce::Justification::centred, 1, 0.8f);
    g.setColour(Palette::text);
    g.setFont(scaledAppFont(15.0f));
    g.drawFittedText(text[1], area.removeFromTop(scaled(36)), juce::Justification::centred, 2, 0.8f);
    g.setColour(Palette::textOff);
    g.drawFittedText(text[2], area.removeFromTop(scaled(36)), juce::Justification::centred, 2, 0.8f);
}
} // namespace NsStrata
