#pragma once
// Starts the queue's flush as soon as something is queued and the device may take it, instead of waiting for
// the next poll tick; when the pacing asks for a rest, the flush starts the moment the rest is over.
#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <functional>

namespace NsStrata
{
class FlushScheduler : private juce::AsyncUpdater, private juce::Timer, private juce::ValueTree::Listener
{
public:
    struct Link
    {
        /** Sends what the device may take now (the flush); true when the queue changed. */
        std::function<bool()> flush;
        /** When the device may take the next queued message (monotonic ms). */
        std::function<double()> earliestSend;
    };

    /** Watches the queue; flushes only on the message thread, never nested, and not before allow(true). */
    FlushScheduler(juce::ValueTree queue, Link link);
    ~FlushScheduler() override;

    /** Whether flushes may start: the poll tick allows them while it finds the device's port, and they stop
        when the port is lost or the link closes. Allowing asks for a flush. */
    void allow(bool allowed);
    bool isAllowed() const { return allowed; }
    /** Asks for a flush soon, when the queue holds anything. Any time on the message thread. */
    void request();

    /** Keeps flushes from starting while it lives (a poll tick scans ports meanwhile); what was asked for
        meanwhile starts once the last hold goes. */
    class Hold
    {
    public:
        explicit Hold(FlushScheduler& s);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        juce::WeakReference<FlushScheduler> scheduler;
    };

private:
    /** Flushes when the device may take the queue's head now, else waits for that moment. */
    void handleAsyncUpdate() override;
    void timerCallback() override;
    void valueTreeChildAdded(juce::ValueTree&, juce::ValueTree&) override { request(); }

    juce::ValueTree queue;
    Link link;
    bool allowed = false;
    bool flushing = false;
    int holds = 0;
    bool asked = false; // a request came while flushing or held

    JUCE_DECLARE_WEAK_REFERENCEABLE(FlushScheduler)
};
} // namespace NsStrata
