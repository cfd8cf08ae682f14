#include "HostImportLink.h"

#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/MessagePump.h"
#include "device/OutgoingQueue.h"

namespace NsStrata
{
HostImportLink::HostImportLink(Rebind r) : rebindPanel(std::move(r)) {}

bool HostImportLink::hasConnection() const
{
    return Host::getInstance()->hasConnection();
}

bool HostImportLink::sendToDevice(const MidiBytes& message)
{
    return Host::getInstance()->sendToDevice(message);
}

void HostImportLink::pumpMessagesFor(float milliseconds)
{
    NsStrata::pumpMessagesFor(milliseconds);
}

void HostImportLink::queueEntry(const juce::ValueTree& entry, bool replaceSameId, bool force)
{
    NsStrata::queueEntry(entry, replaceSameId, force);
}

bool HostImportLink::sendingGate() const
{
    return linkFlags().sendingGate;
}

void HostImportLink::setSendingGate(bool open)
{
    linkFlags().sendingGate = open;
}

void HostImportLink::rebind(int modelId, int mode)
{
    if (rebindPanel)
        rebindPanel(modelId, mode);
}
} // namespace NsStrata
