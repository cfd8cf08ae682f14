#pragma once
// The link's side of mode switches and copies: the mode selector goes through the queue, a copied mode goes
// out at once as a mode block, and the panel re-binds with the sending gate closed.
#include "MidiBytes.h"
#include "model/Modes.h"

#include <functional>

namespace NsStrata
{
class Host;

class LinkModeEffects : public ModeEffects
{
public:
    /** Builds the mode block of a mode node (action byte 5: a copied mode). */
    using BlockBuilder = std::function<MidiBytes(const juce::ValueTree& modeNode)>;

    LinkModeEffects(Host& host, BlockBuilder buildCopiedModeBlock);

    void queueModeSelector(const juce::ValueTree& selectorNode) override;
    void rebind(int modeId) override;
    void sendCopiedMode(const juce::ValueTree& modeNode) override;

private:
    Host& host;
    BlockBuilder buildBlock;
};
} // namespace NsStrata
