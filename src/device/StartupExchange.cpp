#include "StartupExchange.h"

#include "BlockLayouts.h"
#include "Host.h"
#include "LinkFlags.h"
#include "OutgoingQueue.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"

namespace NsStrata
{
namespace
{
juce::ValueTree selectedGroup0(Host& host)
{
    return childWithId(modelNode(host.state(), selection().selectedModel), modeIndependentGroup);
}
} // namespace

void queueIdentityRequest(Host& host)
{
    queueEntry(childWithId(selectedGroup0(host), ParamId::identityRequest), true, true);
}

void queueStartupRequests(Host& host)
{
    auto& flags = linkFlags();
    if (!flags.handshakePending || flags.synchronised)
        return;
    auto dump = childWithId(selectedGroup0(host), ParamId::dumpRequest);
    dump.setProperty(Prop::value, DeviceBlocks::statusRequestCode, nullptr);
    queueEntry(dump, true, true);
    for (int mode = 1; mode <= modeCount; ++mode)
    {
        dump.setProperty(Prop::value, DeviceBlocks::modeRequestCodes[(std::size_t) mode - 1], nullptr);
        queueEntry(dump, false, true);
        flags.modeReceived[(std::size_t) mode] = false;
    }
    flags.handshakePending = false;
    flags.modeSelectorSent = false;
}

void checkSynchronised()
{
    auto& flags = linkFlags();
    if (!flags.statusReceived)
        return;
    flags.synchronised = flags.allModesReceived();
    if (flags.synchronised)
    {
        flags.statusReceived = false;
        flags.sendingGate = true;
    }
}

void queueModeSelectorOnce(Host& host)
{
    auto& flags = linkFlags();
    if (!flags.synchronised || flags.modeSelectorSent)
        return;
    const auto model = modelNode(host.state(), selection().selectedModel);
    auto selector = childWithId(childWithId(model, modeIndependentGroup), ParamId::modeSelector);
    selector.setProperty(Prop::value, modeByteValue(childWithId(model, selection().currentMode)), nullptr);
    queueEntry(selector, true, true);
    flags.modeSelectorSent = true;
}
} // namespace NsStrata
