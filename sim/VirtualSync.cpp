#include "VirtualSync.h"

#include "device/DevicePollTimer.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/LinkTexts.h"
#include "device/MessagePump.h"
#include "device/OutgoingQueue.h"
#include "model/Catalogue.h"
#include "model/Models.h"

namespace NsStrata
{
namespace
{
bool isModeSelector(const MidiBytes& bytes)
{
    const int address = addressOf(ParamId::modeSelector);
    return bytes.size() == 10 && bytes[6] == (address >> 8) && bytes[7] == (address & 0x7F);
}
} // namespace

SyncTimes runVirtualSync(const std::shared_ptr<VirtualMixer>& mixer, const juce::ValueTree& preset,
                         double timeoutMs)
{
    linkFlags().reset();
    linkTexts().reset();
    resetOutgoingQueue();
    selection().reset();
    selection().selectedModel = mixer->modelNumber();

    auto& host = *Host::getInstance();
    host.settings().setState(preset.createCopy());
    host.setPortBackend(mixer);
    mixer->clearReceived();
    const int deliveredBefore = mixer->deliveredCount();

    SyncTimes times;
    times.floorMs = synchronisationFloorMs();
    DevicePollTimer timer(host);
    const double start = juce::Time::getMillisecondCounterHiRes();
    timer.start();
    while (juce::Time::getMillisecondCounterHiRes() - start < timeoutMs)
    {
        pumpMessagesFor(1);
        if (linkFlags().synchronised && times.synchronisedMs == 0)
            times.synchronisedMs = juce::Time::getMillisecondCounterHiRes() - start;
        const auto log = mixer->received();
        if (times.synchronisedMs > 0 && !log.empty() && isModeSelector(log.back().bytes))
        {
            times.ok = true;
            times.connectedMs = log.front().ms - start;
            times.selectorMs = log.back().ms - start;
            times.sent = (int) log.size();
            break;
        }
    }
    timer.stopTimer();
    mixer->waitUntilIdle();
    times.received = mixer->deliveredCount() - deliveredBefore;
    times.protocolErrors = mixer->protocolErrors();
    times.ok = times.ok && times.protocolErrors.isEmpty();
    host.setPortBackend(nullptr);
    return times;
}
} // namespace NsStrata
