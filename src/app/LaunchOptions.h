#pragma once
// The options Strata was started with, kept where the parts that act on them later can read them.
#include <juce_core/juce_core.h>

namespace NsStrata
{
struct LaunchOptions
{
    /** "--virtual-device": run against the in-process virtual mixer and virtual DSP instead of the real
        ports and USB. */
    bool virtualDevice = false;
    /** "--model NAME": the virtual mixer's model, by name ("Brio Max") or number; the Ardent by default. */
    int virtualModel = 4142;
    /** "--trace FILE": every MIDI message in and out is logged there, one JSON object per line. */
    juce::File traceFile;
    /** "--report-first-frame": "first frame" goes to standard output once the window has painted its first
        frame (how bench_start times the launch). */
    bool reportFirstFrame = false;
    /** What was wrong with the command line; empty when nothing was. */
    juce::StringArray problems;
};

/** The options named on a command line; anything it does not know is ignored. */
LaunchOptions parseLaunchOptions(const juce::String& commandLine);
/** The model number a name ("Brio Max", any letter case) or number stands for; 0 when none. */
int modelForName(const juce::String& nameOrNumber);

/** The options of this process, one per process; set at start-up. */
LaunchOptions& launchOptions();
/** Returns the process-wide options to their start values (tests). */
void resetLaunchOptions();
} // namespace NsStrata
