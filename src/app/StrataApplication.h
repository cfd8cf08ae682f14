#pragma once
// The Strata application object: one instance, one main window, and the start and stop of the program.
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace NsStrata
{
class InstanceChannel;
class InstanceLock;
class QuitSignalWatcher;

class StrataApplication : public juce::JUCEApplication
{
public:
    class MainAppWindow;

    StrataApplication();
    ~StrataApplication() override;

    const juce::String getApplicationName() override { return "Strata"; }
    const juce::String getApplicationVersion() override { return "1.00"; }
    bool moreThanOneInstanceAllowed() override;

    void initialise(const juce::String& commandLine) override;
    void shutdown() override;
    void anotherInstanceStarted(const juce::String& commandLine) override;
    void systemRequestedQuit() override;
    void suspended() override {}
    void resumed() override {}
    void memoryWarningReceived() override {}

private:
    std::unique_ptr<InstanceChannel> instanceChannel;
    std::unique_ptr<InstanceLock> settingsLock; // where the framework keeps one instance
    std::unique_ptr<MainAppWindow> mainWindow;
    std::unique_ptr<QuitSignalWatcher> quitSignalWatcher;
};
} // namespace NsStrata
