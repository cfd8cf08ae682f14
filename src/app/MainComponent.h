#pragma once
// The window's content: a content area that hosts the main screen at its full size.
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace NsStrata
{
class MainComp;

class MainComponent : public juce::Component
{
public:
    /** Builds the main screen (which reads the settings). */
    MainComponent();
    /** Takes the main screen down with it (which writes the settings). */
    ~MainComponent() override;

    /** The main screen, or null when it could not be built. */
    MainComp* getMainScreen() const { return mainScreen.get(); }

    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    juce::Component contentArea;
    std::unique_ptr<MainComp> mainScreen;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainComponent)
};
} // namespace NsStrata
