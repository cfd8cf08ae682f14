#pragma once
// The main screen of Strata. For now a placeholder that brings up the device host, shows the link prompt
// and stores the state tree when the screen goes away; the mixer panel and menus take its place later.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
class MainComp : public juce::Component
{
public:
    /** The size at which the screen's layout constants are given. */
    static constexpr int designWidth = 1069;
    static constexpr int designHeight = 691;

    MainComp();
    /** The content teardown: the state tree goes into the settings file. */
    ~MainComp() override;

    void paint(juce::Graphics& g) override;

private:
    juce::String linkStatusText;
    juce::String connectPromptText;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComp)
};
} // namespace NsStrata
