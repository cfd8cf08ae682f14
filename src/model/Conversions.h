#pragma once
// Display value <-> device value of a parameter node, and the steps a knob edit lands on.
#include <juce_data_structures/juce_data_structures.h>

#include <cstdint>

namespace NsStrata
{
/** Marks "use the node's own value" in deviceValue. */
constexpr double ownValue = -999;

/** The node's value (or v) in device units, packed into 7-bit groups. No table step. */
uint32_t deviceValue(const juce::ValueTree& node, double v = ownValue);
/** What a queued node is sent with: device units after the level-table step, packed into 7-bit groups.
    The table step for BGM depends on the model number (the selected model unless given). */
uint32_t messageValue(const juce::ValueTree& node, int modelNumber);
uint32_t messageValue(const juce::ValueTree& node);
/** The display value of a device value d reported for the node. */
double displayValue(const juce::ValueTree& node, double d);
/** The value a knob stores when it moves from previous to v (nearest: round to nearest, else toward the
 * move). */
double editStep(const juce::ValueTree& node, double v, double previous, bool nearest, double knobMaximum);

/** True for the kinds whose nodes use the conversions ("knob", "fader", "button"). */
bool isConvertedKind(const juce::String& kind);
} // namespace NsStrata
