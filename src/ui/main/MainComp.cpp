#include "MainComp.h"

#include "device/DevicePollTimer.h"
#include "device/Host.h"
#include "device/PortNames.h"
#include "device/os/JucePortBackend.h"
#include "model/Models.h"

namespace NsStrata
{
MainComp::MainComp(std::shared_ptr<PortBackend> ports)
{
    // Reads the settings file and builds the state tree.
    auto* host = Host::getInstance();
    host->setPortBackend(ports != nullptr ? std::move(ports) : std::make_shared<JucePortBackend>());
    host->setListener(this);

    linkStatusText = TRANS("Developing") + "..";
    connectPromptText = TRANS("Please connect the target device") + "..";
    setSize(designWidth, designHeight);

    pollTimer = std::make_unique<DevicePollTimer>(*host);
    pollTimer->start();
}

MainComp::~MainComp()
{
    auto* host = Host::getInstance();
    pollTimer->stopTimer();
    host->settings().saveState();
    host->closeLink();
    pollTimer.reset();
}

void MainComp::showFirmwareVersion(const juce::String& version)
{
    firmwareVersion = version;
    repaint();
}

void MainComp::setCoverLabelVisible(bool visible)
{
    if (deviceShown != !visible)
    {
        deviceShown = !visible;
        repaint();
    }
}

void MainComp::setWindowTitle(const juce::String& newTitle)
{
    title = newTitle;
    if (auto* window = getTopLevelComponent(); window != nullptr && window != this)
        window->setName(newTitle);
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
    const auto prompt = deviceShown ? modelNameForId(selection().deviceModel) : connectPromptText;
    g.drawText(prompt, area.removeFromTop(32.0f * scale), juce::Justification::centred);
    g.drawText(linkStatusText, area.removeFromTop(24.0f * scale), juce::Justification::centred);
    if (firmwareVersion.isNotEmpty())
        g.drawText("DSP " + firmwareVersion, area.removeFromTop(24.0f * scale), juce::Justification::centred);
}
} // namespace NsStrata
