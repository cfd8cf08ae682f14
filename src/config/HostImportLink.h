#pragma once
// The program's ImportLink: the Host's MIDI connection, the outgoing queue, the link flags, and the screen's
// re-binding handed in by whoever owns the panel.
#include "ImportLink.h"

#include <functional>

namespace NsStrata
{
class HostImportLink : public ImportLink
{
public:
    using Rebind = std::function<void(int modelId, int mode)>;
    explicit HostImportLink(Rebind rebindPanel = {});

    bool hasConnection() const override;
    bool sendToDevice(const MidiBytes& message) override;
    void pumpMessagesFor(float milliseconds) override;
    void queueEntry(const juce::ValueTree& entry, bool replaceSameId, bool force) override;
    bool sendingGate() const override;
    void setSendingGate(bool open) override;
    void rebind(int modelId, int mode) override;

private:
    Rebind rebindPanel;
};
} // namespace NsStrata
