#pragma once
// Keeps Strata to one running instance per settings folder and carries a later start's request to it, on
// platforms where the framework's own handshake cannot wake the running instance.
#include <juce_events/juce_events.h>

#include <functional>
#include <memory>

namespace NsStrata
{
class InstanceLock;

class InstanceChannel
{
public:
    using StartHandler = std::function<void(const juce::String& commandLine)>;

    /** A channel for the instance that owns folder (created when missing). */
    explicit InstanceChannel(const juce::File& folder);
    ~InstanceChannel();

    /** Makes this process the running instance of the folder and listens for later starts, whose command
        lines reach onAnotherStart on the message thread. Only a start that can read the port file, which
        only the owner can, is heard. False when another process already runs. */
    bool claim(StartHandler onAnotherStart);

    /** Hands a start's command line to the running instance; false when none acknowledged it in time.
        Blocks the calling thread for at most timeoutMs. */
    bool notifyRunningInstance(const juce::String& commandLine, int timeoutMs) const;

    juce::File lockFile() const;
    /** The listening port and the token a request must carry. */
    juce::File portFile() const { return folder.getChildFile("Strata.port"); }

private:
    class Listener;

    juce::File folder;
    std::unique_ptr<InstanceLock> lock;
    std::unique_ptr<Listener> listener;

    JUCE_DECLARE_NON_COPYABLE(InstanceChannel)
};
} // namespace NsStrata
