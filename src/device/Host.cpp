#include "Host.h"

#include "IncomingApplier.h"
#include "IncomingHandOff.h"
#include "LinkFlags.h"
#include "MessageFraming.h"
#include "MessagePump.h"
#include "MidiInputHandler.h"
#include "OutgoingQueue.h"
#include "model/Models.h"
#include "model/StateTree.h"

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
      handOff(std::make_unique<IncomingHandOff>([this](const IncomingMessage& message)
                                                { applyIncoming(message, state(), listener); }))
{
}

Host::~Host()
{
    connection.reset(); // stops the inputs before the hand-off they post to goes
}

void Host::setPortBackend(std::shared_ptr<PortBackend> newBackend)
{
    connection.reset();
    backend = newBackend != nullptr ? std::move(newBackend) : std::make_shared<NoPorts>();
}

bool Host::connect(bool recreate, bool enabled, const NumberFilter& modelFilter,
                   const NumberFilter& portFilter)
{
    if (!enabled)
    {
        linkClosed = true;
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
    connect(false, false, MidiInputHandler::defaultModelFilter, MidiInputHandler::defaultPortFilter);
    listener = nullptr;
}

bool Host::sendToDevice(const MidiBytes& message)
{
    const auto output = [this] { return connection != nullptr ? connection->currentOutput() : nullptr; };
    if (output() == nullptr)
        return false;
    // Direct sends and the flush each pause after their own messages, but run the message loop while they
    // do, where the other may send: whoever sends next waits out the rest of the pause.
    for (double left; (left = quietUntilMs - juce::Time::getMillisecondCounterHiRes()) > 0;)
        if (!pumpMessagesFor((float) std::ceil(left)) || linkClosed || output() == nullptr)
            return false;
    if (!output()->send(message))
        return false;
    quietUntilMs = juce::Time::getMillisecondCounterHiRes() + quietTimeAfter(message);
    return true;
}

void Host::flushQueue()
{
    struct FlushRunning
    {
        FlushRunning() { linkFlags().flushRunning = true; }
        ~FlushRunning() { linkFlags().flushRunning = false; }
    } running;

    if (connection == nullptr || connection->currentOutput() == nullptr || connection->pairCount() <= 0)
        return;
    auto& queue = outgoingQueue();
    if (queue.getNumChildren() == 0)
        return;

    juce::ValueTree batch{"mode"};
    for (int i = 0; i < batchSize && queue.getNumChildren() > 0; ++i)
    {
        auto head = queue.getChild(0);
        queue.removeChild(0, nullptr);
        batch.appendChild(head, nullptr);
    }
    for (const auto& entry : batch)
    {
        const auto message = frameEntry(entry, selection().selectedModel, selection().deviceModel);
        if (message.empty())
            continue;
        const int type = readInt(entry, Prop::type, -1);
        if (lightsSendIndicator(type))
            linkFlags().sendIndicator = true;
        // The connection may have been closed, or the device pulled, during the last pause.
        if (!sendToDevice(message))
            return;
        // Once the application quits the loop no longer pauses, and the rest would go out at once.
        if (!pumpMessagesFor((float) pauseAfterType(type)) || !pumpMessagesFor(50) || linkClosed)
            return;
    }
}
} // namespace NsStrata
