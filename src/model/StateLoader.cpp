#include "StateLoader.h"

#include "Modes.h"
#include "StateTree.h"
#include "XmlText.h"

namespace NsStrata
{
juce::ValueTree treeFromXmlText(const juce::String& text)
{
    if (text.trim().isEmpty() || !isParsableXmlText(text))
        return {};
    if (auto xml = juce::parseXML(text))
        return juce::ValueTree::fromXml(*xml);
    return {};
}

void resetTransientValues(juce::ValueTree& tree)
{
    forEachParameter(tree,
                     [](auto, auto, juce::ValueTree param)
                     {
                         if (readInt(param, Prop::keep, 1) <= 0 && param.hasProperty(Prop::defa))
                             param.setProperty(Prop::value, param[Prop::defa], nullptr);
                     });
}

void mergeStoredValues(juce::ValueTree& preset, const juce::ValueTree& stored)
{
    forEachParameter(preset,
                     [&](const juce::ValueTree& model, const juce::ValueTree& group, juce::ValueTree param)
                     {
                         // Only the user's own settings carry over; the others keep the preset's value.
                         if (readInt(param, Prop::keep, 0) <= 0)
                             return;
                         const auto storedGroup = childWithId(
                             childWithId(stored, readInt(model, Prop::id, 0)), readInt(group, Prop::id, 0));
                         const auto storedParam = childWithId(storedGroup, readInt(param, Prop::id, 0));
                         if (storedParam.hasProperty(Prop::value))
                             param.setProperty(Prop::value, storedParam[Prop::value], nullptr);
                     });

    // A user mode copied from another keeps the factory mode it was made from.
    for (auto model : preset)
        for (int mode : {4, 5})
        {
            auto group = childWithId(model, mode);
            const auto storedGroup = childWithId(childWithId(stored, readInt(model, Prop::id, 0)), mode);
            if (group.isValid() && storedGroup.hasProperty(Prop::basedOnId))
                group.setProperty(Prop::basedOnId, storedGroup[Prop::basedOnId], nullptr);
        }

    const int storedMode = readInt(stored, Prop::mode, -99999);
    if (storedMode >= 1 && storedMode <= modeCount)
        preset.setProperty(Prop::mode, storedMode, nullptr);
}

LoadedState chooseStartState(const juce::String& presetText, const juce::String& storedXml)
{
    return chooseStartStateFromTrees(treeFromXmlText(presetText), treeFromXmlText(storedXml));
}

LoadedState chooseStartStateFromTrees(juce::ValueTree preset, juce::ValueTree stored)
{
    const bool presetUsable = isUsableTree(preset);
    const bool storedUsable = isUsableTree(stored);

    LoadedState result;
    if (presetUsable)
    {
        result.tree = preset;
        if (storedUsable)
            mergeStoredValues(result.tree, stored);
        result.tree.setProperty(Prop::ver, stateVersion, nullptr);
    }
    else if (storedUsable)
    {
        result.tree = stored;
        if (stored[Prop::ver].toString() == stateVersion)
            resetTransientValues(result.tree);
    }
    else
    {
        result.tree = preset; // possibly valid but unusable: it still gets the stamp
        if (result.tree.isValid())
            result.tree.setProperty(Prop::ver, stateVersion, nullptr);
    }

    const int mode = readInt(result.tree, Prop::mode, -99999);
    result.mode = (mode >= 1 && mode <= modeCount) ? mode : 0;
    return result;
}
} // namespace NsStrata
