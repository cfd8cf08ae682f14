#include "ModeBlock.h"

#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"

namespace NsStrata
{
static juce::ValueTree childWithNrpn(const juce::ValueTree& group, int address)
{
    for (const auto& child : group)
        if (readInt(child, Prop::nrpn, -1) == address)
            return child;
    return {};
}

MidiBytes buildModeBlock(const juce::ValueTree& modeNode, ModeBlockAction action, int modelNumber)
{
    MidiBytes block((size_t) DeviceBlocks::modeBlockLength, 0);
    const uint8_t header[] = {0xF0,
                              0x00,
                              0x02,
                              0x4E,
                              uint8_t((modelNumber >> 7) & 0x7F),
                              uint8_t(modelNumber & 0x7F),
                              0x7C,
                              0x01,
                              uint8_t(DeviceBlocks::modeBlockFieldCount)};
    std::copy(std::begin(header), std::end(header), block.begin());
    // Every byte between F0 and F7 must stay below 0x80, whatever a project file put in "basedOnId".
    block[9] = uint8_t(modeByteValue(modeNode) & 0x7F);
    block[10] = uint8_t(action) & 0x7F;
    block.back() = 0xF7;

    int pos = 9;
    for (const int id : DeviceBlocks::modeLayout)
    {
        if (pos > modeBlockLastField)
            break;
        const int address = addressOf(id);
        if (id == 0 || address > 0x7F7F || isModeIndependentAddress(address))
        {
            ++pos;
            continue;
        }
        const auto node = childWithNrpn(modeNode, address);
        // Any width past the block ends it; the limit keeps a wild "type" from overflowing the position.
        const int width =
            juce::jmin(DeviceBlocks::modeBlockLength, DeviceBlocks::fieldWidth(readInt(node, Prop::type, 0)));
        if ((width == 1 || width == 2 || width == 4) && pos + width - 1 <= modeBlockLastField)
        {
            const uint32_t v = deviceValue(node);
            for (int k = 0; k < width; ++k)
                block[(size_t) (pos + k)] = uint8_t((v >> (8 * (width - 1 - k))) & 0x7F);
        }
        pos += width;
    }
    return block;
}

MidiBytes buildModeBlock(const juce::ValueTree& modeNode, ModeBlockAction action)
{
    return buildModeBlock(modeNode, action, selection().selectedModel);
}
} // namespace NsStrata
