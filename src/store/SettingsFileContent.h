#pragma once
// The settings file's text in the framework's properties layout: what a file's bytes hold, read in memory
// only once they are known to be safe XML text, and the text written back with a new state tree.
#include <juce_core/juce_core.h>

#include <memory>

namespace NsStrata
{
struct SettingsFileContent
{
    /** Safe XML text. Anything else is not read at all (the framework's binary form included). */
    bool readable = false;
    /** The "PROPERTIES" element; null when the text is another document or not well formed. */
    std::unique_ptr<juce::XmlElement> document;
    /** The XML of the value under "state"; empty when there is none. */
    juce::String storedState;
};

/** Reads the bytes of a settings file the way the framework's properties file reads its XML form. */
SettingsFileContent readSettingsFileContent(const juce::MemoryBlock& bytes);

/** The document to write: the one read (other values kept) or a new one, with stateXml under "state". */
std::unique_ptr<juce::XmlElement> settingsDocumentWithState(const juce::XmlElement* document,
                                                            const juce::XmlElement& stateXml);
} // namespace NsStrata
