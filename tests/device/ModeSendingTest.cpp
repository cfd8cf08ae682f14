// The link's side of mode switches and copies: the selector is queued, a copied mode goes out at once.
#include "LinkFixture.h"

#include "device/LinkModeEffects.h"
#include "model/Modes.h"

using namespace NsStrata;

namespace
{
class GateRecorder : public RecordingListener
{
public:
    std::vector<bool> gateDuringRebind;
    void rebindPanel(int modeId) override
    {
        RecordingListener::rebindPanel(modeId);
        gateDuringRebind.push_back(linkFlags().sendingGate);
    }
};

// A stand-in block with the mode byte and action byte where the device expects them.
MidiBytes copiedBlock(const juce::ValueTree& modeNode)
{
    MidiBytes block = {0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, 0x7C, 0x01, 0x33, uint8_t(modeByteValue(modeNode)),
                       0x05};
    block.resize(60, 0);
    block.push_back(0xF7);
    return block;
}

class ModeSendingTest : public LinkTest
{
protected:
    void SetUp() override
    {
        LinkTest::SetUp();
        selection().selectedModel = 4115;
        host().setListener(&listener);
        effects = std::make_unique<LinkModeEffects>(host(),
                                                    [this](const juce::ValueTree& modeNode)
                                                    {
                                                        ++blocksBuilt;
                                                        return copiedBlock(modeNode);
                                                    });
        modes = std::make_unique<ModeController>(tree(), *effects);
    }

    void TearDown() override
    {
        modes.reset();
        effects.reset();
        LinkTest::TearDown();
    }

    juce::ValueTree queuedSelector() const { return childWithId(outgoingQueue(), ParamId::modeSelector); }

    GateRecorder listener;
    int blocksBuilt = 0;
    std::unique_ptr<LinkModeEffects> effects;
    std::unique_ptr<ModeController> modes;
};
} // namespace

TEST_F(ModeSendingTest, SelectingAModeQueuesItsSelectorForced)
{
    childWithId(modelNode(tree(), 4115), 4).setProperty(Prop::basedOnId, 3, nullptr);
    linkFlags().sendingGate = true;
    modes->selectMode(4, 1);
    ASSERT_TRUE(queuedSelector().isValid()) << "queued although the link is not synchronised";
    EXPECT_EQ((int) queuedSelector()[Prop::value], 6);
    EXPECT_EQ(listener.rebinds, std::vector<int>{4});
    EXPECT_EQ(listener.gateDuringRebind, std::vector<bool>{false});
    EXPECT_TRUE(linkFlags().sendingGate) << "restored after the rebind";

    modes->selectMode(2, 1);
    modes->selectMode(2, 2);
    EXPECT_EQ(outgoingQueue().getNumChildren(), 1) << "the later selector replaces the queued one";
    EXPECT_EQ((int) queuedSelector()[Prop::value], 1);
}

TEST_F(ModeSendingTest, ACopiedModeGoesOutAsABlockAtOnce)
{
    modes->copyModeInto(5);
    EXPECT_EQ(blocksBuilt, 1);
    EXPECT_EQ((int) queuedSelector()[Prop::value], 8) << "without a connection the block is not sent";

    auto mixer = std::make_shared<VirtualMixer>(4115, shippedPreset());
    host().setPortBackend(mixer);
    DevicePollTimer timer(host());
    tickAndSettle(timer, *mixer);
    ASSERT_TRUE(linkFlags().synchronised);
    mixer->clearReceived();

    selection().currentMode = 2;
    modes->copyModeInto(4);
    ASSERT_FALSE(mixer->received().empty());
    EXPECT_EQ(mixer->received()[0].bytes.size(), 61u) << "the block goes at once";
    EXPECT_EQ(mixer->received()[0].bytes[10], 0x05) << "action byte of a copied mode";
    runUntilQuiet(*mixer);
    const auto received = mixer->received();
    ASSERT_EQ(received.size(), 2u) << "and the queued selector after it";
    const int selector = addressOf(ParamId::modeSelector);
    EXPECT_EQ(received[1].bytes, MidiBytes({0xF0, 0x00, 0x02, 0x4E, 0x20, 0x13, uint8_t(selector >> 8),
                                            uint8_t(selector & 0x7F), 4, 0xF7}));
    EXPECT_TRUE(sawNoProtocolError(*mixer));
}
