#pragma once
// The main screen of Strata, everything inside the main window: the menu bar, the maker's logo, the picture
// of the selected model and the page container with the mixer panel. It keeps the screen at one scale,
// follows the link's model, mode and language, carries the hidden keys, and its destructor is the content
// teardown.
#include "MainMenuBar.h"
#include "MainScreenLayout.h"
#include "MenuCommands.h"
#include "ScreenPictures.h"
#include "device/LinkListener.h"
#include "device/PortBackend.h"
#include "jingles/JingleLibrary.h"
#include "ui/controls/PageTabs.h"
#include "ui/look/StrataLookAndFeel.h"
#include "ui/panel/MixerPanel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class RadezOvu;

namespace NsStrata
{
class MainScreen : public juce::Component,
                   private juce::ComboBox::Listener,
                   private LinkListener,
                   private MenuScreen,
                   private juce::KeyListener
{
public:
    static constexpr int designWidth = screenDesignWidth;
    static constexpr int designHeight = screenDesignHeight;

    /** Runs the link on these ports (the system's when none are given) and sends jingles through dspRoot,
        whose one reference the screen takes over and releases at its teardown (null: no DSP access). The
        model shown until a mixer says otherwise is defaultModel. */
    explicit MainScreen(std::shared_ptr<PortBackend> ports = nullptr, RadezOvu* dspRoot = nullptr,
                        int defaultModel = 4142);
    /** The content teardown: the timers stop, the state tree goes into the settings file, the ports close,
        the DSP access is released, then the components go (the panel last). */
    ~MainScreen() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    void parentHierarchyChanged() override;

    /** The link's refresh, the menus' too: the model picture and chooser, the state tree's mode and mode
        selector, the mode buttons, the panel's binding and the stored language; with rebuildMenus a fresh
        menu model unless a menu is open. */
    void refreshFromState(bool rebuildMenus) override;

    /** The screen's hidden commands: "I", Ctrl+Shift+Alt+T and Ctrl+Shift+Alt+R. The key goes on either way.
     */
    bool handleHiddenKey(const juce::KeyPress& key);
    /** Ctrl+Shift+Alt+T: offline view on or off; the cover follows at once. */
    void toggleOfflineView();
    /** Ctrl+Shift+Alt+R: the shipped preset back, keeping every model's mode-independent values, and the
        modes written into the device. */
    void restorePreset();

    MixerPanel& mixerPanel() { return panel; }
    JingleLibrary& jingleLibrary() override { return jingles; }
    MainMenuBar& menuBar() { return *menus; }
    MenuCommands& menuCommands() { return commands; }
    MakerLogo& makerLogo() { return logo; }
    ModelPicture& modelPicture() { return picture; }
    juce::ComboBox& modelChooser() { return chooser; }
    juce::Label& firmwareLabel() { return firmware; }
    /** The size the screen was last laid out at. */
    juce::Rectangle<int> currentSize() const { return laidOutSize; }

    /** Where the layout takes the display's usable area from; the primary display's unless replaced
        (tests give a display of known size). */
    static void setUserAreaSource(std::function<juce::Rectangle<int>()> source);

    /** What the File > Quit item does; ends the application unless replaced (tests). */
    std::function<void()> onQuit;

private:
    // The link's requests of the screen.
    void setJinglePad(int position, bool on) override { panel.setJinglePad(position, on); }
    void switchAllJinglePadsOff() override { panel.untoggleJinglePads(); }
    void showFirmwareVersion(const juce::String& version) override;
    void rebindPanel(int modeId) override;
    void setCoverLabelVisible(bool visible) override { panel.setCoverVisible(visible); }
    void setWindowTitle(const juce::String& newTitle) override;

    // The menus' requests of the screen.
    void rebindPanel(int modelId, int mode) override;
    void replaceMenuModel() override;
    void quit() override;

    void comboBoxChanged(juce::ComboBox* box) override;
    bool keyPressed(const juce::KeyPress& key, juce::Component* origin) override;
    void showModelIndex(int modelIndex);

    // Declared in the order they are built; they go in reverse, so the panel and the pages go last.
    JingleLibrary jingles; // outlives the panel, which listens to it
    PageTabs pages;
    MixerPanel panel;
    StrataLookAndFeel look;
    juce::TooltipWindow tooltips;
    MakerLogo logo;
    ModelPicture picture;
    RadezOvu* root = nullptr;
    MenuCommands commands;
    std::unique_ptr<MainMenuBar> menus;
    juce::Label firmware;
    juce::ComboBox chooser;

    juce::Rectangle<int> laidOutSize{designWidth, designHeight};
    bool layingOut = false;
    juce::Component::SafePointer<juce::Component> keySource;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainScreen)
};
} // namespace NsStrata
