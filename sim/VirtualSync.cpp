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

// Notes the moment the link becomes synchronised, also while a flush runs the message loop in a pause.
class SynchronisedWatch : private juce::Timer
{
public:
    explicit SynchronisedWatch(double s) : start(s) { startTimer(1); }
    ~SynchronisedWatch() override { stopTimer(); }
    double ms() const { return seenMs; }

private:
    void timerCallback() override
    {
        if (seenMs == 0 && linkFlags().synchronised)
        {
            seenMs = juce::Time::getMillisecondCounterHiRes() - start;
            stopTimer();
        }
    }

    const double start;
    double seenMs = 0;
};
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
    SynchronisedWatch watch(start);
    timer.start();
    while (juce::Time::getMillisecondCounterHiRes() - start < timeoutMs)
    {
        pumpMessagesFor(1);
        times.synchronisedMs = watch.ms();
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
