#pragma once
// What a project import needs from the device link and the screen, so the import itself stays testable.
#include "device/MidiBytes.h"

#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
class ImportLink
{
public:
    virtual ~ImportLink() = default;

    /** A MIDI connection exists (it may have no open output). */
    virtual bool hasConnection() const = 0;
    /** Sends at once, not through the queue; false when nothing was sent. */
    virtual bool sendToDevice(const MidiBytes& message) = 0;
    /** Waits by running the message loop. */
    virtual void pumpMessagesFor(float milliseconds) = 0;
    virtual void queueEntry(const juce::ValueTree& entry, bool replaceSameId, bool force) = 0;
    virtual bool sendingGate() const = 0;
    virtual void setSendingGate(bool open) = 0;
    /** The panel binds its controls to model node modelId and mode of the new tree. */
    virtual void rebind(int modelId, int mode) = 0;
};
} // namespace NsStrata
