#pragma once
// strata-cli dsp: reads the DSP's flash layout and sends stored jingles into it, on the real device or the
// virtual DSP.
#include "CliCommon.h"

/** `dsp info [--virtual]` and `dsp send SLOT FILE [--virtual] [--trace]`. Exit status: 0 done, 1 no DSP or a
    failed transfer, 2 bad arguments. */
StrataCli::Command dspCommand(CLI::App& cli);
