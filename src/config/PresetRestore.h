#pragma once
// Back to the shipped preset without losing what the user set outside the modes: every model keeps its
// mode-independent values, everything else (the five modes of every model) returns to the preset, and the
// device is given the selected model's modes again.
#include "ImportLink.h"

#include <juce_data_structures/juce_data_structures.h>

#include <functional>

namespace NsStrata
{
/** The preset file below the resources folder. */
inline const char* const presetAssetPath = "Strata/preset/preset.xml";

/** In every model node of preset (but one with "id" 0) that kept has too, each parameter node of the
    mode-independent group takes "value" and "last", where kept's has them, from kept's node of the same
    "nrpn" in that model's mode-independent group. */
void keepModeIndependentValues(juce::ValueTree& preset, const juce::ValueTree& kept);

/** Replaces the content of state (the same tree object: whoever holds it sees the change) by preset, keeping
    each model's mode-independent values, then writes the selected model's modes into the device and queues
    the mode selector of the current mode, with the sending gate closed (see writeModesIntoDevice).
    switchPadsOff runs before the gate is restored. A preset that is no usable state tree changes nothing
    and fails. */
juce::Result restorePreset(juce::ValueTree& state, const juce::ValueTree& preset, ImportLink& link,
                           const std::function<void()>& switchPadsOff = {});

/** The same with the preset file shipped beside the program. */
juce::Result restoreShippedPreset(juce::ValueTree& state, ImportLink& link,
                                  const std::function<void()>& switchPadsOff = {});
} // namespace NsStrata
