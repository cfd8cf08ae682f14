#pragma once
// Carries decoded messages from the MIDI input thread to the message thread, keeping their order.
#include "IncomingMessage.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <mutex>
#include <vector>

namespace NsStrata
{
class IncomingHandOff : private juce::AsyncUpdater
{
public:
    using Apply = std::function<void(const IncomingMessage&)>;

    explicit IncomingHandOff(Apply apply);
    ~IncomingHandOff() override;

    /** Any thread: keeps the message and asks the message thread to apply it. */
    void post(IncomingMessage message);
    /** Message thread: applies everything posted so far, oldest first. */
    void applyPending();
    /** Drops what was posted and not yet applied. */
    void discardPending();

private:
    void handleAsyncUpdate() override { applyPending(); }

    Apply apply;
    std::mutex lock; // held only to move messages in and out, never while applying
    std::vector<IncomingMessage> pending;
    bool applying = false; // message thread only
};
} // namespace NsStrata
