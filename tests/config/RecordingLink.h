#pragma once
// An ImportLink that records, in order, everything an import or a preset restore asks of the link and the
// screen.
#include "config/ImportLink.h"
#include "model/StateTree.h"

#include <juce_core/juce_core.h>

#include <vector>

class RecordingLink : public NsStrata::ImportLink
{
public:
    bool connected = true;
    bool outputOpen = true;
    bool gate = true;
    juce::StringArray events;
    std::vector<NsStrata::MidiBytes> sent;

    bool hasConnection() const override { return connected; }
    bool sendToDevice(const NsStrata::MidiBytes& message) override
    {
        events.add("send mode " + juce::String(message[9]) + (gate ? " gate open" : ""));
        if (outputOpen)
            sent.push_back(message);
        return outputOpen;
    }
    void pumpMessagesFor(float ms) override { events.add("pump " + juce::String(ms)); }
    void queueEntry(const juce::ValueTree& e, bool replaceSameId, bool force) override
    {
        events.add("queue id " + e[NsStrata::Prop::id].toString() + " value " +
                   e[NsStrata::Prop::value].toString() + (replaceSameId ? " replace" : "") +
                   (force ? " force" : ""));
    }
    bool sendingGate() const override { return gate; }
    void setSendingGate(bool open) override
    {
        gate = open;
        events.add(open ? "gate open" : "gate closed");
    }
    void rebind(int modelId, int mode) override
    {
        events.add("rebind " + juce::String(modelId) + "/" + juce::String(mode));
    }
};
