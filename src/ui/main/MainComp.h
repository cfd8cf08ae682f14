#pragma once
// The main screen of Strata. For now a placeholder around the mixer panel: a top band with the link state,
// the panel below it, the device link's requests of the screen passed on to the panel, and the teardown that
// stores the state tree. The full main screen (menus, logo, model picture) takes its place later.
#include "device/LinkListener.h"
#include "device/PortBackend.h"
#include "jingles/JingleLibrary.h"
#include "ui/controls/PageTabs.h"
#include "ui/panel/MixerPanel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class RadezOvu;

namespace NsStrata
{
class MainComp : public juce::Component, private LinkListener, private juce::KeyListener
{
public:
    /** The size at which the screen's layout constants are given. */
    static constexpr int designWidth = 1069;
    static constexpr int designHeight = 691;
    /** The band above the panel, in design pixels. */
    static constexpr int topBand = 54;

    /** Runs the link on these ports (the system's when none are given) and sends jingles through dspRoot,
        whose one reference the screen takes over and releases at its teardown (null: no DSP access). */
    explicit MainComp(std::shared_ptr<PortBackend> ports = nullptr, RadezOvu* dspRoot = nullptr);
    /** The content teardown: the link stops, the ports close, the state tree goes into the settings file and
        the DSP access is released. */
    ~MainComp() override;

    void paint(juce::Graphics& g) override;
    void resized() override;
    void parentHierarchyChanged() override;

    /** What the link last put in the window title (also while the window is not on screen yet). */
    juce::String linkTitle() const { return title; }
    MixerPanel& mixerPanel() { return panel; }
    JingleLibrary& jingleLibrary() { return jingles; }

    /** Ctrl+Shift+Alt+T: offline view on or off; the cover follows at once. */
    void toggleOfflineView();

    // The link's requests of the screen.
    void setJinglePad(int position, bool on) override { panel.setJinglePad(position, on); }
    void switchAllJinglePadsOff() override { panel.untoggleJinglePads(); }
    void showFirmwareVersion(const juce::String& version) override;
    void refreshFromState(bool full) override;
    void rebindPanel(int modeId) override;
    void setCoverLabelVisible(bool visible) override { panel.setCoverVisible(visible); }
    void setWindowTitle(const juce::String& newTitle) override;

private:
    bool keyPressed(const juce::KeyPress& key, juce::Component* origin) override;

    JingleLibrary jingles; // outlives the panel, which listens to it
    PageTabs pages;
    MixerPanel panel;
    RadezOvu* root = nullptr;
    juce::String firmwareVersion, title;
    juce::Component::SafePointer<juce::Component> keySource;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComp)
};
} // namespace NsStrata
