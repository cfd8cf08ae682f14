#include "MainComp.h"

#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/LinkTexts.h"
#include "device/PortNames.h"
#include "device/os/JucePortBackend.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"
#include "radezovu/RadezOvu.h"
#include "ui/look/AppFont.h"
#include "ui/look/Language.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
MainComp::MainComp(std::shared_ptr<PortBackend> ports, RadezOvu* dspRoot) : root(dspRoot)
{
    // The panel made the Host (which read the settings file) and started the link's timers; the ports are
    // in place before their first tick.
    auto* host = Host::getInstance();
    host->setPortBackend(ports != nullptr ? std::move(ports) : std::make_shared<JucePortBackend>());
    host->setListener(this);

    addAndMakeVisible(pages);
    pages.setTabBarDepth(0);
    pages.setOutline(0);
    pages.setColour(juce::TabbedComponent::outlineColourId, juce::Colour(0xff484848));
    pages.setColour(juce::TabbedComponent::backgroundColourId, juce::Colour(0xffd3d3d3));
    pages.addTab("MAIN VIEW", juce::Colour(0xff87ceeb), &panel, false);
    pages.setCurrentTabIndex(0);

    panel.setDspRoot(root);
    // The language of the system's display, and the application font wherever the framework draws text.
    installStartLanguage();
    useAppFontAsDefault();
    updateLinkTexts();
    jingles.rebuildJingleLibrary(false);
    panel.setJingleLibrary(&jingles);
    panel.setCoverVisible(!linkFlags().deviceViewShown);
    setSize(designWidth, designHeight);
}

MainComp::~MainComp()
{
    if (keySource != nullptr)
        keySource->removeKeyListener(this);
    auto* host = Host::getInstance();
    panel.stopTimers();
    host->settings().saveState();
    host->closeLink();
    panel.setDspRoot(nullptr);
    if (root != nullptr)
        root->release();
    panel.setJingleLibrary(nullptr);
}

void MainComp::parentHierarchyChanged()
{
    // The hidden key is heard wherever the focus is: on the window, which every key reaches last.
    auto* top = getTopLevelComponent();
    if (top == keySource.getComponent())
        return;
    if (keySource != nullptr)
        keySource->removeKeyListener(this);
    keySource = top != this ? top : nullptr;
    if (keySource != nullptr)
        keySource->addKeyListener(this);
}

bool MainComp::keyPressed(const juce::KeyPress& key, juce::Component*)
{
    const auto all = juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier |
                     juce::ModifierKeys::altModifier;
    if (key.getModifiers().withoutMouseButtons() == juce::ModifierKeys(all) &&
        juce::CharacterFunctions::toUpperCase((juce::juce_wchar) key.getKeyCode()) == 'T')
        toggleOfflineView();
    return false; // the key goes on to the window
}

void MainComp::toggleOfflineView()
{
    auto& link = linkFlags();
    link.offlineView = !link.offlineView;
    // Offline view keeps the panel shown without a mixer; without it the panel shows only what a mixer sent.
    link.deviceViewShown = link.offlineView || link.linkUp;
    panel.setCoverVisible(!link.deviceViewShown);
}

void MainComp::showFirmwareVersion(const juce::String& version)
{
    firmwareVersion = version;
    repaint();
}

void MainComp::refreshFromState(bool)
{
    auto& sel = selection();
    if (isSupportedModel(sel.deviceModel))
        sel.selectedModel = sel.deviceModel.load();
    auto& state = Host::getInstance()->state();
    const int mode = sel.currentMode;
    state.setProperty(Prop::mode, mode, nullptr);
    auto selector = parameterNode(modelNode(state, sel.selectedModel), ParamId::modeSelector, mode);
    if (selector.isValid())
        selector.setProperty(Prop::value, modeCode(mode), nullptr);
    panel.showMode(mode);
    panel.bindToState(sel.selectedModel, mode, 0);
    repaint();
}

void MainComp::rebindPanel(int modeId)
{
    panel.bindToState(selection().selectedModel, modeId, 0);
}

void MainComp::setWindowTitle(const juce::String& newTitle)
{
    title = newTitle;
    if (auto* window = getTopLevelComponent(); window != nullptr && window != this)
        window->setName(newTitle);
    repaint(getLocalBounds().removeFromTop(scaled(topBand)));
}

void MainComp::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xffd3d3d3));
    auto band = getLocalBounds().removeFromTop(scaled(topBand)).reduced(scaled(12), 0);
    g.setColour(juce::Colours::black);
    g.setFont(scaledAppFont(26.0f).boldened());
    g.drawText("Strata", band.removeFromLeft(scaled(120)), juce::Justification::centredLeft);

    const auto& link = linkFlags();
    juce::String status = link.linkUp ? modelNameForId(selection().deviceModel) : linkTexts().connectPrompt;
    if (firmwareVersion.isNotEmpty() && link.linkUp)
        status << "   DSP " << firmwareVersion;
    g.setColour(juce::Colour(0xff484848));
    g.setFont(scaledAppFont(15.0f));
    g.drawText(status, band, juce::Justification::centredRight);
}

void MainComp::resized()
{
    setUiScale((float) getWidth() / (float) designWidth);
    pages.setBounds(getLocalBounds().withTrimmedTop(juce::jmin(getHeight(), scaled(topBand))));
}
} // namespace NsStrata
