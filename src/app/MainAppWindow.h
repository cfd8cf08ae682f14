#pragma once
// The main window: its size rules, and the close button and Ctrl+Q, which take the content down exactly once.
#include "StrataApplication.h"

#include <functional>

namespace NsStrata
{
class StrataApplication::MainAppWindow : public juce::DocumentWindow
{
public:
    static constexpr int defaultWidth = 1070;
    static constexpr int defaultHeight = 687;
    static constexpr int minimumWidth = 856;
    static constexpr int minimumHeight = 578;
    static constexpr int maximumWidth = 5350;
    static constexpr int maximumHeight = 3435;

    /** What the window asks of the application when it closes. */
    struct Actions
    {
        std::function<void()> stopMessageLoop;
        std::function<void()> systemRequestedQuit;
    };

    /** Builds the window with its content and shows it; see isReady for the outcome. */
    MainAppWindow(const juce::String& title, Actions actionsToUse);
    ~MainAppWindow() override;

    /** True when the main screen was built and the window is on the desktop. */
    bool isReady() const { return ready; }

    /** Shows the window (also when hidden or minimised) and brings it to the front with keyboard focus. */
    void bringToFront();

    void closeButtonPressed() override;
    bool keyPressed(const juce::KeyPress& key) override;

    /** Ctrl+Q with no other modifier. */
    static bool isQuitKey(const juce::KeyPress& key);

private:
    void tearDownContent();

    Actions actions;
    bool ready = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MainAppWindow)
};
} // namespace NsStrata
