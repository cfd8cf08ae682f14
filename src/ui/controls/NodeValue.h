#pragma once
// Writing a control's value into a parameter node.
#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
/** Sets the node's "value"; whole numbers are stored as integers, so files keep "3" rather than "3.0". */
void setNodeValue(juce::ValueTree node, double value);
} // namespace NsStrata
