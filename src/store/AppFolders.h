#pragma once
// Where Strata keeps its per-machine data and its settings file on each platform (STRATA_HOME overrides
// both).
#include <juce_core/juce_core.h>

namespace NsStrata
{
namespace AppFolders
{
/** The per-machine data folder ("Kestrel/"), with a trailing separator in meaning only. */
juce::File dataFolder();
/** The folder of the settings file. */
juce::File settingsFolder();
/** The settings file, Strata.conf. */
juce::File settingsFile();
/** Root of the jingle library: data folder + "Strata/jingles/using/". */
juce::File jingleLibraryRoot();
/** The temporary folder for prepared copies: data folder + "temp/". */
juce::File tempFolder();
} // namespace AppFolders
} // namespace NsStrata
