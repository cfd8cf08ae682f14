#pragma once
// strata-cli dsp: reads the DSP's flash layout and sends stored jingles into it, on the real device or the
// virtual DSP.
#include <juce_core/juce_core.h>

/** `dsp info [--virtual]` and `dsp send SLOT FILE [--virtual] [--trace]`; args are those after "dsp".
    Returns the exit status: 0 done, 1 no DSP or a failed transfer, 2 bad arguments. */
int runDspCommand(const juce::StringArray& args);
