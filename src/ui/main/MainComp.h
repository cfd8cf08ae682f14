#pragma once
// The main screen of Strata. For now a placeholder that runs the device link (the real ports, or the virtual
// mixer with --virtual-device), shows the link state and stores the state tree when the screen goes away; the
// mixer panel and menus take its place later.
#include "device/LinkListener.h"
#include "device/PortBackend.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace NsStrata
{
class DevicePollTimer;

class MainComp : public juce::Component, private LinkListener
{
public:
    /** The size at which the screen's layout constants are given. */
    static constexpr int designWidth = 1069;
    static constexpr int designHeight = 691;

    /** Runs the link on these ports: the system's when none are given. */
    explicit MainComp(std::shared_ptr<PortBackend> ports = nullptr);
    /** The content teardown: the link stops, the ports close and the state tree goes into the settings file.
     */
    ~MainComp() override;

    void paint(juce::Graphics& g) override;

    /** What the link last put in the window title (also while the window is not on screen yet). */
    juce::String linkTitle() const { return title; }

private:
    // The link's requests of the screen. Pads and panel arrive with the mixer panel.
    void setJinglePad(int, bool) override {}
    void switchAllJinglePadsOff() override {}
    void showFirmwareVersion(const juce::String& version) override;
    void refreshFromState(bool) override { repaint(); }
    void rebindPanel(int) override { repaint(); }
    void setCoverLabelVisible(bool visible) override;
    void setWindowTitle(const juce::String& newTitle) override;

    juce::String linkStatusText, connectPromptText, firmwareVersion, title;
    bool deviceShown = false;
    std::unique_ptr<DevicePollTimer> pollTimer;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComp)
};
} // namespace NsStrata
