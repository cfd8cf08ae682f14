#pragma once
// The device side of the MIDI link, in process: a mixer that keeps its own copy of every parameter per mode,
// answers what the program asks, reports knob turns and jingle play, and can be pulled out and plugged in.
// It is a port backend, so the real link code talks to it as it would to the system's ports.
#include "device/PortBackend.h"

#include <juce_data_structures/juce_data_structures.h>

#include <array>
#include <mutex>
#include <vector>

namespace NsStrata
{
class VirtualMixer : public PortBackend
{
public:
    /** A message the mixer received, with the monotonic time it arrived (ms). */
    struct Received
    {
        double ms;
        MidiBytes bytes;
    };

    /** A mixer of this model whose parameters start from the preset's model node. The ports are named after
        the model ("Brio") unless other names are given. */
    VirtualMixer(int modelNumber, const juce::ValueTree& preset);
    ~VirtualMixer() override;

    // Ports as the system would list them. Further names (a second port pair, other devices) may be added.
    juce::Array<PortInfo> inputs() override;
    juce::Array<PortInfo> outputs() override;
    std::unique_ptr<InputPort> openInput(const juce::String& identifier, IncomingSink& sink) override;
    std::unique_ptr<OutputPort> openOutput(const juce::String& identifier) override;
    /** Replaces the listed port names; the first input/output pair is the device's own. */
    void setPortNames(const juce::StringArray& inputNames, const juce::StringArray& outputNames);

    /** Pulling the cable: the ports vanish from the lists and the open ones go dead. */
    void unplug();
    void plugIn();
    bool isPluggedIn() const;
    /** The cable is pulled right after the device has taken this many more messages. */
    void unplugAfterReceiving(int messages);

    /** Hardware knob turned: stores the device value and reports it in the width of the parameter. */
    void turnKnob(int paramId, uint32_t deviceValue);
    /** A jingle pad (0..8, or any byte to test the program) starts or stops playing. */
    void reportJingle(int pad, bool playing);
    /** The mode buttons on the device: makes a mode current (and a user mode based on a factory mode). */
    void selectMode(int modeId, int basedOnId);
    /** Sends raw bytes to the program as if the device had sent them. */
    void sendRaw(const MidiBytes& bytes);
    /** Bytes the device sends the moment an input port starts (before the program is ready for them). */
    void setGreetingOnStart(const MidiBytes& bytes);

    /** What the device holds for the parameter (mode 0 means the mode-independent group). */
    uint32_t deviceValueOf(int paramId, int mode) const;
    int currentMode() const;
    int basedOnOf(int mode) const;
    int modelNumber() const { return model; }
    juce::String firmwareVersion() const { return "1.05"; }

    std::vector<Received> received() const;
    void clearReceived();
    /** Messages the mixer sent to the program. */
    int deliveredCount() const;

private:
    class Input;
    class Output;
    friend class Input;
    friend class Output;

    bool receive(const MidiBytes& bytes, int generation);
    void deliver(const MidiBytes& bytes);
    void storeValue(int address, uint32_t value);
    void storeModeBlock(const MidiBytes& bytes);
    MidiBytes identityReply() const;
    MidiBytes statusBlock() const;
    MidiBytes modeBlock(int mode) const;
    MidiBytes meterReply();
    MidiBytes valueReport(int paramId, uint32_t value) const;
    int widthOf(int paramId) const;
    int groupOf(int paramId) const;

    const int model;
    mutable std::recursive_mutex
        lock; // the program may send from the message thread while a test turns knobs
    std::array<std::array<uint32_t, 59>, 6> values{}; // [group 0 or mode 1..5][parameter id]
    std::array<int, 59> types{};
    std::array<int, 6> basedOn{{1, 1, 1, 1, 1, 1}};
    int mode = 1;
    int meterStep = 0;
    int delivered = 0;
    bool plugged = true;
    int unplugCountdown = -1;
    int generation = 0; // bumped on every unplug: ports opened before go dead
    juce::StringArray inputNames, outputNames;
    MidiBytes greeting;
    std::vector<Input*> openInputs;
    std::vector<Received> log;
};
} // namespace NsStrata
