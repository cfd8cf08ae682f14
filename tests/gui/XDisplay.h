#pragma once
// Drives the X display the GUI tests run on through xdotool and xwininfo: finds windows, reads their
// geometry and the input focus, clicks and types like a user.
#include <juce_graphics/juce_graphics.h>

namespace StrataTest
{
namespace XDisplay
{
/** Ids of the windows whose name matches the regular expression; of one process when pid > 0. */
juce::Array<juce::int64> findWindows(const juce::String& namePattern, bool onlyVisible, int pid = 0);
/** The first such window of the process found before timeoutMs passes; 0 when none appeared. */
juce::int64 waitForWindow(const juce::String& namePattern, int pid, int timeoutMs);

/** The window's position and size; empty when it cannot be read. */
juce::Rectangle<int> geometry(juce::int64 window);
juce::String windowName(juce::int64 window);
/** The window that holds the keyboard focus, or 0. */
juce::int64 focusedWindow();

/** Clicks into the window (keys reach a window only after that). */
bool clickInto(juce::int64 window);
/** Clicks the left button at a point of the window. */
bool click(juce::int64 window, juce::Point<int> at);
/** Presses the left button at from, moves to to in steps and releases it (window coordinates). */
bool drag(juce::int64 window, juce::Point<int> from, juce::Point<int> to, int steps = 12);
/** Presses a key combination such as "ctrl+q" on the focused window. */
bool pressKeys(const juce::String& keys);
/** Moves the keyboard focus to the root window, away from every application window. */
bool focusRoot();
/** Unmaps the window, as if it had been hidden. */
bool hide(juce::int64 window);
} // namespace XDisplay
} // namespace StrataTest
