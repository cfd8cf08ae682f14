// libFuzzer target: any bytes as what arrives on the device's input port. The first two bytes choose the
// selected model and the current mode; the rest is cut into messages after each F7 and goes through the input
// callback, the hand-off and the applying, into a fresh copy of the shipped preset's node of that model.
#include "device/Host.h"
#include "device/IncomingApplier.h"
#include "device/IncomingHandOff.h"
#include "device/LinkFlags.h"
#include "device/LinkListener.h"
#include "device/MidiInputHandler.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/Assets.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace
{
using namespace NsStrata;

// Pads outside 0..8 would index past the panel's nine buttons.
class CheckingListener : public LinkListener
{
public:
    void setJinglePad(int position, bool) override
    {
        if (position < 0 || position > 8)
            std::abort();
    }
    void switchAllJinglePadsOff() override {}
    void showFirmwareVersion(const juce::String&) override {}
    void refreshFromState(bool) override {}
    void rebindPanel(int) override {}
    void setCoverLabelVisible(bool) override {}
    void setWindowTitle(const juce::String&) override {}
};

const juce::ValueTree& preset()
{
    static const juce::ValueTree tree = treeFromXmlText(loadAssetText("Strata/preset/preset.xml", false));
    return tree;
}

struct Target
{
    juce::ValueTree* tree = nullptr;
    LinkListener* listener = nullptr;
} target;

IncomingHandOff& handOff()
{
    static IncomingHandOff handOff([](const IncomingMessage& m)
                                   { applyIncoming(m, *target.tree, target.listener); });
    return handOff;
}

// Made once: making a connection pauses to let the message loop run.
Host::MidiInputHandler& handler()
{
    static NoPorts ports;
    static Host::MidiInputHandler handler(ports, handOff());
    return handler;
}

// Every stored value must stay a finite number.
void checkFinite(const juce::ValueTree& root)
{
    forEachParameter(root,
                     [](const juce::ValueTree&, const juce::ValueTree&, const juce::ValueTree& param)
                     {
                         const auto& v = param[Prop::value];
                         if (v.isDouble() && !std::isfinite((double) v))
                             std::abort();
                     });
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!isUsableTree(preset()))
        std::abort(); // the fuzzer runs beside the laid-out resources
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    linkFlags().reset();
    selection().reset();
    selection().selectedModel = supportedModels[data[0] & 3];
    selection().deviceModel = supportedModels[(data[0] >> 2) & 3];
    selection().currentMode = 1 + data[1] % 5;

    // Only the selected model's node: the others are never touched, and copying them would slow every run.
    juce::ValueTree tree{preset().getType()};
    tree.appendChild(modelNode(preset(), selection().selectedModel).createCopy(), nullptr);
    CheckingListener listener;
    target = {&tree, &listener};

    std::size_t start = 2;
    for (std::size_t i = 2; i < size; ++i)
        if (data[i] == 0xF7 || i + 1 == size)
        {
            handler().handleIncoming(data + start, i + 1 - start);
            start = i + 1;
        }
    handOff().applyPending();
    checkFinite(tree);
    return 0;
}
