// A project import through the program's own link into the virtual mixer: the mixer ends up holding every
// mode of the selected model as the file has it, and the mode selector waits in the queue.
#include "../model/PresetFixture.h"
#include "config/HostImportLink.h"
#include "config/ProjectFile.h"
#include "device/BlockLayouts.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/OutgoingQueue.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/Models.h"
#include "sim/VirtualMixer.h"
#include "support/TestHome.h"

using namespace NsStrata;

namespace
{
void resetLink()
{
    Host::deleteInstance();
    linkFlags().reset();
    resetOutgoingQueue();
    selection().reset();
}
} // namespace

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
    auto mixer = std::make_shared<VirtualMixer>(model, blank);

    auto& host = *Host::getInstance();
    host.settings().setState(blank);
    selection().selectedModel = model;
    selection().currentMode = 4;
    host.setPortBackend(mixer);
    const auto any = [](int) { return true; };
    ASSERT_TRUE(host.connect(true, true, any, any));
    mixer->clearReceived();

    const auto folder = StrataTest::freshFolder("mixer");
    const auto file = folder.getChildFile("show.strata");
    ASSERT_TRUE(exportConfiguration(preset, file).wasOk());

    std::vector<std::pair<int, int>> rebinds;
    HostImportLink link([&](int m, int mode) { rebinds.emplace_back(m, mode); });
    linkFlags().sendingGate = true;
    ASSERT_TRUE(importConfiguration(host.state(), file, &link).wasOk());

    EXPECT_EQ(rebinds, (std::vector<std::pair<int, int>>{{3, 4}}));
    EXPECT_TRUE(linkFlags().sendingGate.load()) << "the gate is restored";
    EXPECT_EQ(mixer->received().size(), 5u);
    const auto imported = modelNode(host.state(), model);
    for (int modeId = 1; modeId <= 5; ++modeId)
    {
        for (int id : DeviceBlocks::modeLayout)
        {
            if (id != 0)
            {
                EXPECT_EQ(mixer->deviceValueOf(id, modeId),
                          unpack7BitGroups(deviceValue(parameterNode(imported, id, modeId))))
                    << "mode " << modeId << " id " << id;
            }
        }
    }

    EXPECT_EQ(mixer->protocolErrors().joinIntoString("\n"), "") << "protocol errors";
    ASSERT_EQ(outgoingQueue().getNumChildren(), 1);
    EXPECT_EQ(readInt(outgoingQueue().getChild(0), Prop::id, 0), ParamId::modeSelector);
    EXPECT_EQ(readInt(outgoingQueue().getChild(0), Prop::value, -1), 4);

    host.setPortBackend(nullptr);
    resetLink();
    folder.deleteRecursively();
}
