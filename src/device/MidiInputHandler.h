#pragma once
// The MIDI connection: the open input/output port pairs of the device, and the input callback that hands
// what arrives to the message thread.
#include "Host.h"

#include <atomic>
#include <functional>
#include <vector>

namespace NsStrata
{
class Host::MidiInputHandler : public IncomingSink
{
public:
    /** Asked after the pause a scan begins with: false when the link was closed meanwhile. */
    using MayOpen = std::function<bool()>;

    /** Scans at once with the default filters: supported models, first ports only. */
    MidiInputHandler(PortBackend& backend, IncomingHandOff& handOff, MayOpen mayOpen = {});
    ~MidiInputHandler() override;

    /** Pauses, closes everything, then opens every input/output pair whose names pass the filters. True when
        a pair is open. The pause runs the message loop: when the link is closed or the application quits
        meanwhile, or this connection is deleted, nothing is opened. */
    bool scan(const NumberFilter& modelFilter, const NumberFilter& portFilter);
    /** Stops and closes every port. Leaves the connection busy: input arriving afterwards is dropped. */
    void closeAll();

    /** Input thread: drops everything while busy, else decodes and hands over. */
    void handleIncoming(const uint8_t* data, std::size_t size) override;

    bool isBusy() const { return busy.load() != 0; }
    int pairCount() const { return pairs; }
    /** The output messages go to; null when there is none. */
    OutputPort* currentOutput() const;
    juce::String currentOutputName() const;

    static bool defaultModelFilter(int model);
    static bool defaultPortFilter(int port) { return port == 1; }

private:
    PortBackend& backend;
    IncomingHandOff& handOff;
    MayOpen mayOpen;
    std::atomic<int> busy{0}; // 1 while the ports are closed and reopened
    int current = 0;          // index of the current output; always the first
    int pairs = 0;
    std::vector<std::unique_ptr<InputPort>> inputs;
    std::vector<std::unique_ptr<OutputPort>> outputs;
    juce::StringArray outputNames;

    JUCE_DECLARE_WEAK_REFERENCEABLE(MidiInputHandler)
};
} // namespace NsStrata
