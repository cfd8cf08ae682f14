#pragma once
// The process-wide flags of the device link, shared by the message thread and the MIDI input thread.
#include <array>
#include <atomic>

namespace NsStrata
{
struct LinkFlags
{
    std::atomic<bool> sendingGate{false};      // closed while the screen shows what the device reported
    std::atomic<bool> synchronised{false};     // status block and every mode block arrived
    std::atomic<bool> flushRunning{false};     // the meter poll waits while a flush sends
    std::atomic<bool> sendIndicator{false};    // a parameter message went out this tick
    std::atomic<bool> receiveIndicator{false}; // the device said something this tick
    std::atomic<bool> autoConnect{true};       // false once the main screen is going away
    std::atomic<bool> deviceListChanged{false};
    std::atomic<bool> handshakePending{false}; // a connection was made; the start-up requests must go out
    std::atomic<bool> linkUp{false};
    std::atomic<bool> statusReceived{false};
    std::array<std::atomic<bool>, 6> modeReceived{}; // [1..5] by mode id; [0] unused
    std::atomic<bool> modeSelectorSent{false};
    std::atomic<bool> deviceEdited{false};    // the device changed a value; the screen must refresh
    std::atomic<bool> deviceViewShown{false}; // false: the panel shows its cover label
    std::atomic<bool> offlineView{false};     // keeps the device view after a disconnect
    std::atomic<bool> firstTickDone{false};

    /** All modes received since the dump requests. */
    bool allModesReceived() const;
    void reset();
};

LinkFlags& linkFlags();

/** The level the device last reported, waiting for the peak-meter timer; written with its flag together. */
struct PendingMeterLevel
{
    std::atomic<float> level{-48.0f}; // dB
    std::atomic<bool> fresh{false};

    void reset()
    {
        level = -48.0f;
        fresh = false;
    }
};

PendingMeterLevel& pendingMeterLevel();
} // namespace NsStrata
