#pragma once
// Project files: the whole state tree written as UTF-8 XML, and read back into the program and the device.
#include "ImportLink.h"

#include <juce_data_structures/juce_data_structures.h>

#include <functional>

namespace NsStrata
{
/** Writes state to file, replacing a file already there only once the new content is whole. Fails with
    "Could not save mappings to disk" when the tree gives no XML, and "Failed to write mapping file" when the
    file cannot be written (an existing file then stays as it was). */
juce::Result exportConfiguration(const juce::ValueTree& state, const juce::File& file);

/** The configuration a project file's text holds. Fails with "Could not load mapping data!" when the text is
    not XML or not a usable state tree. */
juce::Result readConfiguration(const juce::String& text, juce::ValueTree& loaded);

/** Replaces state by the configuration in text, keeping each model's mode-independent group, and marks the
    selected model and current mode in it. With a link, the panel re-binds and, when connected, every mode
    of the selected model goes to the device as a mode block, followed by the mode selector. A refused
    text leaves state and the device untouched. */
juce::Result importConfigurationText(juce::ValueTree& state, const juce::String& text, ImportLink* link);

/** importConfigurationText with the text of file. */
juce::Result importConfiguration(juce::ValueTree& state, const juce::File& file, ImportLink* link);

/** The model node id of the selected model (model index + 1), or 0 when it is not a supported model. */
int selectedModelId();

/** With the sending gate closed: the panel re-binds to modelId and mode, every mode of that model in root
    goes to the device as a mode block (when connected, 50 ms apart), and the mode selector of mode is set
    and queued; beforeGateRestored runs last, then the gate is as it was. */
void writeModesIntoDevice(const juce::ValueTree& root, int modelId, int mode, ImportLink& link,
                          const std::function<void()>& beforeGateRestored = {});
} // namespace NsStrata
