#pragma once
// The device-poll tick: follows ports coming and going, runs the start-up exchange, lets the outgoing queue
// flush while the device's port is there and keeps the window title up to date.
#include <juce_events/juce_events.h>

#include <cstdint>

namespace NsStrata
{
class Host;

class DevicePollTimer : public juce::Timer
{
public:
    static constexpr int firstDelayMs = 50;
    static constexpr int intervalMs = 300;
    /** Where the system announces port changes, the lists are still read again this often (in ticks), in
        case an announcement was lost. */
    static constexpr int relistEveryTicks = 10;

    explicit DevicePollTimer(Host& host);
    ~DevicePollTimer() override;

    /** Starts polling, connecting on its own again; the first tick comes after firstDelayMs. */
    void start();
    void timerCallback() override;
    /** One tick without touching the timer (tests drive it this way). The tick runs the message loop while
        it scans; should its owner delete the timer there, the tick ends without touching it. A tick asked
        for while one runs is left out, so ticks never nest. */
    void tick();

private:
    void runTick();
    bool checkDevices();
    void refreshScreen(bool connectedNow);
    void checkPort();
    const juce::StringArray& currentOutputs();

    Host& host;
    double firstTickDueMs = 0; // monotonic; 0 once the first tick ran
    bool ticking = false;
    // The output names as last read, and what told whether to read them again.
    juce::StringArray outputs;
    int listedFrom = -1; // the Host's backend serial
    uint64_t listedVersion = 0;
    int ticksSinceListing = 0;

    JUCE_DECLARE_WEAK_REFERENCEABLE(DevicePollTimer)
};

/** The least time from start until the mode selector goes out after a connection, in ms: the first tick,
    the pauses of scanning, then the start-up requests and the selector at the densest pace the device
    takes. */
int synchronisationFloorMs();
} // namespace NsStrata
