#pragma once
// Checks that keep outside XML (settings, projects, the preset) away from inputs the framework's XML reader
// cannot take.
#include <juce_core/juce_core.h>

namespace NsStrata
{
/** False for text with a processing instruction after the root element has begun: the framework's XML parser
    never returns from one followed by text inside an element, and none of our files has a use for one. */
bool isParsableXmlText(const juce::String& text);

/** Bytes that are valid UTF-8 XML text (optionally after a byte order mark) and parsable as above. Anything
    else, the framework's binary properties form included, is not read. */
bool isSafeXmlFileContent(const juce::MemoryBlock& bytes);
} // namespace NsStrata
