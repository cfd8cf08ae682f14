#pragma once
// The settings file's text in the framework's properties layout: what a file's bytes hold, read in memory
// only once they are known to be safe XML text, and the document written back with a new state tree.
#include <juce_data_structures/juce_data_structures.h>

#include <memory>

namespace NsStrata
{
struct SettingsFileContent
{
    /** Safe XML text. Anything else is not read at all (the framework's binary form included). */
    bool readable = false;
    /** The "PROPERTIES" element; null when the text is another document or not well formed. */
    std::unique_ptr<juce::XmlElement> document;
    /** The value under "state" in document (a later duplicate wins); null when there is none. */
    const juce::XmlElement* stateValue = nullptr;

    /** Takes a document over and finds its state value. */
    void setDocument(std::unique_ptr<juce::XmlElement> newDocument);
    /** The stored state tree; invalid when there is none or it is not XML. */
    juce::ValueTree storedTree() const;
    /** True when the state value holds exactly this element. */
    bool holdsState(const juce::XmlElement& stateXml) const;
};

/** Reads the bytes of a settings file the way the framework's properties file reads its XML form. */
SettingsFileContent readSettingsFileContent(const juce::MemoryBlock& bytes);

/** The document to write: the one read (other values kept) or a new one, with stateXml under "state". */
std::unique_ptr<juce::XmlElement> settingsDocumentWithState(const juce::XmlElement* document,
                                                            const juce::XmlElement& stateXml);
} // namespace NsStrata
