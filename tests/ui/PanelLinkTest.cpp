// The main screen with its panel against the virtual mixer and the virtual DSP, on the real poll tick:
// edits, switches, mode changes and copies reach the mixer paced and well formed; what the mixer reports
// shows without being sent back; the meter follows; a jingle goes into the DSP's flash while the link runs.
#include "PanelFixture.h"

#include "device/MessagePump.h"
#include "model/Conversions.h"
#include "model/StateLoader.h"
#include "sim/VirtualDspUsb.h"
#include "ui/main/MainScreen.h"

using namespace NsStrata;

namespace
{
/** The parameter messages the mixer received for a parameter's address, since index from. */
std::vector<MidiBytes> messagesFor(const VirtualMixer& mixer, int paramId, std::size_t from = 0)
{
    const auto address = addressOf(paramId);
    std::vector<MidiBytes> found;
    const auto log = mixer.received();
    for (std::size_t i = from; i < log.size(); ++i)
    {
        const auto& b = log[i].bytes;
        if (b.size() > 8 && b[1] == 0x00 && b[6] == (address >> 8) && b[7] == (address & 0x7F))
            found.push_back(b);
    }
    return found;
}

class PanelLinkTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        Host::getInstance()->settings().setState(shippedPreset());
        mixer = std::make_shared<VirtualMixer>(ardentModel, shippedPreset());
        dsp = std::make_shared<VirtualDsp>();
        screen = std::make_unique<MainScreen>(mixer, new VirtualDspRoot({dsp}));
        screen->setBounds(0, 0, MainScreen::designWidth, MainScreen::designHeight);
        ASSERT_TRUE(pumpUntil([] { return linkFlags().synchronised && linkFlags().modeSelectorSent; }))
            << "the link synchronises";
        ASSERT_TRUE(pumpUntil([] { return outgoingQueue().getNumChildren() == 0; }));
    }

    void TearDown() override
    {
        screen.reset();
        mixer.reset();
        UiTest::TearDown();
    }

    MixerPanel& panel() { return screen->mixerPanel(); }
    static juce::ValueTree live(int id, int mode = 1)
    {
        return parameterNode(modelNode(Host::getInstance()->state(), ardentModel), id, mode);
    }

    std::shared_ptr<VirtualMixer> mixer;
    std::shared_ptr<VirtualDsp> dsp;
    std::unique_ptr<MainScreen> screen;
};
} // namespace

TEST_F(PanelLinkTest, EditsReachTheMixerPacedAndReportsComeBackWithoutEcho)
{
    EXPECT_FALSE(panel().isCoverVisible()) << "a mixer is connected";
    EXPECT_EQ(panel().boundModel(), ardentModel);

    // A knob: MIC1 to +12 dB.
    panel().knob(0).slider().setValue(12, juce::sendNotificationSync);
    const auto mic1 = live(ParamId::mic1);
    const auto expected = messageValue(mic1, ardentModel);
    ASSERT_TRUE(pumpUntil([&] { return mixer->deviceValueOf(ParamId::mic1, 0) == expected; }));
    EXPECT_EQ(messagesFor(*mixer, ParamId::mic1).size(), 1u);

    // A section switch: DE-ESSER.
    auto* deEsser = panel().sectionSwitch(PanelSection::deEsser);
    const bool wasOn = deEsser->isOn();
    deEsser->press();
    ASSERT_TRUE(pumpUntil([&] { return (mixer->deviceValueOf(18, 1) != 0) == !wasOn; }));

    // A mode: KTV; then a copy of KTV into USER 2.
    panel().buttonClicked(&panel().modeButton(2));
    ASSERT_TRUE(pumpUntil([&] { return mixer->currentMode() == 2; }));
    const auto before = mixer->received().size();
    panel().buttonClicked(&panel().copyButton(5));
    ASSERT_TRUE(pumpUntil([&] { return mixer->currentMode() == 5; }));
    const auto log = mixer->received();
    const auto block = std::find_if(log.begin() + (long) before, log.end(),
                                    [](const VirtualMixer::Received& r) { return r.bytes.size() == 61; });
    ASSERT_NE(block, log.end()) << "the copied mode went out as a mode block";
    EXPECT_EQ(block->bytes[10], 5) << "action: a copied mode";
    EXPECT_EQ(block->bytes[9] & 0x0C, 8) << "into USER 2";
    EXPECT_EQ(panel().shownMode(), 5);

    // The mixer's own knob: HP moves on screen, and nothing goes back.
    const auto sentBefore = mixer->received().size();
    const double hpBefore = panel().knob(2).slider().getValue();
    const uint32_t reported = messageValue(live(ParamId::headphones), ardentModel) == 10 ? 20 : 10;
    mixer->turnKnob(ParamId::headphones, reported);
    ASSERT_TRUE(pumpUntil([&] { return panel().knob(2).slider().getValue() != hpBefore; }));
    EXPECT_NEAR(readDouble(live(ParamId::headphones), Prop::value, 0), panel().knob(2).getValue(), 0.5);
    pumpMessagesFor(1000);
    EXPECT_TRUE(messagesFor(*mixer, ParamId::headphones, sentBefore).empty()) << "a report is not echoed";

    // The meter follows the mixer's moving level, polling fast while it is loud.
    std::set<int> levels;
    pumpUntil(
        [&]
        {
            levels.insert(juce::roundToInt(panel().levelDisplay().slider().getValue()));
            return levels.size() >= 3;
        },
        4000);
    EXPECT_GE(levels.size(), 3u);
    EXPECT_EQ(panel().levelTimer()->interval(), LevelPollTimer::fastIntervalMs);

    EXPECT_TRUE(sawNoProtocolError(*mixer));
}

TEST_F(PanelLinkTest, SendJingleWhileTheLinkRunsAndTheCoverWhenTheMixerGoes)
{
    auto& jingles = screen->jingleLibrary();
    ASSERT_TRUE(jingles.storedFile(1).existsAsFile()) << "the factory set filled slot 1";
    EXPECT_EQ(panel().pad(1).getDisplayName(), jingles.name(1));

    panel().onJingleMenuItem(ButtonKind::jingleMenu, PanelMenu::sendJingle, &panel().jingleMenuButton(1));
    EXPECT_EQ(dialogs.messages, juce::StringArray{"Send jingle OK!"});
    EXPECT_EQ(dsp->protocolErrors(), 0) << dsp->lastProtocolError();
    juce::MemoryBlock stored;
    jingles.storedFile(1).loadFileAsData(stored);
    const auto flash =
        dsp->readFlash(uint32_t(VirtualDsp::defaultRanges()[0].startHigh) << 16, (uint32_t) stored.getSize());
    EXPECT_EQ(0, std::memcmp(flash.data(), stored.getData(), stored.getSize()));

    mixer->unplug();
    EXPECT_TRUE(pumpUntil([&] { return panel().isCoverVisible(); })) << "the cover says the mixer is gone";
    screen->toggleOfflineView();
    EXPECT_FALSE(panel().isCoverVisible()) << "offline view shows the panel without a mixer";
    pumpMessagesFor(700);
    EXPECT_FALSE(panel().isCoverVisible()) << "and keeps it shown";
    screen->toggleOfflineView();
    EXPECT_TRUE(panel().isCoverVisible());
    mixer->plugIn();
    EXPECT_TRUE(pumpUntil([&] { return !panel().isCoverVisible(); }));
    EXPECT_TRUE(sawNoProtocolError(*mixer));
}
