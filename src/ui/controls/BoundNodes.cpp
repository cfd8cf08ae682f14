#include "BoundNodes.h"

#include "device/MessageFraming.h"
#include "device/OutgoingQueue.h"
#include "model/StateTree.h"

#include <cmath>

namespace NsStrata
{
void setNodeValue(juce::ValueTree node, double value)
{
    if (std::isfinite(value) && value == std::floor(value) && std::abs(value) < 1.0e9)
        node.setProperty(Prop::value, (int) value, nullptr);
    else
        node.setProperty(Prop::value, value, nullptr);
}

bool placeNode(juce::Array<juce::ValueTree>& nodes, const juce::ValueTree& node, int slot)
{
    if (slot >= 1 && slot <= nodes.size())
        nodes.set(slot - 1, node);
    else if (slot == nodes.size() + 1)
        nodes.add(node);
    else
        return false;
    return true;
}

juce::ValueTree nodeInSlot(const juce::Array<juce::ValueTree>& nodes, int slot)
{
    return slot >= 1 && slot <= nodes.size() ? nodes.getReference(slot - 1) : juce::ValueTree();
}

void queueForDevice(const juce::ValueTree& node, bool replaceSameId, bool force)
{
    if (hasValidAddress(node))
        queueEntry(node, replaceSameId, force);
}
} // namespace NsStrata
