#include "MainScreen.h"

#include "HiddenKeys.h"
#include "config/HostImportLink.h"
#include "config/PresetRestore.h"
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
#include "ui/look/Dialogs.h"
#include "ui/look/Language.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
namespace
{
const juce::Colour screenGrey{0xffd3d3d3};
constexpr int tooltipDelayMs = 333;

std::function<juce::Rectangle<int>()>& userAreaSource()
{
    static std::function<juce::Rectangle<int>()> source;
    return source;
}

/** The interface language as every model's settings store it. */
void storeLanguageInEveryModel(juce::ValueTree& state, bool chinese)
{
    for (const auto& model : state)
    {
        auto node = childWithId(childWithId(model, modeIndependentGroup), ParamId::language);
        if (node.isValid())
            node.setProperty(Prop::value, chinese ? 1 : 0, nullptr);
    }
}

juce::Rectangle<int> displayUserArea()
{
    if (userAreaSource())
        return userAreaSource()();
    if (auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        return display->userArea;
    return {};
}
} // namespace

void MainScreen::setUserAreaSource(std::function<juce::Rectangle<int>()> source)
{
    userAreaSource() = std::move(source);
}

MainScreen::MainScreen(std::shared_ptr<PortBackend> ports, RadezOvu* dspRoot, int defaultModel)
    : tooltips(nullptr, 700), root(dspRoot), commands(*this)
{
    // The panel made the Host (which read the settings file) and started the link's timers; the ports and
    // the screen are in place before their first tick.
    tooltips.setMillisecondsBeforeTipAppears(tooltipDelayMs);
    auto* host = Host::getInstance();
    host->setPortBackend(ports != nullptr ? std::move(ports) : std::make_shared<JucePortBackend>());
    host->setListener(this);

    auto& sel = selection();
    const int model = isSupportedModel(sel.deviceModel) ? sel.deviceModel.load() : defaultModel;
    sel.deviceModel = model;
    sel.selectedModel = model;
    panel.setDspRoot(root);

    // The language of the system's display, and the application font wherever the framework draws text.
    installStartLanguage();
    useAppFontAsDefault();
    // Without settings of the user's, the preset's language is nobody's choice: the system's display
    // language stands in for it until a mixer reports its own.
    if (host->settings().fileStatus() != SettingsStore::FileStatus::read)
        storeLanguageInEveryModel(host->state(), isChineseInterface());

    menus = std::make_unique<MainMenuBar>(commands);
    menus->setLookAndFeel(&look);
    addAndMakeVisible(*menus);
    addAndMakeVisible(logo);
    addAndMakeVisible(picture);

    firmware.setName("DSP firmware version");
    firmware.setColour(juce::Label::textColourId, juce::Colours::black);
    firmware.setColour(juce::Label::outlineColourId, juce::Colour(0xff808080));
    addChildComponent(firmware);

    chooser.setName("product");
    for (std::size_t i = 0; i < supportedModels.size(); ++i)
        chooser.addItem(modelNameForId(supportedModels[i]), (int) i + 1);
    addChildComponent(chooser);
    chooser.addListener(this);
    chooser.setSelectedId(modelIndexOf(model) + 1, juce::sendNotificationAsync);
    picture.showModel(modelIndexOf(model));

    addAndMakeVisible(pages);
    pages.setTabBarDepth(0);
    pages.setOutline(0);
    pages.setColour(juce::TabbedComponent::outlineColourId, juce::Colour(0xff484848));
    pages.setColour(juce::TabbedComponent::backgroundColourId, screenGrey);
    pages.addTab("MAIN VIEW", juce::Colour(0xff87ceeb), &panel, false);
    pages.setCurrentTabIndex(0);

    // The pads show the names at once; hashing and repair run behind the first frame.
    panel.setJingleLibrary(&jingles);
    jingles.checkLibraryInBackground();
    updateLinkTexts();
    panel.setCoverVisible(!linkFlags().deviceViewShown);
    setSize(designWidth, designHeight);
}

MainScreen::~MainScreen()
{
    if (keySource != nullptr)
        keySource->removeKeyListener(this);
    chooser.removeListener(this);
    auto* host = Host::getInstance();
    panel.stopTimers();
    host->settings().saveState();
    host->closeLink();
    // A transfer that still runs keeps a reference of its own to the DSP access.
    panel.setDspRoot(nullptr);
    if (root != nullptr)
        root->release();
    root = nullptr;
    panel.setJingleLibrary(nullptr);
    menus->setLookAndFeel(nullptr);
}

void MainScreen::parentHierarchyChanged()
{
    // The hidden keys are heard wherever the focus is: on the window, which every key reaches last.
    auto* top = getTopLevelComponent();
    if (top == keySource.getComponent())
        return;
    if (keySource != nullptr)
        keySource->removeKeyListener(this);
    keySource = top != this ? top : nullptr;
    if (keySource != nullptr)
        keySource->addKeyListener(this);
}

bool MainScreen::keyPressed(const juce::KeyPress& key, juce::Component*)
{
    handleHiddenKey(key);
    return false; // the key goes on to the window
}

bool MainScreen::handleHiddenKey(const juce::KeyPress& key)
{
    switch (hiddenCommandFor(key))
    {
    case HiddenCommand::showSystemInfo:
        dialogs().showMessage(systemInfoText());
        return true;
    case HiddenCommand::toggleCoverLabel:
        toggleOfflineView();
        return true;
    case HiddenCommand::restorePreset:
        restorePreset();
        return true;
    case HiddenCommand::none:
        break;
    }
    return false;
}

void MainScreen::toggleOfflineView()
{
    auto& link = linkFlags();
    link.offlineView = !link.offlineView;
    // Offline view keeps the panel shown without a mixer; without it the panel shows only what a mixer sent,
    // which a mixer that is found but not yet read has not.
    link.deviceViewShown = link.offlineView || (link.linkUp && link.synchronised);
    panel.setCoverVisible(!link.deviceViewShown);
}

void MainScreen::restorePreset()
{
    // Writing the modes into the device runs the message loop, where a close may take the screen away.
    const juce::Component::SafePointer<MainScreen> self(this);
    HostImportLink link(
        [self](int modelId, int mode)
        {
            if (self != nullptr)
                self->rebindPanel(modelId, mode);
        });
    const auto result = restoreShippedPreset(Host::getInstance()->state(), link,
                                             [self]
                                             {
                                                 if (self != nullptr)
                                                     self->panel.untoggleJinglePads();
                                             });
    if (result.failed())
        dialogs().showMessage(result.getErrorMessage());
}

void MainScreen::showFirmwareVersion(const juce::String& version)
{
    firmware.setText(version, juce::dontSendNotification);
}

void MainScreen::showModelIndex(int modelIndex)
{
    picture.showModel(modelIndex);
    chooser.setSelectedId(modelIndex + 1, juce::dontSendNotification);
}

void MainScreen::comboBoxChanged(juce::ComboBox* box)
{
    const int index = box->getSelectedItemIndex();
    const int model =
        index >= 0 && index < (int) supportedModels.size() ? supportedModels[(std::size_t) index] : 0;
    auto& sel = selection();
    sel.deviceModel = model;
    sel.selectedModel = model;
    picture.showModel(index);
    panel.bindToState(model, sel.currentMode, 0);
}

void MainScreen::refreshFromState(bool rebuildMenus)
{
    auto& sel = selection();
    if (isSupportedModel(sel.deviceModel))
        sel.selectedModel = sel.deviceModel.load();
    const int modelIndex = modelIndexOf(sel.selectedModel);
    showModelIndex(modelIndex);

    auto& state = Host::getInstance()->state();
    const int mode = sel.currentMode;
    state.setProperty(Prop::mode, mode, nullptr);
    const auto model = childWithId(state, modelIndex + 1);
    auto group0 = childWithId(model, modeIndependentGroup);
    auto selector = childWithId(group0, ParamId::modeSelector);
    if (selector.isValid())
        selector.setProperty(Prop::value, modeCode(mode), nullptr);
    panel.showMode(mode);
    panel.bindToState(sel.selectedModel, mode, 0);
    setLanguage(readInt(childWithId(group0, ParamId::language), Prop::value, Language::english) != 0
                    ? Language::chinese
                    : Language::english);

    if (rebuildMenus)
        menus->replaceModelUnlessOpen();
    repaint();
}

void MainScreen::rebindPanel(int modeId)
{
    panel.bindToState(selection().selectedModel, modeId, 0);
}

void MainScreen::rebindPanel(int modelId, int mode)
{
    if (modelId >= 1 && modelId <= (int) supportedModels.size())
        panel.bindToState(supportedModels[(std::size_t) modelId - 1], mode, 0);
}

void MainScreen::replaceMenuModel()
{
    menus->replaceModel();
    repaint();
}

void MainScreen::quit()
{
    if (onQuit)
        onQuit();
    else
        juce::JUCEApplicationBase::quit();
}

void MainScreen::setWindowTitle(const juce::String& newTitle)
{
    if (auto* window = getTopLevelComponent(); window != nullptr && window != this)
        window->setName(newTitle);
}

void MainScreen::paint(juce::Graphics& g)
{
    g.fillAll(screenGrey);
    // Set here so that it follows the language.
    logo.setTooltip(TRANS("About.."));
}

void MainScreen::resized()
{
    if (layingOut)
        return;
    const juce::ScopedValueSetter<bool> guard(layingOut, true);

    MainScreenLayoutInput in;
    in.component = getLocalBounds();
    in.userArea = displayUserArea();
    in.currentSize = laidOutSize;
    in.pictureSize = pictureDesignSize(picture.picture(ModelPicture::layoutModel));
    in.scale = uiScale();
    const auto layout = layoutMainScreen(in);
    laidOutSize = layout.currentSize;
    setUiScale(layout.scale);

    menus->setBounds(layout.menuBar);
    logo.setBounds(layout.logo);
    picture.setBounds(layout.modelPicture);
    chooser.setBounds(layout.modelChooser);
    firmware.setBounds(layout.modelChooser);
    pages.setBounds(layout.pages);

    if (!layout.resizeWindow)
        return;
    // The window takes the screen's new size; in the shell the screen fills the window's content.
    if (auto* window = findParentComponentOfClass<juce::ResizableWindow>())
    {
        window->setContentComponentSize(laidOutSize.getWidth(), laidOutSize.getHeight());
        if (layout.centreWindow)
            window->setCentrePosition(layout.centre);
    }
    setSize(laidOutSize.getWidth(), laidOutSize.getHeight());
}
} // namespace NsStrata
