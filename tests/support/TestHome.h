#pragma once
// A fresh STRATA_HOME per test process, so no test ever touches the real home folder.
#include <juce_core/juce_core.h>

namespace StrataTest
{
/** The temporary folder STRATA_HOME points at for this test process. */
juce::File testHome();
/** A new, empty folder below testHome(). */
juce::File freshFolder(const juce::String& name);
/** The folder of the built executables (beside which resources/ is laid out). */
juce::File binDir();
/** The folder of the source tree. */
juce::File sourceDir();
} // namespace StrataTest
