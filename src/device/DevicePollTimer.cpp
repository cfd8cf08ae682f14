#include "DevicePollTimer.h"

#include "Host.h"
#include "LinkFlags.h"
#include "LinkListener.h"
#include "LinkTexts.h"
#include "MidiInputHandler.h"
#include "PortNames.h"
#include "SendEnvelope.h"
#include "StartupExchange.h"
#include "model/Models.h"
#include "model/Modes.h"

#include <algorithm>
#include <cmath>

namespace NsStrata
{
namespace
{
constexpr int scanPauseMs = 3;
constexpr int scansPerConnect = 2; // a fresh connection scans once with the default filters, then with ours
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
    firstTickDueMs = juce::Time::getMillisecondCounterHiRes() + firstDelayMs;
    startTimer(firstDelayMs);
}

void DevicePollTimer::timerCallback()
{
    // The framework counts whole milliseconds and may fire a fraction early: the first tick keeps its
    // delay. Later ticks keep the timer running, so that a tick that changes nothing costs no restart.
    if (firstTickDueMs > 0)
    {
        const double early = firstTickDueMs - juce::Time::getMillisecondCounterHiRes();
        if (early > 0)
        {
            startTimer(juce::jmax(1, (int) std::ceil(early)));
            return;
        }
        firstTickDueMs = 0;
    }
    const juce::WeakReference<DevicePollTimer> self(this);
    tick();
    if (self != nullptr && getTimerInterval() != intervalMs)
        startTimer(intervalMs);
}

const juce::StringArray& DevicePollTimer::currentOutputs()
{
    // Reading the port lists is the costly part of an idle tick; where the system announces changes they
    // are read again only after one, and now and then in case one was lost.
    auto& backend = host.portBackend();
    const auto version = backend.portListVersion();
    if (listedFrom != host.portBackendSerial() || version != listedVersion ||
        ++ticksSinceListing >= relistEveryTicks)
    {
        outputs = portNames(backend.outputs());
        listedFrom = host.portBackendSerial();
        listedVersion = version;
        ticksSinceListing = 0;
    }
    return outputs;
}

bool DevicePollTimer::checkDevices()
{
    auto& flags = linkFlags();
    auto& texts = linkTexts();
    const auto& outs = currentOutputs();
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
    queueIdentityRequest(host);
    return true;
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

void DevicePollTimer::checkPort()
{
    juce::String name;
    for (const auto& out : outputs)
        if (modelIdForPortName(out) == selection().deviceModel && portNumberOf(out) == 1)
        {
            name = out;
            break;
        }
    const int port = portNumberOf(name);
    const bool supported = isSupportedModel(modelIdForPortName(name)) && port == 1;
    const bool makersOwn = name.matchesWildcard("KESTREL*Midi*", true) && port <= 1;
    if (!supported && !makersOwn)
    {
        host.flushes().allow(false);
        return;
    }
    host.settings().setDevicePortName(name);
    // Queued entries leave as soon as the pacing allows, not on this tick.
    host.flushes().allow(true);
}

void DevicePollTimer::tick()
{
    if (ticking)
        return;
    // No flush starts in the middle of a tick (a scan closes and reopens the ports); what was queued
    // meanwhile goes once it ends.
    const juce::WeakReference<DevicePollTimer> self(this);
    const FlushScheduler::Hold noFlushMeanwhile(host.flushes());
    ticking = true;
    runTick();
    if (self != nullptr)
        ticking = false;
}

void DevicePollTimer::runTick()
{
    // Scanning and listener calls may run the message loop: whatever this timer does after one of them
    // first makes sure it still exists.
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

    queueStartupRequests(host);
    checkSynchronised();
    if (auto* listener = host.linkListener())
        listener->setCoverLabelVisible(!flags.deviceViewShown);
    if (self == nullptr)
        return;

    refreshScreen(connectedNow);
    if (self == nullptr)
        return;
    if (flags.linkUp)
        checkPort();
    else
        host.flushes().allow(false);
    queueModeSelectorOnce(host);
}

int synchronisationFloorMs()
{
    // The identity request (type 6), the six dump requests (type 10) and the selector (type 10), each as
    // early as the pacing allows; the last reply comes back well within the pause before the selector.
    SendEnvelope envelope;
    double at = DevicePollTimer::firstDelayMs + scansPerConnect * scanPauseMs;
    const int requests = 1 + 1 + modeCount;
    for (int i = 0; i <= requests; ++i)
    {
        at = std::max(at, envelope.earliestNext());
        envelope.recordSend(at, i == 0 ? 6 : 10);
    }
    return (int) std::ceil(at);
}
} // namespace NsStrata
