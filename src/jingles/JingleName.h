#pragma once
// Which texts can name a jingle: the name becomes a folder in the library, on any platform.
#include <juce_core/juce_core.h>

namespace NsStrata
{
/** A name that keeps the library intact: not empty, not "." or "..", and without a path separator. */
bool keepsLibraryLayout(const juce::String& name);

/** A name that is a legal folder name on every platform the library can live on: it keeps the layout, and
    has no control character, none of < > : " | ? *, no trailing blank or full stop, is not a reserved
    device name and fits a folder entry. */
bool isValidJingleName(const juce::String& name);
} // namespace NsStrata
