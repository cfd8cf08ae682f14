#include "DevicePollTimer.h"

#include "BlockLayouts.h"
#include "Host.h"
#include "LinkFlags.h"
#include "LinkListener.h"
#include "LinkTexts.h"
#include "MessageFraming.h"
#include "MidiInputHandler.h"
#include "OutgoingQueue.h"
#include "PortNames.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"

#include <cmath>

namespace NsStrata
{
namespace
{
constexpr int scanPauseMs = 3;
constexpr int scansPerConnect = 2; // a fresh connection scans once with the default filters, then with ours
constexpr int flushBatchSize = 6;

juce::ValueTree selectedGroup0(Host& host)
{
    return childWithId(modelNode(host.state(), selection().selectedModel), modeIndependentGroup);
}
} // namespace

DevicePollTimer::DevicePollTimer(Host& h) : host(h) {}

DevicePollTimer::~DevicePollTimer()
{
    stopTimer();
}

void DevicePollTimer::start()
{
    // A main screen before this one may have closed the link: it connects again on the first tick, with the
    // whole start-up exchange.
    auto& flags = linkFlags();
    flags.autoConnect = true;
    if (host.isLinkClosed())
    {
        flags.synchronised = false;
        flags.deviceListChanged = true;
    }
    nextTickDue = juce::Time::getMillisecondCounterHiRes() + firstDelayMs;
    startTimer(firstDelayMs);
}

void DevicePollTimer::timerCallback()
{
    // The timer thread counts time that passed during a long tick against the restarted timer and would
    // fire early; the interval is owed from the end of the tick.
    const double early = nextTickDue - juce::Time::getMillisecondCounterHiRes();
    if (early > 0)
    {
        startTimer(juce::jmax(1, (int) std::ceil(early)));
        return;
    }
    const juce::WeakReference<DevicePollTimer> self(this);
    stopTimer();
    tick();
    if (self == nullptr)
        return;
    nextTickDue = juce::Time::getMillisecondCounterHiRes() + intervalMs;
    startTimer(intervalMs);
}

bool DevicePollTimer::checkDevices()
{
    auto& flags = linkFlags();
    auto& texts = linkTexts();
    const auto outs = portNames(host.portBackend().outputs());
    if (outs != texts.lastOutputNames)
    {
        flags.synchronised = false;
        flags.deviceListChanged = true;
        texts.lastOutputNames = outs;
    }
    if (!(flags.deviceListChanged || flags.handshakePending) || flags.synchronised)
        return false;

    const juce::WeakReference<DevicePollTimer> self(this);
    const int deviceModel = selection().deviceModel;
    const bool ok = host.connect(
        true, flags.autoConnect, [deviceModel](int n) { return isSupportedModel(n) || n == deviceModel; },
        [](int port) { return port == 1; });
    if (self == nullptr)
        return false;
    if (!ok)
    {
        if (auto* listener = host.linkListener())
            listener->switchAllJinglePadsOff();
        return false;
    }
    if (auto* connection = host.midiConnection();
        connection != nullptr && connection->currentOutput() != nullptr)
        selection().deviceModel = modelIdForPortName(connection->currentOutputName());
    queueEntry(childWithId(selectedGroup0(host), ParamId::identityRequest), true, true);
    return true;
}

void DevicePollTimer::queueStartupRequests()
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

void DevicePollTimer::refreshScreen(bool connectedNow)
{
    auto& flags = linkFlags();
    bool refresh;
    if (!flags.firstTickDone)
    {
        flags.firstTickDone = true;
        flags.sendingGate = true;
        refresh = true;
    }
    else
    {
        // A device report closed the gate; it stays closed through the refresh so nothing is echoed back.
        if (!flags.deviceEdited)
            flags.sendingGate = true;
        refresh = connectedNow;
    }
    refresh = refresh || flags.deviceEdited;
    flags.deviceEdited = false;
    if (refresh)
    {
        if (auto* listener = host.linkListener())
            listener->refreshFromState(true);
        flags.offlineView = false;
        flags.deviceViewShown = true;
    }
}

void DevicePollTimer::checkPortAndFlush()
{
    juce::String name;
    for (const auto& out : portNames(host.portBackend().outputs()))
        if (modelIdForPortName(out) == selection().deviceModel && portNumberOf(out) == 1)
        {
            name = out;
            break;
        }
    const int port = portNumberOf(name);
    const bool supported = isSupportedModel(modelIdForPortName(name)) && port == 1;
    const bool makersOwn = name.matchesWildcard("KESTREL*Midi*", true) && port <= 1;
    if (!supported && !makersOwn)
        return;
    host.settings().setDevicePortName(name);
    host.flushQueue();
}

void DevicePollTimer::queueModeSelectorOnce()
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

void DevicePollTimer::tick()
{
    // Scanning and flushing run the message loop, and so may listener calls: whatever this timer does after
    // one of them first makes sure it still exists.
    const juce::WeakReference<DevicePollTimer> self(this);
    auto& flags = linkFlags();
    const bool connectedNow = checkDevices();
    if (self == nullptr)
        return;

    juce::String title;
    auto* connection = host.midiConnection();
    if (connection != nullptr && connection->pairCount() > 0)
    {
        title = buildWindowTitle("");
        flags.linkUp = true;
        if (flags.deviceListChanged)
        {
            flags.handshakePending = true;
            flags.deviceListChanged = false;
        }
    }
    else
    {
        title = buildWindowTitle(" [" + TRANS("disconnected") + "]");
        flags.deviceViewShown = flags.offlineView && flags.deviceViewShown;
        flags.linkUp = false;
        flags.handshakePending = false;
    }
    linkTexts().windowTitle = title;
    if (auto* listener = host.linkListener())
        listener->setWindowTitle(title);
    if (self == nullptr)
        return;

    flags.receiveIndicator = false;
    flags.sendIndicator = false;

    queueStartupRequests();

    if (flags.statusReceived)
    {
        flags.synchronised = flags.allModesReceived();
        if (flags.synchronised)
        {
            flags.statusReceived = false;
            flags.sendingGate = true;
        }
    }
    if (auto* listener = host.linkListener())
        listener->setCoverLabelVisible(!flags.deviceViewShown);
    if (self == nullptr)
        return;

    refreshScreen(connectedNow);
    if (self == nullptr)
        return;
    if (flags.linkUp)
        checkPortAndFlush();
    if (self == nullptr)
        return;
    queueModeSelectorOnce();
}

int synchronisationFloorMs()
{
    // The identity request (type 6) and the dump requests (type 10) all wait in the queue after the first
    // tick.
    const int requests = 1 + 1 + modeCount;
    int floor = DevicePollTimer::firstDelayMs + scansPerConnect * scanPauseMs;
    int tickCount = 0;
    for (int sent = 0; sent < requests; sent += flushBatchSize, ++tickCount)
    {
        for (int i = sent; i < std::min(requests, sent + flushBatchSize); ++i)
            floor += spacingAfterType(i == 0 ? 6 : 10);
        floor += DevicePollTimer::intervalMs;
    }
    // The last reply arrives during the last flush: the next tick sees it and queues the mode selector after
    // its (empty) flush, and the tick after that sends it.
    floor += DevicePollTimer::intervalMs;
    return floor;
}
} // namespace NsStrata
