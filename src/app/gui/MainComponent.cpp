#include "MainComponent.h"

#include "ui/main/MainComp.h"

namespace NsStrata
{
MainComponent::MainComponent() : mainScreen(std::make_unique<MainComp>())
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
