#pragma once
// From MIDI port names to models and port numbers: which product a port belongs to, and which port of it.
#include <juce_core/juce_core.h>

namespace NsStrata
{
/** The model number whose name pattern the port name matches first (case and outer blanks ignored);
    unidentifiedModel when none does. */
int modelIdForPortName(const juce::String& portName);
/** Display name of a model number; "Unknown" for numbers without one. */
juce::String modelNameForId(int modelNumber);

/** The port number of a device port: 1 for its first port, n for "MIDIINn (..)", "MIDIOUTn (..)" and the
    "Name MIDI n" form of ALSA; -1 when the digit is not one. */
int portNumberOf(const juce::String& portName);
/** The output name that pairs with an input name: "MIDIINn (X)" pairs with "MIDIOUTn (X)", any other name
    with itself. */
juce::String counterpartPortName(const juce::String& inputName);
} // namespace NsStrata
