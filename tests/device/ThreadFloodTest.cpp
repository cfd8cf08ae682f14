// The input side flooded from another thread while the message thread edits the tree: every report is
// applied, on the message thread, in the order it arrived (run under ThreadSanitizer too).
#include "LinkFixture.h"

#include <atomic>
#include <thread>

using namespace NsStrata;

namespace
{
class ThreadFloodTest : public LinkTest
{
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        selection().selectedModel = 4115;
        mixer = std::make_shared<VirtualMixer>(4115, shippedPreset());
        host().setPortBackend(mixer);
        host().setListener(&listener);
        DevicePollTimer timer(host());
        tickAndSettle(timer, *mixer);
    }

    void TearDown() override
    {
        EXPECT_TRUE(sawNoProtocolError(*mixer));
        LinkTest::TearDown();
    }

    std::shared_ptr<VirtualMixer> mixer;
    RecordingListener listener;
};
} // namespace

TEST_F(ThreadFloodTest, ReportsFromTheInputThreadArriveWholeAndInOrder)
{
    ASSERT_TRUE(linkFlags().synchronised);
    const int reports = 3000;
    std::vector<RecordingListener::Pad> sent;
    for (int i = 0; i < reports; ++i)
        sent.push_back({i % 9, (i / 9) % 2 == 0});

    std::atomic<bool> done{false};
    std::thread device(
        [&]
        {
            for (int i = 0; i < reports; ++i)
            {
                mixer->reportJingle(sent[(std::size_t) i].position, sent[(std::size_t) i].on);
                mixer->turnKnob(21, uint32_t(34 + i % 61)); // EQ -15..+15 dB
            }
            done = true;
        });

    // Meanwhile the screen edits and queues, as a user turning knobs would.
    auto eq = node(22);
    for (int edit = 0; !done; ++edit)
    {
        eq.setProperty(Prop::value, edit % 30 - 15, nullptr);
        queueEntry(eq, true, true);
        pumpMessagesFor(1);
    }
    device.join();
    settle(*mixer);

    EXPECT_EQ(listener.pads, sent);
    EXPECT_DOUBLE_EQ((double) node(21)[Prop::value], ((34 + (reports - 1) % 61) - 64) / 2.0)
        << "the last report is the one that stays";
    EXPECT_TRUE(linkFlags().deviceEdited);
}
