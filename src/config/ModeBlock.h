#pragma once
// The 61-byte mode block: one System Exclusive message that writes every effect setting of a mode (its field
// layout is the one the device sends back, in device/BlockLayouts.h).
#include "device/BlockLayouts.h"
#include "device/MidiBytes.h"

#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
/** The last byte a field may take; the one after it is the end byte. */
constexpr int modeBlockLastField = DeviceBlocks::modeBlockLength - 2;

/** Why a block is sent; the device is told in byte 10. */
enum class ModeBlockAction : uint8_t
{
    restore = 1,   // after a project import or a preset restore
    copiedMode = 5 // a mode copied into a user mode
};

/** The mode block of modeNode for the given model number. */
MidiBytes buildModeBlock(const juce::ValueTree& modeNode, ModeBlockAction action, int modelNumber);
/** The same for the selected model. */
MidiBytes buildModeBlock(const juce::ValueTree& modeNode, ModeBlockAction action);
} // namespace NsStrata
