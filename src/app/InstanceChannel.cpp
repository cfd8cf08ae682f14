#include "InstanceChannel.h"

#include "store/InstanceLock.h"

namespace NsStrata
{
namespace
{
const juce::String requestPrefix{"Strata/"};
const juce::String acknowledgement{"Strata/ok"};
const juce::String loopback{"127.0.0.1"};

juce::MemoryBlock toBlock(const juce::String& text)
{
    return {text.toRawUTF8(), text.getNumBytesAsUTF8()};
}

// The running instance's end of one later start.
class Incoming : public juce::InterprocessConnection
{
public:
    explicit Incoming(const InstanceChannel::StartHandler& handlerToUse)
        : juce::InterprocessConnection(true), handler(handlerToUse)
    {
    }
    ~Incoming() override { disconnect(); }

    void connectionMade() override {}
    void connectionLost() override {}
    void messageReceived(const juce::MemoryBlock& message) override
    {
        const auto text = message.toString();
        if (!text.startsWith(requestPrefix))
            return;
        // Acknowledge first, so the later start can exit while the window comes forward.
        sendMessage(toBlock(acknowledgement));
        if (handler)
            handler(text.substring(requestPrefix.length()));
    }

private:
    const InstanceChannel::StartHandler& handler;
};

// The later start's end: its callbacks run on the connection's own thread, because the message loop of a
// starting application is not running yet.
class Outgoing : public juce::InterprocessConnection
{
public:
    Outgoing() : juce::InterprocessConnection(false) {}
    ~Outgoing() override { disconnect(); }

    void connectionMade() override {}
    void connectionLost() override {}
    void messageReceived(const juce::MemoryBlock& message) override
    {
        if (message.toString() == acknowledgement)
            acknowledged.signal();
    }

    juce::WaitableEvent acknowledged;
};
} // namespace

class InstanceChannel::Listener : public juce::InterprocessConnectionServer
{
public:
    explicit Listener(StartHandler handlerToUse) : handler(std::move(handlerToUse)) {}

    ~Listener() override
    {
        stop();
        const juce::ScopedLock sl(lock);
        connections.clear();
    }

    juce::InterprocessConnection* createConnectionObject() override
    {
        const juce::ScopedLock sl(lock);
        for (int i = connections.size(); --i >= 0;)
            if (!connections[i]->isConnected())
                connections.remove(i);
        return connections.add(new Incoming(handler));
    }

private:
    StartHandler handler;
    juce::CriticalSection lock;
    juce::OwnedArray<Incoming> connections;
};

InstanceChannel::InstanceChannel(const juce::File& folderToUse) : folder(folderToUse) {}

juce::File InstanceChannel::lockFile() const
{
    return InstanceLock::lockFileIn(folder);
}

InstanceChannel::~InstanceChannel()
{
    if (listener != nullptr)
    {
        listener.reset();
        portFile().deleteFile();
    }
    lock.reset();
}

bool InstanceChannel::claim(StartHandler onAnotherStart)
{
    lock = std::make_unique<InstanceLock>(folder);
    if (lock->state() == InstanceLock::State::heldElsewhere)
    {
        lock.reset();
        return false;
    }
    // Without a usable lock file the program still runs; it just cannot be found by a later start.
    auto server = std::make_unique<Listener>(std::move(onAnotherStart));
    if (server->beginWaitingForSocket(0, loopback) &&
        portFile().replaceWithText(juce::String(server->getBoundPort())))
        listener = std::move(server);
    return true;
}

bool InstanceChannel::notifyRunningInstance(const juce::String& commandLine, int timeoutMs) const
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) juce::jmax(0, timeoutMs);
    const auto remaining = [deadline]
    { return (int) (deadline - juce::jmin(deadline, juce::Time::getMillisecondCounter())); };

    // The running instance may still be writing its port: retry until the deadline.
    for (;;)
    {
        const auto port = portFile().loadFileAsString().trim().getIntValue();
        if (port > 0 && port < 65536)
        {
            Outgoing connection;
            if (connection.connectToSocket(loopback, port, juce::jmax(1, juce::jmin(250, remaining()))) &&
                connection.sendMessage(toBlock(requestPrefix + commandLine)) &&
                connection.acknowledged.wait((double) remaining()))
                return true;
        }
        if (remaining() <= 0)
            return false;
        juce::Thread::sleep(juce::jmin(50, remaining()));
    }
}
} // namespace NsStrata
