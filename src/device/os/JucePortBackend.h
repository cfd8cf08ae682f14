#pragma once
// The operating system's MIDI ports, through JUCE's MidiInput and MidiOutput, opened by identifier.
#include "device/PortBackend.h"

namespace NsStrata
{
class JucePortBackend : public PortBackend
{
public:
    juce::Array<PortInfo> inputs() override;
    juce::Array<PortInfo> outputs() override;
    std::unique_ptr<InputPort> openInput(const juce::String& identifier, IncomingSink& sink) override;
    std::unique_ptr<OutputPort> openOutput(const juce::String& identifier) override;
};
} // namespace NsStrata
