#pragma once
// The parameter nodes a control is bound to: its slots, writing its value, and queueing for the device.
#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
/** Sets the node's "value"; whole numbers are stored as integers, so files keep "3" rather than "3.0". */
void setNodeValue(juce::ValueTree node, double value);

/** Puts node into slot (1-based) of a control's list: replacing, or appending when slot is one past the last.
    False (nothing changes) for any other slot. */
bool placeNode(juce::Array<juce::ValueTree>& nodes, const juce::ValueTree& node, int slot);
/** The node in slot (1-based), or an invalid tree. */
juce::ValueTree nodeInSlot(const juce::Array<juce::ValueTree>& nodes, int slot);

/** Queues a copy of the node for sending (queueEntry); a node the link would refuse, having no device
    address, is not queued. */
void queueForDevice(const juce::ValueTree& node, bool replaceSameId, bool force);
} // namespace NsStrata
