// A project import through the program's own link into the virtual mixer: the mixer ends up holding every
// mode of the selected model as the file has it, and the mode selector waits in the queue.
#include "MixerFixture.h"
#include "config/HostImportLink.h"
#include "config/ProjectFile.h"
#include "support/TestHome.h"

using namespace NsStrata;

TEST(ImportToMixer, MixerHoldsEveryModeOfTheFile)
{
    resetLink();
    constexpr int model = 4141;
    const auto preset = shippedPreset();

    // The mixer starts with every mode field at 0, so what it holds afterwards came from the blocks.
    auto blank = preset.createCopy();
    for (int modeId = 1; modeId <= 5; ++modeId)
        for (auto p : childWithId(modelNode(blank, model), modeId))
            p.setProperty(Prop::value, -100000, nullptr);
    auto mixer = connectMixer(model, blank);
    auto& host = *Host::getInstance();
    selection().currentMode = 4;

    const auto folder = StrataTest::freshFolder("mixer");
    const auto file = folder.getChildFile("show.strata");
    ASSERT_TRUE(exportConfiguration(preset, file).wasOk());

    std::vector<std::pair<int, int>> rebinds;
    HostImportLink link([&](int m, int mode) { rebinds.emplace_back(m, mode); });
    linkFlags().sendingGate = true;
    ASSERT_TRUE(importConfiguration(host.state(), file, &link).wasOk());

    EXPECT_EQ(rebinds, (std::vector<std::pair<int, int>>{{3, 4}}));
    EXPECT_TRUE(linkFlags().sendingGate.load()) << "the gate is restored";
    waitForMixer(*mixer, 5);
    EXPECT_EQ(mixer->received().size(), 5u);
    expectMixerHoldsModes(*mixer, modelNode(host.state(), model));

    EXPECT_EQ(mixer->protocolErrors().joinIntoString("\n"), "") << "protocol errors";
    ASSERT_EQ(outgoingQueue().getNumChildren(), 1);
    EXPECT_EQ(readInt(outgoingQueue().getChild(0), Prop::id, 0), ParamId::modeSelector);
    EXPECT_EQ(readInt(outgoingQueue().getChild(0), Prop::value, -1), 4);

    host.setPortBackend(nullptr);
    resetLink();
    folder.deleteRecursively();
}
