#pragma once
// The program's own link connected to a virtual mixer, and checks of what the mixer ends up holding.
#include "../device/LinkFixture.h"
#include "device/BlockLayouts.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "sim/VirtualMixer.h"

#include <memory>

/** A mixer of model whose parameters start from tree, connected to the Host, whose state is tree too. */
inline std::shared_ptr<NsStrata::VirtualMixer> connectMixer(int model, const juce::ValueTree& tree)
{
    auto mixer = std::make_shared<NsStrata::VirtualMixer>(model, tree);
    auto& host = *NsStrata::Host::getInstance();
    host.settings().setState(tree);
    NsStrata::selection().selectedModel = model;
    host.setPortBackend(mixer);
    const auto any = [](int) { return true; };
    EXPECT_TRUE(host.connect(true, true, any, any));
    mixer->clearReceived();
    return mixer;
}

/** Runs the message loop until the mixer has taken count messages, for at most 5 s: it takes them in its
    own time, as a device does. */
inline void waitForMixer(const NsStrata::VirtualMixer& mixer, size_t count)
{
    for (int i = 0; i < 100 && mixer.received().size() < count; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
}

/** Every mode field the mixer holds is the one of the mode nodes of model (a model node). */
inline void expectMixerHoldsModes(const NsStrata::VirtualMixer& mixer, const juce::ValueTree& model)
{
    using namespace NsStrata;
    for (int modeId = 1; modeId <= 5; ++modeId)
    {
        for (int id : DeviceBlocks::modeLayout)
        {
            if (id != 0)
            {
                EXPECT_EQ(mixer.deviceValueOf(id, modeId),
                          unpack7BitGroups(deviceValue(parameterNode(model, id, modeId))))
                    << "mode " << modeId << " id " << id;
            }
        }
    }
}
