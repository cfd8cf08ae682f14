#pragma once
// The device-poll tick: follows ports coming and going, runs the start-up exchange, paces the outgoing queue
// and keeps the window title up to date.
#include <juce_events/juce_events.h>

namespace NsStrata
{
class Host;

class DevicePollTimer : public juce::Timer
{
public:
    static constexpr int firstDelayMs = 50;
    static constexpr int intervalMs = 300;

    explicit DevicePollTimer(Host& host);
    ~DevicePollTimer() override;

    /** Starts polling, connecting on its own again; the first tick comes after firstDelayMs. */
    void start();
    /** Stops the timer for the length of the tick, so ticks never nest. */
    void timerCallback() override;
    /** One tick without touching the timer (tests drive it this way). The tick runs the message loop while
        it scans and flushes; should its owner delete the timer there, the tick ends without touching it. */
    void tick();

private:
    bool checkDevices();
    void queueStartupRequests();
    void refreshScreen(bool connectedNow);
    void checkPortAndFlush();
    void queueModeSelectorOnce();

    Host& host;
    double nextTickDue = 0; // monotonic ms

    JUCE_DECLARE_WEAK_REFERENCEABLE(DevicePollTimer)
};

/** The least time from start until the mode selector goes out after a connection, in ms: the first tick, the
    pauses of scanning, the pauses after each start-up request and the ticks the exchange has to wait for. */
int synchronisationFloorMs();
} // namespace NsStrata
