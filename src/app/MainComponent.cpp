#include "MainComponent.h"

#include "LaunchOptions.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "sim/VirtualMixer.h"
#include "store/Assets.h"
#include "ui/main/MainComp.h"

namespace NsStrata
{
// Demo mode: the virtual mixer stands in for the device, starting from the shipped preset's values.
static std::shared_ptr<PortBackend> portsToUse()
{
    if (!launchOptions().virtualDevice)
        return nullptr;
    return std::make_shared<VirtualMixer>(selection().selectedModel.load(),
                                          treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false)));
}

MainComponent::MainComponent() : mainScreen(std::make_unique<MainComp>(portsToUse()))
{
    addAndMakeVisible(contentArea);
    contentArea.addAndMakeVisible(*mainScreen);
    setSize(mainScreen->getWidth(), mainScreen->getHeight());
}

MainComponent::~MainComponent() = default;

void MainComponent::paint(juce::Graphics& g)
{
    g.fillAll(getLookAndFeel().findColour(juce::ResizableWindow::backgroundColourId));
}

void MainComponent::resized()
{
    contentArea.setBounds(getLocalBounds());
    if (mainScreen != nullptr)
        mainScreen->setBounds(contentArea.getLocalBounds());
}
} // namespace NsStrata
