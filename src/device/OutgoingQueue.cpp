#include "OutgoingQueue.h"

#include "LinkFlags.h"
#include "model/StateTree.h"

namespace NsStrata
{
juce::ValueTree& outgoingQueue()
{
    static juce::ValueTree queue{"mode"};
    return queue;
}

void resetOutgoingQueue()
{
    outgoingQueue().removeAllChildren(nullptr);
}

void queueEntry(const juce::ValueTree& entry, bool replaceSameId, bool force)
{
    auto& flags = linkFlags();
    if (!force && !(flags.synchronised && flags.sendingGate))
        return;
    if (!entry.isValid())
        return;
    auto& queue = outgoingQueue();
    if (replaceSameId)
    {
        const auto queued = childWithId(queue, readInt(entry, Prop::id, -1));
        if (queued.isValid())
            queue.removeChild(queued, nullptr);
    }
    queue.appendChild(entry.createCopy(), nullptr);
}
} // namespace NsStrata
