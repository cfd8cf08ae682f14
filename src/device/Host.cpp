#include "Host.h"

#include "IncomingApplier.h"
#include "IncomingHandOff.h"
#include "LinkFlags.h"
#include "MessageFraming.h"
#include "MessagePump.h"
#include "MidiInputHandler.h"
#include "OutgoingQueue.h"
#include "StartupExchange.h"
#include "model/Models.h"
#include "model/StateTree.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace NsStrata
{
namespace
{
std::unique_ptr<Host>& hostInstance()
{
    static std::unique_ptr<Host> instance;
    return instance;
}

std::mutex& hostLock()
{
    static std::mutex lock;
    return lock;
}

constexpr int batchSize = 6;
} // namespace

Host* Host::getInstance()
{
    std::lock_guard<std::mutex> guard(hostLock());
    auto& instance = hostInstance();
    if (instance == nullptr)
        instance.reset(new Host(std::make_unique<SettingsStore>()));
    return instance.get();
}

bool Host::createInstance(std::unique_ptr<SettingsStore> store)
{
    std::lock_guard<std::mutex> guard(hostLock());
    auto& instance = hostInstance();
    if (instance != nullptr || store == nullptr)
        return false;
    instance.reset(new Host(std::move(store)));
    return true;
}

void Host::deleteInstance()
{
    std::lock_guard<std::mutex> guard(hostLock());
    hostInstance().reset();
}

Host::Host(std::unique_ptr<SettingsStore> store)
    : settingsStore(std::move(store)), backend(std::make_shared<NoPorts>()),
      handOff(std::make_unique<IncomingHandOff>(
          [this](const IncomingMessage& message)
          {
              applyIncoming(message, state(), listener);
              afterIncoming(message);
          })),
      scheduler(std::make_unique<FlushScheduler>(
          outgoingQueue(),
          FlushScheduler::Link{[this]
                               {
                                   const int before = outgoingQueue().getNumChildren();
                                   flushQueue();
                                   return outgoingQueue().getNumChildren() != before;
                               },
                               [this] { return std::max(sent.earliestNext(), quietUntilMs); }}))
{
}

void Host::afterIncoming(const IncomingMessage& message)
{
    // The last reply of the start-up exchange completes it at once, and the selector follows as soon as the
    // pacing allows, rather than on the next poll ticks.
    if (message.kind == IncomingKind::statusBlock || message.kind == IncomingKind::modeBlock)
    {
        checkSynchronised();
        queueModeSelectorOnce(*this);
    }
}

Host::~Host()
{
    connection.reset(); // stops the inputs before the hand-off they post to goes
}

void Host::setPortBackend(std::shared_ptr<PortBackend> newBackend)
{
    scheduler->allow(false);
    ++connectionCount;
    connection.reset();
    // Other ports, another device: what the last one was still owed is not this one's.
    sent.reset();
    quietUntilMs = 0;
    backend = newBackend != nullptr ? std::move(newBackend) : std::make_shared<NoPorts>();
    ++backendSerial;
}

bool Host::connect(bool recreate, bool enabled, const NumberFilter& modelFilter,
                   const NumberFilter& portFilter)
{
    // A flush pausing in the message loop meanwhile sends nothing more on the ports it started on.
    ++connectionCount;
    if (!enabled)
    {
        linkClosed = true;
        scheduler->allow(false);
        if (connection != nullptr)
            connection->closeAll();
        return false;
    }
    linkClosed = false;
    if (recreate || connection == nullptr)
    {
        connection.reset(); // the old ports close before the new ones open
        connection = std::make_unique<MidiInputHandler>(*backend, *handOff, [this] { return !linkClosed; });
    }
    return connection->scan(modelFilter, portFilter);
}

void Host::closeLink()
{
    linkFlags().autoConnect = false;
    scheduler->allow(false);
    connect(false, false, MidiInputHandler::defaultModelFilter, MidiInputHandler::defaultPortFilter);
    listener = nullptr;
}

bool Host::waitUntil(double untilMs)
{
    for (double left; (left = untilMs - juce::Time::getMillisecondCounterHiRes()) > 0;)
        if (!pumpMessagesFor((float) std::ceil(left)) || linkClosed)
            return false;
    return true;
}

bool Host::sendToDevice(const MidiBytes& message)
{
    const auto output = [this] { return connection != nullptr ? connection->currentOutput() : nullptr; };
    if (output() == nullptr)
        return false;
    // Direct sends and the flush each pause after their own messages, but run the message loop while they
    // do, where the other may send: whoever sends next waits out the rest of the pause.
    if (!waitUntil(quietUntilMs) || output() == nullptr)
        return false;
    if (!output()->send(message))
        return false;
    quietUntilMs = juce::Time::getMillisecondCounterHiRes() + quietTimeAfter(message);
    return true;
}

bool Host::canSendAtOnce() const
{
    return !linkFlags().flushRunning && connection != nullptr && connection->currentOutput() != nullptr &&
           juce::Time::getMillisecondCounterHiRes() >= quietUntilMs;
}

void Host::flushQueue()
{
    // The flush runs the message loop in its pauses, where anything may ask for another one.
    if (flushing)
        return;
    struct FlushRunning
    {
        explicit FlushRunning(bool& f) : flag(f) { flag = linkFlags().flushRunning = true; }
        ~FlushRunning() { flag = linkFlags().flushRunning = false; }
        bool& flag;
    } running(flushing);

    if (connection == nullptr || connection->currentOutput() == nullptr || connection->pairCount() <= 0)
        return;
    auto& queue = outgoingQueue();
    const int allowed = sent.sendsInARow(juce::Time::getMillisecondCounterHiRes());
    if (queue.getNumChildren() == 0 || allowed == 0)
        return;

    juce::ValueTree batch{"mode"};
    for (int i = 0; i < std::min(batchSize, allowed) && queue.getNumChildren() > 0; ++i)
    {
        auto head = queue.getChild(0);
        queue.removeChild(0, nullptr);
        batch.appendChild(head, nullptr);
    }
    const int connectionBefore = connectionCount;
    for (const auto& entry : batch)
    {
        const auto message = frameEntry(entry, selection().selectedModel, selection().deviceModel);
        if (message.empty())
            continue;
        const int type = readInt(entry, Prop::type, -1);
        // The batch was sized so that nothing waits here for the pacing; a mode block sent in the last pause
        // may still be owed its quiet time.
        if (!waitUntil(std::max(sent.earliestNext(), quietUntilMs)) || connectionCount != connectionBefore)
            return;
        if (lightsSendIndicator(type))
            linkFlags().sendIndicator = true;
        // The device may have been pulled during the last pause: no more flushes until a poll tick finds
        // its port again.
        if (!sendToDevice(message))
        {
            scheduler->allow(false);
            return;
        }
        sent.recordSend(juce::Time::getMillisecondCounterHiRes(), type);
        // Once the application quits the loop no longer pauses, and the rest would go out at once. The
        // ports the batch started on may be closed or replaced in a pause: the rest is not theirs to send.
        if (!pumpMessagesFor((float) pauseAfterType(type)) || !pumpMessagesFor(50) || linkClosed ||
            connectionCount != connectionBefore)
            return;
    }
}
} // namespace NsStrata
