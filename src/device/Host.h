#pragma once
// The process-wide host of the device link: owns the settings store (with the state tree) and the MIDI
// connection.
#include "MidiBytes.h"
#include "app/SettingsStore.h"

#include <memory>

namespace NsStrata
{
class Host
{
public:
    /** The one Host, created on first use and kept until the process ends. */
    static Host* getInstance();
    /** Deletes the instance so the next getInstance starts afresh (tests only). */
    static void resetInstanceForTests();

    virtual ~Host();

    SettingsStore& settings() { return *settingsStore; }
    juce::ValueTree& state() { return settingsStore->state(); }

    /** Sends one message at once on the current output; false when there is none. */
    bool sendToDevice(const MidiBytes& message);
    /** A MIDI connection exists (it may have no open port). */
    bool hasConnection() const;

private:
    Host();

    std::unique_ptr<SettingsStore> settingsStore;
};
} // namespace NsStrata
