#pragma once
// The device side of the MIDI link, in process: a mixer that keeps its own copy of every parameter per mode,
// answers what the program asks from a thread of its own, reports knob turns and jingle play, can be pulled
// out and plugged in, and holds the program to the device's rules, recording every breach.
// It is a port backend, so the real link code talks to it as it would to the system's ports.
#include "device/PortBackend.h"

#include <juce_data_structures/juce_data_structures.h>

#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace NsStrata
{
/** The rules, each breach of which is a protocol error:
    - Pacing: a message must not arrive sooner than minimumGapMs after the one before it, or meterPollGapMs
      when the one before was a meter poll (F0 00 02 4E M1 M0 7F 00 F7). Every message counts, whoever it is
      addressed to.
    - Parameter pace: parameter messages (everything but meter polls and 61-byte mode blocks) keep a pause
      between each other, parameterGapMs after a 6- or 10-byte one and longParameterGapMs after a 12- or
      14-byte one, and never come more than envelopeLimit within envelopeWindowMs: the seventh must arrive
      envelopeWindowMs or more after the sixth before it.
    - Framing: a message must start with F0 and end with F7 with no byte above 7F between; the count byte of a
      12-byte message must be 02 and of a 14-byte one 04; a mode block must declare 33 field bytes, name a
      mode in byte 9 and carry a known action (1 restore, 5 copied mode) in byte 10.
    - Parsing: the universal message must be the identity request, the maker id 00 02 4E; a value must be for
      a parameter the model has, in that parameter's width; a dump request must ask for a block there is.
    Messages for another model number are ignored, as the device does, but still count for pacing. */
class VirtualMixer : public PortBackend
{
public:
    static constexpr double minimumGapMs = 50;
    static constexpr double meterPollGapMs = 2;
    static constexpr double parameterGapMs = 51;
    static constexpr double longParameterGapMs = 52;
    static constexpr int envelopeLimit = 6;
    static constexpr double envelopeWindowMs = 606;
    static constexpr double defaultReplyLatencyMs = 3;

    /** A message the mixer received, with the monotonic time it arrived (ms). */
    struct Received
    {
        double ms;
        MidiBytes bytes;
    };

    /** How the mixer tells of its ports coming and going (portListVersion). */
    enum class PortAnnouncements
    {
        announced, // a new version whenever the port lists change
        lost,      // the version never changes: every announcement went missing
        none,      // a new version on every call: a system that cannot tell
    };

    /** What the program just did to the mixer; see setProgramActionHook. */
    enum class ProgramAction
    {
        portOpened,
        messageReceived,
    };

    /** A mixer of this model whose parameters start from the preset's model node. Its ports are named after
        the model ("Brio"). */
    VirtualMixer(int modelNumber, const juce::ValueTree& preset);
    ~VirtualMixer() override;

    /** The device holds the values of this state tree's node of its model, as if the program had written
        them in an earlier session. */
    void holdValuesOf(const juce::ValueTree& state);

    // Ports as the system would list them. Further names (a second port pair, other devices) may be added.
    juce::Array<PortInfo> inputs() override;
    juce::Array<PortInfo> outputs() override;
    std::unique_ptr<InputPort> openInput(const juce::String& identifier, IncomingSink& sink) override;
    std::unique_ptr<OutputPort> openOutput(const juce::String& identifier) override;
    /** Replaces the listed port names. The device's own ports are the first ones named after its model,
        wherever they stand; the others are listed but lead nowhere. */
    void setPortNames(const juce::StringArray& inputNames, const juce::StringArray& outputNames);
    /** Ports the program holds open now (own or not). */
    int openPortCount() const;
    uint64_t portListVersion() override;
    void setPortAnnouncements(PortAnnouncements announcements);
    /** How often the program has read the port lists (inputs or outputs) since the mixer was made. */
    int portListReads() const;

    /** Pulling the cable: the ports vanish from the lists and the open ones go dead. */
    void unplug();
    /** Plugging in again: the device starts afresh, so pacing counts from nothing. */
    void plugIn();
    bool isPluggedIn() const;
    /** The cable is pulled right after the device has taken this many more messages. */
    void unplugAfterReceiving(int messages);

    /** Hardware knob turned: stores the device value (a table index for the levels) and reports it. */
    void turnKnob(int paramId, uint32_t deviceValue);
    /** A jingle pad (0..8, or any byte to test the program) starts or stops playing. */
    void reportJingle(int pad, bool playing);
    /** The mode buttons on the device: makes a mode current (and a user mode based on a factory mode). */
    void selectMode(int modeId, int basedOnId);
    /** Sends raw bytes to the program as if the device had sent them. */
    void sendRaw(const MidiBytes& bytes);
    /** Bytes the device sends the moment an input port starts; start() returns once they are delivered. */
    void setGreetingOnStart(const MidiBytes& bytes);

    /** How long after a request its reply leaves the mixer's thread. */
    void setReplyLatency(double ms);
    /** When set, a message that breaks a rule is dropped as the device would drop it, not acted on. */
    void setDropsWhatTheDeviceWouldDrop(bool drop);
    /** Blocks until everything the mixer has to send is delivered (or dropped); false after timeoutMs. */
    bool waitUntilIdle(int timeoutMs = 10000) const;
    /** When messages arrive, in monotonic ms, instead of the mixer's own clock: lets tests of the pacing
        rules set the times exactly. Null goes back to the clock. */
    void setArrivalClock(std::function<double()> clock);
    /** Calls hook on the program's thread, outside the mixer's lock, each time the program opens a port or a
        message reaches the mixer, so tests can act at an exact moment. */
    void setProgramActionHook(std::function<void(ProgramAction)> hook);

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
    /** Every breach of the rules above since the mixer was made, one line each, oldest first. */
    juce::StringArray protocolErrors() const;

private:
    class Input;
    class Output;
    friend class Input;
    friend class Output;

    struct Outgoing
    {
        double dueMs;
        MidiBytes bytes;
        const Input* target; // null: every live input
        uint64_t serial;
    };

    bool receive(const MidiBytes& bytes, int generation);
    void take(const MidiBytes& bytes, double at);
    juce::String ruleBroken(const MidiBytes& bytes) const;
    bool checkPacing(const MidiBytes& bytes, double at);
    void act(const MidiBytes& bytes);
    void recordError(double at, const MidiBytes& bytes, const juce::String& what);
    uint64_t send(MidiBytes bytes, double delayMs, const Input* target = nullptr);
    void run();
    void deliverNow(const Outgoing& item);
    void tellProgram(ProgramAction action);
    bool isOwnPort(const juce::String& name) const;
    juce::Array<PortInfo> listed(const juce::StringArray& names, const juce::String& prefix) const;
    std::optional<int> generationOf(const juce::String& identifier, const juce::StringArray& names,
                                    const juce::String& prefix) const;
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
    const double createdMs;
    mutable std::mutex lock; // everything below; held while the mixer's thread hands a message over
    mutable std::condition_variable changed;
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
    int openOutputs = 0;
    std::vector<Received> log;
    juce::StringArray errors;
    std::function<void(ProgramAction)> programActionHook;
    std::function<double()> arrivalClock;

    double replyLatencyMs = defaultReplyLatencyMs;
    bool dropBreaches = false;
    PortAnnouncements announcements = PortAnnouncements::announced;
    uint64_t listVersion = 1;
    int listReads = 0;

    // Pacing: when the last message arrived and the gap it asks for; the same for parameter messages, and
    // when the last few of them arrived, oldest first.
    double lastArrivalMs = -1.0e9, gapOwedMs = 0, lastParameterMs = -1.0e9, parameterGapOwedMs = 0;
    std::deque<double> recentParameterMs;

    std::deque<Outgoing> outbox;
    uint64_t nextSerial = 1, doneSerial = 0;
    bool stopping = false;
    std::thread worker; // last: starts once everything above exists
};
} // namespace NsStrata
