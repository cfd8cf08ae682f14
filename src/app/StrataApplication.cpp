#include "StrataApplication.h"

#include "MainAppWindow.h"
#include "QuitSignalWatcher.h"
#include "app/InstanceChannel.h"
#include "app/LaunchOptions.h"
#include "device/Host.h"
#include "store/AppFolders.h"
#include "store/InstanceLock.h"

#include <cstdio>

namespace NsStrata
{
// The framework's lock is machine-wide on Linux and its message never reaches the running instance there,
// so one instance per settings folder is kept by InstanceChannel instead.
#if JUCE_WINDOWS || JUCE_MAC
static constexpr bool frameworkHandlesSecondStart = true;
#else
static constexpr bool frameworkHandlesSecondStart = false;
#endif

// Leaves time for process start within the two seconds a second start may take.
static constexpr int secondStartTimeoutMs = 1500;

StrataApplication::StrataApplication() = default;
StrataApplication::~StrataApplication() = default;

bool StrataApplication::moreThanOneInstanceAllowed()
{
    return !frameworkHandlesSecondStart;
}

void StrataApplication::initialise(const juce::String& commandLine)
{
    if (frameworkHandlesSecondStart)
    {
        // Not for one instance (the framework keeps that) but to tell strata-cli the settings are in use.
        settingsLock = std::make_unique<InstanceLock>(AppFolders::settingsFolder());
    }
    else
    {
        instanceChannel = std::make_unique<InstanceChannel>(AppFolders::settingsFolder());
        if (!instanceChannel->claim([this](const juce::String& line) { anotherInstanceStarted(line); }))
        {
            instanceChannel->notifyRunningInstance(commandLine, secondStartTimeoutMs);
            instanceChannel.reset();
            quit();
            return;
        }
    }

    launchOptions() = parseLaunchOptions(commandLine);
    for (const auto& problem : launchOptions().problems)
        std::fprintf(stderr, "Strata: %s\n", problem.toRawUTF8());

    MainAppWindow::Actions actions;
    actions.stopMessageLoop = [] { quit(); };
    actions.systemRequestedQuit = [this] { systemRequestedQuit(); };
    mainWindow = std::make_unique<MainAppWindow>(getApplicationName(), std::move(actions));
    if (!mainWindow->isReady())
    {
        mainWindow.reset();
        quit();
        return;
    }
    quitSignalWatcher = std::make_unique<QuitSignalWatcher>([this] { systemRequestedQuit(); });
}

void StrataApplication::shutdown()
{
    quitSignalWatcher.reset();
    mainWindow.reset();
    instanceChannel.reset();
    settingsLock.reset();
    // The host's ports, timers and settings file need the framework, which goes right after this.
    Host::deleteInstance();
}

void StrataApplication::anotherInstanceStarted(const juce::String&)
{
    if (mainWindow != nullptr)
        mainWindow->bringToFront();
}

void StrataApplication::systemRequestedQuit()
{
    if (mainWindow != nullptr)
        mainWindow->setVisible(false);
    quit();
}
} // namespace NsStrata
