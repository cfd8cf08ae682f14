#pragma once
// Chooses the start-up state tree from the shipped preset and the tree stored in the settings file.
#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
struct LoadedState
{
    juce::ValueTree tree; // invalid when neither source is usable
    int mode = 0;         // the mode to make current, 0 to keep the current one
};

/** The start-up rule: a usable preset wins, and gives its user settings ("keep" > 0) the values stored
    last time; without a usable preset a stored tree of this version is reset on its transient nodes, an
    older one is taken as it is. */
LoadedState chooseStartState(const juce::String& presetText, const juce::String& storedXml);
/** The same rule on trees already made (invalid when their text was empty or not XML); the result may share
    nodes with them. */
LoadedState chooseStartStateFromTrees(juce::ValueTree preset, juce::ValueTree stored);

/** Gives each parameter node of preset with "keep" > 0 (absent = 0) the "value" of the matching node of
    stored; the others keep the preset's value. The root "mode" and the user modes' "basedOnId" carry over
    too. */
void mergeStoredValues(juce::ValueTree& preset, const juce::ValueTree& stored);
/** Every parameter node whose "keep" (absent = 1) is 0 or less and which has a "defa" goes back to it. */
void resetTransientValues(juce::ValueTree& tree);

/** The tree made from XML text; invalid when the text is empty or not XML. */
juce::ValueTree treeFromXmlText(const juce::String& text);
} // namespace NsStrata
