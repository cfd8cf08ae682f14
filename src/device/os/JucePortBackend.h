#pragma once
// The operating system's MIDI ports, through JUCE's MidiInput and MidiOutput, opened by identifier.
#include "device/PortBackend.h"

namespace NsStrata
{
class JucePortBackend : public PortBackend
{
public:
    JucePortBackend();
    ~JucePortBackend() override;

    juce::Array<PortInfo> inputs() override;
    juce::Array<PortInfo> outputs() override;
    std::unique_ptr<InputPort> openInput(const juce::String& identifier, IncomingSink& sink) override;
    std::unique_ptr<OutputPort> openOutput(const juce::String& identifier) override;
    /** Where the system announces port changes (the ALSA sequencer), counts them; elsewhere, or without
        announcements, a new number each time. Message thread. */
    uint64_t portListVersion() override;

private:
    class PortWatch;
    std::unique_ptr<PortWatch> watch; // made on first use
    uint64_t version = 0;
};
} // namespace NsStrata
