// The main screen in this process: its parts as it builds them, its layout at the design size and in a window
// on a display of known size, the refresh from the state tree, the hidden model chooser, the hidden keys,
// and the order of its teardown.
#include "UiFixture.h"

#include "model/Modes.h"
#include "sim/VirtualDspUsb.h"
#include "ui/controls/SectionSwitch.h"
#include "ui/main/MainScreen.h"

using namespace NsStrata;

namespace
{
class MainScreenTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Host::getInstance()->settings().setState(shippedPreset());
    }

    void TearDown() override
    {
        screen.reset();
        MainScreen::setUserAreaSource(nullptr);
        UiTest::TearDown();
    }

    /** A screen without a mixer: the link finds no port, so only the test moves the screen. */
    void build(int defaultModel = ardentModel)
    {
        screen = std::make_unique<MainScreen>(std::make_shared<NoPorts>(), nullptr, defaultModel);
        screen->setBounds(0, 0, MainScreen::designWidth, MainScreen::designHeight);
    }

    static juce::ValueTree group0(int model)
    {
        return childWithId(modelNode(Host::getInstance()->state(), model), modeIndependentGroup);
    }
    static juce::ValueTree liveNode(int model, int paramId, int mode = 1)
    {
        return parameterNode(modelNode(Host::getInstance()->state(), model), paramId, mode);
    }

    std::unique_ptr<MainScreen> screen;
};
} // namespace

TEST_F(MainScreenTest, BuildsItsPartsAndTakesTheLinksModelOrTheDefault)
{
    selection().deviceModel = 1234; // no supported model: the default is taken
    build(4115);
    EXPECT_NE(Host::getInstance()->linkListener(), nullptr);
    EXPECT_EQ(selection().selectedModel, 4115);
    EXPECT_EQ(selection().deviceModel, 4115);

    auto& chooser = screen->modelChooser();
    EXPECT_EQ(chooser.getName(), "product");
    EXPECT_FALSE(chooser.isVisible());
    ASSERT_EQ(chooser.getNumItems(), 4);
    const char* names[] = {"Ardent", "Brio", "Brio Max", "Brio Solo"};
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(chooser.getItemText(i), names[i]);
        EXPECT_EQ(chooser.getItemId(i), i + 1);
    }
    EXPECT_EQ(chooser.getSelectedId(), 2);
    EXPECT_EQ(screen->modelPicture().shownModel(), 1);
    EXPECT_EQ(screen->modelPicture().getTooltip(), "Brio");

    EXPECT_EQ(screen->firmwareLabel().getName(), "DSP firmware version");
    EXPECT_FALSE(screen->firmwareLabel().isVisible());
    EXPECT_TRUE(screen->makerLogo().getImage().isValid());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(screen->modelPicture().picture(i).isValid()) << i;

    auto* tabs = dynamic_cast<juce::TabbedComponent*>(screen->mixerPanel().getParentComponent());
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->getNumTabs(), 1);
    EXPECT_EQ(tabs->getTabNames()[0], "MAIN VIEW");
    EXPECT_EQ(tabs->getTabbedButtonBar().getHeight(), 0);
    EXPECT_EQ(tabs->getCurrentContentComponent(), &screen->mixerPanel());
    EXPECT_EQ(screen->menuBar().menuModel().getMenuBarNames(), juce::StringArray({"File", "Setting"}));
    // The jingle library was checked: the pads show the factory set's names.
    EXPECT_TRUE(screen->mixerPanel().pad(1).getButtonText().isNotEmpty());

    // The chooser's own change comes once the loop runs, and binds the panel to that model.
    ASSERT_TRUE(pumpUntil([&] { return screen->mixerPanel().boundModel() == 4115; }));

    // A supported model of the link is kept.
    screen.reset();
    selection().deviceModel = 4114;
    build(ardentModel);
    EXPECT_EQ(selection().selectedModel, 4114);
    EXPECT_EQ(screen->modelPicture().shownModel(), 3);
}

TEST_F(MainScreenTest, AtTheDesignSizeTheScaleIsOneAndTheRowsHaveTheirHeights)
{
    MainScreen::setUserAreaSource([] { return juce::Rectangle<int>(0, 0, 3000, 2000); });
    build();
    EXPECT_FLOAT_EQ(uiScale(), 1.0f);
    EXPECT_EQ(screen->menuBar().getBounds(), juce::Rectangle<int>(0, 0, 1069, 24));
    const auto logo = screen->makerLogo().getBounds();
    EXPECT_EQ(logo.getPosition(), juce::Point<int>(0, 24));
    EXPECT_LE(logo.getWidth(), 100);
    EXPECT_LE(logo.getHeight(), 28);
    // The picture is centred under the menu bar at its design size.
    const auto picture = screen->modelPicture().getBounds();
    EXPECT_EQ(picture.getY(), 24);
    EXPECT_NEAR(picture.getCentreX(), 1069 / 2, 1);
    EXPECT_EQ(picture.getHeight(), 30);
    auto* tabs = screen->mixerPanel().getParentComponent();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->getBounds(), juce::Rectangle<int>(0, 54, 1069, 691 - 54));

    // Twice as wide: everything doubles.
    screen->setSize(2138, 1382);
    EXPECT_FLOAT_EQ(uiScale(), 2.0f);
    EXPECT_EQ(screen->menuBar().getHeight(), 48);
    EXPECT_EQ(tabs->getY(), 108);

    // The logo's tooltip follows the language, set as the screen paints.
    renderComponent(*screen);
    EXPECT_EQ(screen->makerLogo().getTooltip(), "About..");
    setLanguage(Language::chinese);
    renderComponent(*screen);
    EXPECT_EQ(screen->makerLogo().getTooltip(), TRANS("About.."));
    EXPECT_NE(screen->makerLogo().getTooltip(), "About..");
}

TEST_F(MainScreenTest, InAWindowTheScreenSnapsToTheDisplayOrBackToItsSize)
{
    const juce::Rectangle<int> display(0, 0, 1600, 900);
    MainScreen::setUserAreaSource([display] { return display; });
    build();
    juce::ResizableWindow window("main", true);
    window.setUsingNativeTitleBar(true);
    window.setContentNonOwned(screen.get(), true);
    EXPECT_EQ(screen->getBounds().getWidth(), 1069);

    // Any size that fits: only the scale follows the width.
    window.setSize(1200, 700);
    EXPECT_EQ(screen->getWidth(), 1200);
    EXPECT_EQ(screen->getHeight(), 700);
    EXPECT_FLOAT_EQ(uiScale(), 1200.0f / 1069.0f);

    // Taller than the usable height: back to the size before.
    window.setSize(1200, 880);
    EXPECT_EQ(screen->getHeight(), 700);
    EXPECT_EQ(screen->getWidth(), 1200);
    EXPECT_EQ(screen->currentSize(), juce::Rectangle<int>(1200, 700));

    // Wider than the display: the full usable height, the design proportion, centred.
    window.setSize(1599, 700);
    const int height = 900 - 32;
    EXPECT_EQ(screen->getHeight(), height);
    EXPECT_EQ(screen->getWidth(), juce::roundToInt(1069.0 * height / 691.0));
    EXPECT_EQ(window.getBounds().getCentre(), juce::Point<int>(800, 450));
    EXPECT_FLOAT_EQ(uiScale(), (float) height / 691.0f);
    window.clearContentComponent();
}

TEST_F(MainScreenTest, RefreshShowsTheLinksModelModeAndStoredLanguage)
{
    build();
    const int brio = 4115;
    selection().deviceModel = brio;
    selection().currentMode = 3;
    group0(brio).getChildWithProperty(Prop::id, ParamId::language).setProperty(Prop::value, 1, nullptr);
    screen->refreshFromState(false);

    EXPECT_EQ(selection().selectedModel, brio);
    EXPECT_EQ(screen->modelPicture().shownModel(), 1);
    EXPECT_EQ(screen->modelChooser().getSelectedId(), 2);
    EXPECT_EQ(readInt(Host::getInstance()->state(), Prop::mode, 0), 3);
    EXPECT_EQ(readInt(liveNode(brio, ParamId::modeSelector), Prop::value, -1), modeCode(3));
    auto& panel = screen->mixerPanel();
    EXPECT_EQ(panel.boundModel(), brio);
    EXPECT_EQ(panel.boundMode(), 3);
    for (int mode = 1; mode <= modeCount; ++mode)
        EXPECT_EQ(panel.modeButton(mode).getToggleState(), mode == 3) << mode;
    EXPECT_TRUE(isChineseInterface());
    EXPECT_TRUE(outgoingQueue().getNumChildren() == 0) << "a refresh sends nothing";

    // A model the link cannot have leaves the screen on the last supported one.
    selection().deviceModel = 999;
    screen->refreshFromState(false);
    EXPECT_EQ(selection().selectedModel, brio);
    EXPECT_EQ(screen->modelPicture().shownModel(), 1);
}

TEST_F(MainScreenTest, ARefreshRebuildsTheMenusUnlessOneIsOpen)
{
    build();
    auto& bar = screen->menuBar();
    auto* before = &bar.menuModel();
    screen->refreshFromState(false);
    EXPECT_EQ(&bar.menuModel(), before);
    screen->refreshFromState(true);
    auto* rebuilt = &bar.menuModel();
    EXPECT_NE(rebuilt, before);

    // Released on the bar: a menu may be open, so the menus stay until the bar is pressed again.
    bar.mouseUp(mouseEvent(bar, {5, 5}));
    screen->refreshFromState(true);
    EXPECT_EQ(&bar.menuModel(), rebuilt);
    bar.mouseDown(mouseEvent(bar, {5, 5}));
    screen->refreshFromState(true);
    EXPECT_NE(&bar.menuModel(), rebuilt);
}

TEST_F(MainScreenTest, TheHiddenChooserSwitchesTheModel)
{
    build();
    ASSERT_TRUE(pumpUntil([&] { return screen->mixerPanel().boundModel() == ardentModel; }));
    screen->modelChooser().setSelectedId(3, juce::sendNotificationSync);
    EXPECT_EQ(selection().selectedModel, 4141);
    EXPECT_EQ(selection().deviceModel, 4141);
    EXPECT_EQ(screen->modelPicture().shownModel(), 2);
    EXPECT_EQ(screen->mixerPanel().boundModel(), 4141);
}

TEST_F(MainScreenTest, HiddenKeysShowTheSystemToggleTheCoverAndRestoreThePreset)
{
    build();
    const auto key = [](int code, int mods)
    { return juce::KeyPress(code, juce::ModifierKeys(mods), (juce::juce_wchar) code); };
    const int all = juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier |
                    juce::ModifierKeys::altModifier;

    EXPECT_FALSE(screen->handleHiddenKey(key('I', juce::ModifierKeys::shiftModifier)));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(screen->handleHiddenKey(key('I', 0)));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Language: ")) << dialogs.messages[0];
    EXPECT_TRUE(dialogs.messages[0].contains("\r\n\r\nCPU: "));

    // No mixer: the cover lies over the panel until offline view is on.
    auto& panel = screen->mixerPanel();
    EXPECT_TRUE(panel.isCoverVisible());
    screen->handleHiddenKey(key('T', all));
    EXPECT_FALSE(panel.isCoverVisible());
    screen->handleHiddenKey(key('T', all));
    EXPECT_TRUE(panel.isCoverVisible());
    // A mixer found but not yet read: the panel would show no mixer's values, so the cover stays.
    linkFlags().linkUp = true;
    linkFlags().synchronised = false;
    screen->handleHiddenKey(key('T', all));
    screen->handleHiddenKey(key('T', all));
    EXPECT_TRUE(panel.isCoverVisible());
    linkFlags().synchronised = true; // read: the panel shows the mixer's values
    screen->handleHiddenKey(key('T', all));
    screen->handleHiddenKey(key('T', all));
    EXPECT_FALSE(panel.isCoverVisible());
    linkFlags().linkUp = false;
    linkFlags().synchronised = false;

    // The preset comes back for the modes; the mode-independent value stays; the pads go off.
    const auto preset = shippedPreset();
    auto eq = liveNode(ardentModel, 21);
    auto mic1 = liveNode(ardentModel, ParamId::mic1);
    const auto presetEq = parameterNode(modelNode(preset, ardentModel), 21, 1)[Prop::value];
    eq.setProperty(Prop::value, -9, nullptr);
    mic1.setProperty(Prop::value, -7, nullptr);
    panel.setJinglePad(2, true);
    screen->handleHiddenKey(key('R', all));
    EXPECT_EQ(liveNode(ardentModel, 21)[Prop::value], presetEq);
    EXPECT_EQ((double) liveNode(ardentModel, ParamId::mic1)[Prop::value], -7.0);
    EXPECT_FALSE(panel.pad(3).getToggleState());
    EXPECT_EQ(panel.boundModel(), ardentModel);
    const auto selector = childWithId(outgoingQueue(), ParamId::modeSelector);
    EXPECT_TRUE(selector.isValid()) << "the mode selector is queued";
}

namespace
{
/** A DSP root that notes, at the moment the screen releases it, what the teardown has done so far. */
class WatchedDspRoot : public VirtualDspRoot
{
public:
    std::function<void()> onRelease;
    void release() override
    {
        if (onRelease)
            std::exchange(onRelease, nullptr)();
        VirtualDspRoot::release();
    }
};
} // namespace

TEST_F(MainScreenTest, TeardownStopsTheTimersSavesClosesThePortsThenReleasesTheDsp)
{
    auto mixer = std::make_shared<VirtualMixer>(ardentModel, shippedPreset());
    auto* root = new WatchedDspRoot();
    root->retain(); // the test's own, so the root outlives the screen
    screen = std::make_unique<MainScreen>(mixer, root);
    screen->setBounds(0, 0, MainScreen::designWidth, MainScreen::designHeight);
    ASSERT_TRUE(pumpUntil([] { return linkFlags().synchronised && linkFlags().modeSelectorSent; }));
    ASSERT_GT(mixer->openPortCount(), 0);

    auto* panel = &screen->mixerPanel();
    auto* poll = panel->pollTimer();
    auto* meter = screen->mixerPanel().levelTimer();
    ASSERT_TRUE(poll->isTimerRunning());
    Host::getInstance()->state().setProperty("teardownMark", 7, nullptr);
    const auto settingsFile = Host::getInstance()->settings().file();
    settingsFile.deleteFile();

    bool released = false, timersStopped = false, saved = false, portsClosed = false, panelThere = false;
    root->onRelease = [&]
    {
        released = true;
        timersStopped = !poll->isTimerRunning() && !meter->isTimerRunning();
        saved = settingsFile.loadFileAsString().contains("teardownMark");
        portsClosed = mixer->openPortCount() == 0;
        panelThere = panel->getParentComponent() != nullptr;
    };
    screen.reset();
    EXPECT_TRUE(released);
    EXPECT_TRUE(timersStopped);
    EXPECT_TRUE(saved);
    EXPECT_TRUE(portsClosed);
    EXPECT_TRUE(panelThere) << "the components go after the DSP access";
    EXPECT_EQ(Host::getInstance()->linkListener(), nullptr);
    EXPECT_TRUE(mixer->protocolErrors().isEmpty()) << mixer->protocolErrors().joinIntoString("\n");
    root->release();
}
