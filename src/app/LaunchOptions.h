#pragma once
// The options Strata was started with, kept where the parts that act on them later can read them.
#include <juce_core/juce_core.h>

namespace NsStrata
{
struct LaunchOptions
{
    /** "--virtual-device": run against the in-process virtual mixer instead of the real ports. */
    bool virtualDevice = false;
};

/** The options named on a command line; anything it does not know is ignored. */
LaunchOptions parseLaunchOptions(const juce::String& commandLine);

/** The options of this process, one per process; set at start-up. */
LaunchOptions& launchOptions();
/** Returns the process-wide options to their start values (tests). */
void resetLaunchOptions();
} // namespace NsStrata
