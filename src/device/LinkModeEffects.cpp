#include "LinkModeEffects.h"

#include "Host.h"
#include "LinkFlags.h"
#include "LinkListener.h"
#include "MessagePump.h"
#include "OutgoingQueue.h"

namespace NsStrata
{
LinkModeEffects::LinkModeEffects(Host& h, BlockBuilder builder) : host(h), buildBlock(std::move(builder)) {}

void LinkModeEffects::queueModeSelector(const juce::ValueTree& selectorNode)
{
    queueEntry(selectorNode, true, true);
}

void LinkModeEffects::rebind(int modeId)
{
    auto& gate = linkFlags().sendingGate;
    const bool wasOpen = gate.exchange(false); // the controls taking their new values must not queue them
    if (auto* listener = host.linkListener())
        listener->rebindPanel(modeId);
    gate = wasOpen;
}

void LinkModeEffects::sendCopiedMode(const juce::ValueTree& modeNode)
{
    if (buildBlock == nullptr)
        return;
    const auto block = buildBlock(modeNode);
    if (!block.empty() && host.sendToDevice(block))
        pumpMessagesFor(50);
}
} // namespace NsStrata
