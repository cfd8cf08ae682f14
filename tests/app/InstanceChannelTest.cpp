// One running instance per settings folder: a later start reaches the running one, which hears its command
// line; other folders and ended instances do not get in the way.
#include "app/InstanceChannel.h"
#include "support/TestHome.h"

#include <atomic>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace NsStrata;

namespace
{
// The running instance hears later starts on the message thread, so the later start's side runs on a thread
// of its own while this one runs the message loop.
bool notifyWhilePumping(
    const InstanceChannel& later, const juce::String& commandLine, int timeoutMs,
    const std::function<bool()>& heard = [] { return true; })
{
    std::atomic<bool> done{false};
    bool delivered = false;
    std::thread sender(
        [&]
        {
            delivered = later.notifyRunningInstance(commandLine, timeoutMs);
            done = true;
        });
    for (int i = 0; i < 400 && !(done && heard()); ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(25);
    sender.join();
    return delivered;
}

class PlainSender : public juce::InterprocessConnection
{
public:
    PlainSender() : juce::InterprocessConnection(false) {}
    ~PlainSender() override { disconnect(); }
    void connectionMade() override {}
    void connectionLost() override {}
    void messageReceived(const juce::MemoryBlock&) override {}
};
} // namespace

TEST(InstanceChannel, ALaterStartReachesTheRunningInstanceOfItsFolder)
{
    const auto folder = StrataTest::freshFolder("instance");
    juce::StringArray heard;
    auto running = std::make_unique<InstanceChannel>(folder);
    ASSERT_TRUE(running->claim([&](const juce::String& line) { heard.add(line); }));
    EXPECT_TRUE(running->lockFile().existsAsFile());
    ASSERT_TRUE(running->portFile().existsAsFile());

    // Something else on the port that does not speak the channel's language is ignored.
    {
        PlainSender stranger;
        ASSERT_TRUE(stranger.connectToSocket("127.0.0.1",
                                             running->portFile().loadFileAsString().getIntValue(), 1000));
        ASSERT_TRUE(stranger.sendMessage(juce::MemoryBlock("Other/--x", 9)));
    }

    InstanceChannel later(folder);
    EXPECT_FALSE(later.claim([](const juce::String&) {})) << "two instances on one folder";
    EXPECT_TRUE(
        notifyWhilePumping(later, "--virtual-device \"a b\"", 5000, [&] { return !heard.isEmpty(); }));
    EXPECT_EQ(heard, juce::StringArray{"--virtual-device \"a b\""});

    // Another folder is another instance.
    InstanceChannel elsewhere(StrataTest::freshFolder("instance-other"));
    EXPECT_TRUE(elsewhere.claim([](const juce::String&) {}));

    // Once the running instance ends, the next start runs.
    running.reset();
    EXPECT_FALSE(InstanceChannel(folder).portFile().exists());
    InstanceChannel next(folder);
    EXPECT_TRUE(next.claim([](const juce::String&) {}));
}

TEST(InstanceChannel, WithNobodyListeningTheNotificationFails)
{
    const auto folder = StrataTest::freshFolder("instance-none");
    InstanceChannel later(folder);
    EXPECT_FALSE(notifyWhilePumping(later, "", 300)) << "no port file";

    // A port left behind by an instance that crashed.
    juce::StreamingSocket closed;
    ASSERT_TRUE(closed.createListener(0, "127.0.0.1"));
    const auto port = closed.getBoundPort();
    closed.close();
    ASSERT_TRUE(later.portFile().replaceWithText(juce::String(port)));
    EXPECT_FALSE(notifyWhilePumping(later, "", 300)) << "a stale port";
}

TEST(InstanceChannel, OnlyARequestWithTheOwnersTokenIsHeard)
{
    const auto folder = StrataTest::freshFolder("instance-token");
    juce::StringArray heard;
    InstanceChannel running(folder);
    ASSERT_TRUE(running.claim([&](const juce::String& line) { heard.add(line); }));

    struct stat info
    {
    };
    ASSERT_EQ(::stat(running.portFile().getFullPathName().toRawUTF8(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "the token is for the owner's eyes only";

    // In the channel's framing: header number, length, then the text (the length may claim more).
    const auto framed = [](const juce::String& body, juce::int64 claimed = -1)
    {
        juce::MemoryOutputStream out;
        out.writeInt((int) 0xf2b49e2c);
        out.writeInt((int) (claimed >= 0 ? claimed : (juce::int64) body.getNumBytesAsUTF8()));
        out << body;
        return out.getMemoryBlock();
    };
    const struct
    {
        const char* what;
        juce::MemoryBlock bytes;
    } strangers[] = {
        {"another program's bytes", juce::MemoryBlock("GET / HTTP/1.0\r\n\r\n", 18)},
        {"a request without the token", framed("Strata/--virtual-device")},
        {"a wrong token", framed("Strata/0123456789abcdef0123456789abcdef\n--x")},
        {"a length that would take a gigabyte", framed({}, 1 << 30)},
    };
    const int port = running.portFile().loadFileAsString().getIntValue();
    for (const auto& s : strangers)
    {
        juce::StreamingSocket socket;
        ASSERT_TRUE(socket.connect("127.0.0.1", port, 1000)) << s.what;
        ASSERT_EQ(socket.write(s.bytes.getData(), (int) s.bytes.getSize()), (int) s.bytes.getSize())
            << s.what;
        char reply = 0;
        // Closed at once: the end of the stream, or a reset where bytes were left unread.
        EXPECT_NE(socket.waitUntilReady(true, 3000), 0) << s.what << ": left open";
        EXPECT_LE(socket.read(&reply, 1, false), 0) << s.what << ": answered";
    }
    juce::MessageManager::getInstance()->runDispatchLoopUntil(200);
    EXPECT_TRUE(heard.isEmpty()) << heard.joinIntoString("|");

    // One that connects and says nothing does not keep the owner's later start out for long.
    juce::StreamingSocket silent;
    ASSERT_TRUE(silent.connect("127.0.0.1", port, 1000));
    InstanceChannel later(folder);
    EXPECT_TRUE(notifyWhilePumping(later, "--trace x", 5000, [&] { return !heard.isEmpty(); }));
    EXPECT_EQ(heard, juce::StringArray{"--trace x"});
}
