#pragma once
// What the link needs from a MIDI port provider: the port lists, and opening one input or output by
// identifier.
#include "MidiBytes.h"

#include <juce_core/juce_core.h>

#include <memory>

namespace NsStrata
{
/** One port as the system lists it: the name people see and the identifier it is opened by. */
struct PortInfo
{
    juce::String name;
    juce::String identifier;
};

/** Receives complete messages from an input, on whatever thread the port delivers them. */
class IncomingSink
{
public:
    virtual ~IncomingSink() = default;
    virtual void handleIncoming(const uint8_t* data, size_t size) = 0;
};

class InputPort
{
public:
    virtual ~InputPort() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
};

class OutputPort
{
public:
    virtual ~OutputPort() = default;
    /** Sends one complete message at once; false when the port is gone. */
    virtual bool send(const MidiBytes& message) = 0;
};

class PortBackend
{
public:
    virtual ~PortBackend() = default;
    virtual juce::Array<PortInfo> inputs() = 0;
    virtual juce::Array<PortInfo> outputs() = 0;
    /** Null when the port cannot be opened. The sink must outlive the port. */
    virtual std::unique_ptr<InputPort> openInput(const juce::String& identifier, IncomingSink& sink) = 0;
    virtual std::unique_ptr<OutputPort> openOutput(const juce::String& identifier) = 0;
    /** Changes whenever the port lists may have changed. A backend the system tells of each change counts
        the changes; one that cannot tell returns a new number on every call. */
    virtual uint64_t portListVersion() = 0;
};

/** No ports at all: what there is until the program installs the system's ports or the virtual mixer's. */
class NoPorts : public PortBackend
{
public:
    juce::Array<PortInfo> inputs() override { return {}; }
    juce::Array<PortInfo> outputs() override { return {}; }
    std::unique_ptr<InputPort> openInput(const juce::String&, IncomingSink&) override { return nullptr; }
    std::unique_ptr<OutputPort> openOutput(const juce::String&) override { return nullptr; }
    uint64_t portListVersion() override { return 0; }
};

/** Names of a port list, in its order. */
juce::StringArray portNames(const juce::Array<PortInfo>& ports);
} // namespace NsStrata
