#include "InstanceChannel.h"

#include "store/InstanceLock.h"

#include <atomic>
#include <random>

#if !JUCE_WINDOWS
#include <fcntl.h>
#include <unistd.h>
#endif

namespace NsStrata
{
namespace
{
const juce::String requestPrefix{"Strata/"};
const juce::String acknowledgement{"Strata/ok"};
const juce::String loopback{"127.0.0.1"};

// The framework's message framing (its default header number, then the length), so that the later start
// can use a plain InterprocessConnection.
constexpr juce::uint32 messageMagic = 0xf2b49e2c;
constexpr juce::uint32 largestRequest = 64 * 1024;
constexpr int requestTimeoutMs = 1000;

juce::MemoryBlock toBlock(const juce::String& text)
{
    return {text.toRawUTF8(), text.getNumBytesAsUTF8()};
}

// 128 bits from the system's random source.
juce::String newToken()
{
    std::random_device source;
    juce::String token;
    for (int i = 0; i < 4; ++i)
        token << juce::String::toHexString((juce::int64) source()).paddedLeft('0', 8);
    return token;
}

// Written under a new name and renamed, so the token is never readable by others, not even for a moment.
bool replaceOwnerOnly(const juce::File& file, const juce::String& text)
{
#if JUCE_WINDOWS
    return file.replaceWithText(text);
#else
    const auto temp = file.getSiblingFile(file.getFileName() + ".new").getFullPathName().toStdString();
    ::unlink(temp.c_str());
    const int handle = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (handle < 0)
        return false;
    const auto bytes = (ssize_t) text.getNumBytesAsUTF8();
    bool ok = ::write(handle, text.toRawUTF8(), (size_t) bytes) == bytes;
    ok = ::close(handle) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), file.getFullPathName().toRawUTF8()) == 0;
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
#endif
}

// Reads exactly size bytes unless the deadline passes or the peer goes.
bool readFully(juce::StreamingSocket& socket, void* destination, int size, juce::uint32 deadline)
{
    auto* bytes = static_cast<char*>(destination);
    for (int done = 0; done < size;)
    {
        const auto now = juce::Time::getMillisecondCounter();
        if (now >= deadline || socket.waitUntilReady(true, (int) (deadline - now)) != 1)
            return false;
        const int got = socket.read(bytes + done, size - done, false);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool sendFramed(juce::StreamingSocket& socket, const juce::MemoryBlock& message)
{
    const juce::uint32 header[] = {juce::ByteOrder::swapIfBigEndian(messageMagic),
                                   juce::ByteOrder::swapIfBigEndian((juce::uint32) message.getSize())};
    return socket.write(header, (int) sizeof(header)) == (int) sizeof(header) &&
           socket.write(message.getData(), (int) message.getSize()) == (int) message.getSize();
}

// The later start's end: its callbacks run on the connection's own thread, because the message loop of a
// starting application is not running yet.
class Outgoing : public juce::InterprocessConnection
{
public:
    Outgoing() : juce::InterprocessConnection(false, messageMagic) {}
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

// The running instance's end. Every local account can reach a loopback port, so a request is heard only
// with the token kept in the owner-only port file; anything else is closed unheard, after at most a small
// read and a second.
class InstanceChannel::Listener : private juce::Thread
{
public:
    Listener(StartHandler handlerToUse, juce::String tokenToExpect)
        : juce::Thread("Strata instance channel"), handler(std::move(handlerToUse)),
          token(std::move(tokenToExpect))
    {
    }

    ~Listener() override
    {
        signalThreadShouldExit();
        stopThread(4000);
        socket.close();
        *alive = false; // requests already posted to the message thread are dropped
    }

    bool start()
    {
        if (!socket.createListener(0, loopback))
            return false;
        startThread();
        return true;
    }

    int port() const { return socket.getBoundPort(); }

private:
    void run() override
    {
        while (!threadShouldExit())
            if (socket.waitUntilReady(true, 100) == 1)
                if (std::unique_ptr<juce::StreamingSocket> peer{socket.waitForNextConnection()})
                    serve(*peer);
    }

    void serve(juce::StreamingSocket& peer)
    {
        const auto deadline = juce::Time::getMillisecondCounter() + requestTimeoutMs;
        juce::uint32 header[2] = {};
        if (!readFully(peer, header, (int) sizeof(header), deadline) ||
            juce::ByteOrder::swapIfBigEndian(header[0]) != messageMagic)
            return;
        const auto size = juce::ByteOrder::swapIfBigEndian(header[1]);
        if (size > largestRequest)
            return;
        juce::MemoryBlock message(size);
        if (!readFully(peer, message.getData(), (int) size, deadline))
            return;

        const auto text = message.toString();
        const auto expected = requestPrefix + token + "\n";
        if (!text.startsWith(expected))
            return;
        // Acknowledge first, so the later start can exit while the window comes forward.
        sendFramed(peer, toBlock(acknowledgement));
        juce::MessageManager::callAsync(
            [handlerToCall = handler, stillAlive = alive, line = text.substring(expected.length())]
            {
                if (*stillAlive && handlerToCall)
                    handlerToCall(line);
            });
    }

    StartHandler handler;
    const juce::String token;
    juce::StreamingSocket socket;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
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
    // Without a usable lock file or port the program still runs; it just cannot be found by a later start.
    const auto token = newToken();
    auto server = std::make_unique<Listener>(std::move(onAnotherStart), token);
    if (server->start() && replaceOwnerOnly(portFile(), juce::String(server->port()) + " " + token + "\n"))
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
        const auto fields = juce::StringArray::fromTokens(portFile().loadFileAsString(), " \r\n", "");
        const auto port = fields[0].getIntValue();
        if (port > 0 && port < 65536 && fields.size() >= 2)
        {
            Outgoing connection;
            if (connection.connectToSocket(loopback, port, juce::jmax(1, juce::jmin(250, remaining()))) &&
                connection.sendMessage(toBlock(requestPrefix + fields[1] + "\n" + commandLine)) &&
                connection.acknowledged.wait((double) remaining()))
                return true;
        }
        if (remaining() <= 0)
            return false;
        juce::Thread::sleep(juce::jmin(50, remaining()));
    }
}
} // namespace NsStrata
