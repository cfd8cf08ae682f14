#include "SendProgress.h"

#include "ui/look/AppFont.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
SendProgress::SendProgress(int slot, const juce::String& jingleName)
{
    heading = TRANS("Send jingle") + " " + juce::String(slot);
    if (jingleName.isNotEmpty())
        heading << ": " << jingleName;
    bar.setColour(juce::ProgressBar::backgroundColourId, Palette::ringBack);
    bar.setColour(juce::ProgressBar::foregroundColourId, Palette::valueArc);
    bar.setPercentageDisplay(true);
    addAndMakeVisible(bar);
    setInterceptsMouseClicks(true, false); // the panel below takes no clicks while a jingle goes out
}

SendProgress::~SendProgress() = default;

void SendProgress::setProgress(int64_t written, int64_t total)
{
    bytesWritten = written;
    bytesTotal = total;
    progress = total > 0 ? juce::jlimit(0.0, 1.0, (double) written / (double) total) : 0.0;
    repaint();
}

juce::String SendProgress::detailText() const
{
    return juce::String(bytesWritten / 1024) + " / " + juce::String(bytesTotal / 1024) + " KB";
}

void SendProgress::placeInParent()
{
    if (auto* parent = getParentComponent())
        setBounds(parent->getLocalBounds().withSizeKeepingCentre(scaled(360), scaled(120)));
}

void SendProgress::paint(juce::Graphics& g)
{
    const auto area = getLocalBounds().toFloat();
    g.setColour(Palette::graphite);
    g.fillRoundedRectangle(area, (float) scaled(6));
    g.setColour(Palette::valueArc.withAlpha(0.6f));
    g.drawRoundedRectangle(area.reduced(0.5f), (float) scaled(6), 1.0f);

    auto inner = getLocalBounds().reduced(scaled(16), scaled(12));
    g.setColour(Palette::text);
    g.setFont(scaledAppFont(16.0f));
    g.drawFittedText(heading, inner.removeFromTop(scaled(26)), juce::Justification::centredLeft, 1, 0.7f);
    g.setFont(scaledAppFont(13.0f));
    g.setColour(Palette::textOff);
    g.drawText(detailText(), inner.removeFromBottom(scaled(22)), juce::Justification::centredRight);
}

void SendProgress::resized()
{
    auto inner = getLocalBounds().reduced(scaled(16), scaled(12));
    inner.removeFromTop(scaled(30));
    bar.setBounds(inner.removeFromTop(scaled(26)));
}
} // namespace NsStrata
