// The built Strata as a user meets it: its window, the quit keys, the settings file it leaves behind, and
// a second start while it runs.
#include "StrataProcess.h"
#include "XDisplay.h"
#include "support/TestHome.h"

#include <functional>
#include <gtest/gtest.h>

using namespace StrataTest;

namespace
{
// The title is the application name, and once the link runs, its state after it.
const juce::String strataTitle{"^Strata( |$)"};
// Start-up under the sanitizers is slow; these bounds only stop a hung test.
constexpr int startTimeoutMs = 30000;
constexpr int quitTimeoutMs = 30000;
// The bound the application promises for a second start.
constexpr int secondStartTimeoutMs = 2000;

juce::File settingsFileOf(const juce::File& home)
{
    return home.getChildFile("config/Strata.conf");
}

void expectOneStateKey(const juce::File& home)
{
    const auto settings = juce::parseXML(settingsFileOf(home));
    ASSERT_NE(settings, nullptr) << settingsFileOf(home).getFullPathName();
    EXPECT_TRUE(settings->hasTagName("PROPERTIES"));
    ASSERT_EQ(settings->getNumChildElements(), 1);
    const auto* value = settings->getChildElement(0);
    EXPECT_TRUE(value->hasTagName("VALUE"));
    EXPECT_EQ(value->getStringAttribute("name"), "state");
    ASSERT_NE(value->getFirstChildElement(), nullptr);
    EXPECT_TRUE(value->getFirstChildElement()->hasAttribute("ver"));
}

// A second Strata on the same home: it must hand over and exit quickly, without a window of its own.
void expectSecondStartHandsOver(const juce::File& home, juce::int64 runningWindow)
{
    StrataProcess second(home);
    ASSERT_TRUE(second.started());
    const auto exitStatus = second.waitForExit(secondStartTimeoutMs);
    ASSERT_TRUE(exitStatus.has_value()) << "the second start is still running";
    EXPECT_EQ(*exitStatus, 0);
    EXPECT_EQ(XDisplay::findWindows(strataTitle, false), juce::Array<juce::int64>{runningWindow})
        << "only the running instance has a window";
}

// Polls: the running instance handles the request on its own message loop.
bool eventually(const std::function<bool()>& condition)
{
    const auto deadline = juce::Time::getMillisecondCounter() + 10000;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;
        juce::Thread::sleep(20);
    }
    return true;
}
} // namespace

TEST(StrataProcess, OpensItsWindowAndOnlyCtrlQQuitsWritingOneStateKey)
{
    const auto home = freshFolder("process-quit");
    StrataProcess strata(home);
    ASSERT_TRUE(strata.started());
    const auto window = XDisplay::waitForWindow(strataTitle, strata.processId(), startTimeoutMs);
    ASSERT_NE(window, 0) << "no Strata window appeared";

    EXPECT_TRUE(eventually([window] { return XDisplay::windowName(window).endsWith("[disconnected]"); }))
        << "the link shows it has no device: " << XDisplay::windowName(window);
    EXPECT_EQ(XDisplay::geometry(window).getWidth(), 1070);
    EXPECT_EQ(XDisplay::geometry(window).getHeight(), 687);
    EXPECT_FALSE(settingsFileOf(home).exists()) << "the settings are written at shutdown, not at start";

    ASSERT_TRUE(XDisplay::clickInto(window));
    ASSERT_TRUE(XDisplay::pressKeys("ctrl+shift+q"));
    ASSERT_TRUE(XDisplay::pressKeys("ctrl+alt+q"));
    // The keys are queued before the second start begins; a window that had quit on them would leave the
    // second start to open a window of its own.
    expectSecondStartHandsOver(home, window);
    EXPECT_TRUE(strata.isRunning());

    ASSERT_TRUE(XDisplay::clickInto(window));
    ASSERT_TRUE(XDisplay::pressKeys("ctrl+q"));
    const auto exitStatus = strata.waitForExit(quitTimeoutMs);
    ASSERT_TRUE(exitStatus.has_value()) << "Ctrl+Q did not quit";
    EXPECT_EQ(*exitStatus, 0);

    expectOneStateKey(home);
}

TEST(StrataProcess, SecondStartBringsTheRunningWindowForwardAndExits)
{
    const auto home = freshFolder("process-second");
    StrataProcess strata(home);
    ASSERT_TRUE(strata.started());
    const auto window = XDisplay::waitForWindow(strataTitle, strata.processId(), startTimeoutMs);
    ASSERT_NE(window, 0) << "no Strata window appeared";

    // In the background: the focus is elsewhere.
    ASSERT_TRUE(XDisplay::focusRoot());
    ASSERT_NE(XDisplay::focusedWindow(), window);
    expectSecondStartHandsOver(home, window);
    EXPECT_TRUE(eventually([&] { return XDisplay::focusedWindow() == window; }))
        << "the running window did not come to the front";

    // Hidden: it is shown again.
    ASSERT_TRUE(XDisplay::hide(window));
    ASSERT_FALSE(XDisplay::findWindows(strataTitle, true).contains(window));
    expectSecondStartHandsOver(home, window);
    EXPECT_TRUE(eventually([&] { return XDisplay::findWindows(strataTitle, true).contains(window); }))
        << "the hidden window was not shown";

    // A start on another home is another instance.
    const auto otherHome = freshFolder("process-other");
    StrataProcess other(otherHome);
    ASSERT_TRUE(other.started());
    EXPECT_NE(XDisplay::waitForWindow(strataTitle, other.processId(), startTimeoutMs), 0);
    EXPECT_TRUE(strata.isRunning());
}

TEST(StrataProcess, TheSystemsRequestToEndWritesTheSettingsToo)
{
    const auto home = freshFolder("process-terminate");
    StrataProcess strata(home);
    ASSERT_TRUE(strata.started());
    ASSERT_NE(XDisplay::waitForWindow(strataTitle, strata.processId(), startTimeoutMs), 0);
    ASSERT_FALSE(settingsFileOf(home).exists());

    ASSERT_TRUE(strata.requestTermination());
    const auto exitStatus = strata.waitForExit(quitTimeoutMs);
    ASSERT_TRUE(exitStatus.has_value()) << "the request to end was ignored";
    EXPECT_EQ(*exitStatus, 0);
    expectOneStateKey(home);
}
