#pragma once
// The bytes of the messages the program sends: parameter entries of the five types and the meter poll.
#include "MidiBytes.h"

#include <juce_data_structures/juce_data_structures.h>

#include <array>

namespace NsStrata
{
/** Every message to the device starts from a copy of this: start, maker id, and the two model bytes written
    over its last two. */
constexpr std::array<uint8_t, 6> sysexHeaderTemplate = {0xF0, 0x00, 0x02, 0x4E, 0x00, 0xF7};

/** The six header bytes with the model number in bytes 4 and 5. */
MidiBytes sysexHeader(int modelNumber);

/** True for the entry types that have a message shape: 6, 9, 10, 12, 14. */
bool isSentType(int type);
/** True when sending this type lights the send indicator (every type but the command, 9). */
bool lightsSendIndicator(int type);
/** The short pause owed after a message of this type (before the common 50 ms); -1 when never sent. */
int pauseAfterType(int type);
/** The whole pause between a message of this type and the next queued one, in ms. */
int spacingAfterType(int type);
/** How long the device needs after any message before it takes the next, in ms: 2 after the meter poll,
    50 after everything else. */
int quietTimeAfter(const MidiBytes& message);

/** True when "nrpn" is present and both of its bytes are 7-bit. */
bool hasValidAddress(const juce::ValueTree& entry);

/** The message a flush sends for the entry: its "value" converted with the selected model's tables, in the
    shape its "type" names. Empty for entries that are never sent (unknown type, missing or bad address). */
MidiBytes frameEntry(const juce::ValueTree& entry, int selectedModel, int deviceModel);

/** Asks the device for its output level. */
MidiBytes meterPoll(int deviceModel);

/** Upper-case hex with single blanks ("F0 00 02 4E"). */
juce::String toHex(const MidiBytes& bytes);
/** Parses hex pairs, blanks allowed anywhere between pairs; false on anything else. */
bool parseHex(const juce::String& text, MidiBytes& out);
} // namespace NsStrata
