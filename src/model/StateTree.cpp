#include "StateTree.h"

#include "Catalogue.h"
#include "Models.h"

namespace NsStrata
{
double readDouble(const juce::ValueTree& node, const juce::Identifier& prop, double fallback)
{
    const auto* v = node.getPropertyPointer(prop);
    if (v == nullptr)
        return fallback;
    return v->isString() ? v->toString().getDoubleValue() : (double) *v;
}

int readInt(const juce::ValueTree& node, const juce::Identifier& prop, int fallback)
{
    const auto* v = node.getPropertyPointer(prop);
    if (v == nullptr)
        return fallback;
    return v->isString() ? v->toString().getIntValue() : (int) *v;
}

bool readBool(const juce::ValueTree& node, const juce::Identifier& prop, bool fallback)
{
    const auto* v = node.getPropertyPointer(prop);
    if (v == nullptr)
        return fallback;
    if (v->isString())
    {
        const auto text = v->toString().trim();
        return text.equalsIgnoreCase("true") || text.getIntValue() != 0;
    }
    return (bool) *v;
}

juce::ValueTree childWithId(const juce::ValueTree& parent, int id)
{
    for (const auto& child : parent)
        if (readInt(child, Prop::id, std::numeric_limits<int>::min()) == id)
            return child;
    return {};
}

juce::ValueTree modelNode(const juce::ValueTree& root, int modelNumber)
{
    return childWithId(root, modelIndexOf(modelNumber) + 1);
}

int groupIdFor(int paramId, int mode)
{
    return isModeIndependent(paramId) ? modeIndependentGroup : mode;
}

juce::ValueTree parameterNode(const juce::ValueTree& model, int paramId, int mode)
{
    return childWithId(childWithId(model, groupIdFor(paramId, mode)), paramId);
}

bool isUsableTree(const juce::ValueTree& root)
{
    return root.isValid() && root.getNumChildren() >= 3;
}
} // namespace NsStrata
