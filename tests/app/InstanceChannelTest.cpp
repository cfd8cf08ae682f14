// One running instance per settings folder: a later start reaches the running one, which hears its command
// line; other folders and ended instances do not get in the way.
#include "app/InstanceChannel.h"
#include "support/TestHome.h"

#include <atomic>
#include <gtest/gtest.h>
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
