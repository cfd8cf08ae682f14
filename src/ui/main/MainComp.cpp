#include "MainComp.h"

#include "device/Host.h"

namespace NsStrata
{
MainComp::MainComp()
{
    // Reads the settings file and builds the state tree.
    Host::getInstance();
    linkStatusText = TRANS("Developing") + "..";
    connectPromptText = TRANS("Please connect the target device") + "..";
    setSize(designWidth, designHeight);
}

MainComp::~MainComp()
{
    Host::getInstance()->settings().saveState();
}

void MainComp::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xffd3d3d3));

    const auto scale = (float) getWidth() / (float) designWidth;
    auto area = getLocalBounds().toFloat();
    auto titleRow = area.removeFromTop(area.getHeight() * 0.5f);

    g.setColour(juce::Colours::black);
    g.setFont(juce::Font(28.0f * scale, juce::Font::bold));
    g.drawText("Strata", titleRow, juce::Justification::centredBottom);

    g.setColour(juce::Colour(0xff484848));
    g.setFont(juce::Font(16.0f * scale));
    g.drawText(connectPromptText, area.removeFromTop(32.0f * scale), juce::Justification::centred);
    g.drawText(linkStatusText, area.removeFromTop(24.0f * scale), juce::Justification::centred);
}
} // namespace NsStrata
