#pragma once
// Which texts can name a jingle: the name becomes a folder in the library, on any platform.
#include <juce_core/juce_core.h>

namespace NsStrata
{
/** A name that is a legal folder name on every platform the library can live on: not empty, not "." or "..",
    no path separator or control character, none of < > : " | ? *, no trailing blank or full stop, not a
    reserved device name, and short enough for a folder entry. */
bool isValidJingleName(const juce::String& name);
} // namespace NsStrata
