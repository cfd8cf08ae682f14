#include "JucePortBackend.h"

#include <juce_audio_devices/juce_audio_devices.h>

#if JUCE_LINUX
#include <alsa/asoundlib.h>

#include <cerrno>
#endif

namespace NsStrata
{
namespace
{
#if JUCE_LINUX
// Without a sequencer (no sound card, a container) ALSA prints an error on every port scan, which the poll
// tick runs several times a second; an absent sequencer already shows as an empty port list.
void quietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}
#endif

void quietPortScans()
{
#if JUCE_LINUX
    static const bool quiet = (snd_lib_error_set_handler(quietAlsaErrors), true);
    juce::ignoreUnused(quiet);
#endif
}

juce::Array<PortInfo> toPorts(const juce::Array<juce::MidiDeviceInfo>& devices)
{
    juce::Array<PortInfo> ports;
    for (const auto& device : devices)
        ports.add({device.name, device.identifier});
    return ports;
}

// Only whole messages count: the device's replies are System Exclusive messages the driver delivers complete.
class JuceInput : public InputPort, private juce::MidiInputCallback
{
public:
    JuceInput(const juce::String& identifier, IncomingSink& s) : sink(s)
    {
        port = juce::MidiInput::openDevice(identifier, this);
    }

    bool isOpen() const { return port != nullptr; }
    void start() override { port->start(); }
    void stop() override { port->stop(); }

private:
    void handleIncomingMidiMessage(juce::MidiInput*, const juce::MidiMessage& message) override
    {
        sink.handleIncoming(message.getRawData(), (std::size_t) message.getRawDataSize());
    }
    void handlePartialSysexMessage(juce::MidiInput*, const juce::uint8*, int, double) override {}

    IncomingSink& sink;
    std::unique_ptr<juce::MidiInput> port;
};

class JuceOutput : public OutputPort
{
public:
    explicit JuceOutput(std::unique_ptr<juce::MidiOutput> p) : port(std::move(p)) {}

    bool send(const MidiBytes& message) override
    {
        if (message.empty())
            return false;
        port->sendMessageNow(juce::MidiMessage(message.data(), (int) message.size()));
        return true;
    }

private:
    std::unique_ptr<juce::MidiOutput> port;
};
} // namespace

#if JUCE_LINUX
// A sequencer client of its own, subscribed to the system's announcements, read without waiting. Reading the
// port lists through the framework costs a round of queries per client and port (and opens a client of its
// own each time while no port is open); one read of this client's input costs one call.
class JucePortBackend::PortWatch
{
public:
    PortWatch()
    {
        quietPortScans();
        if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0)
        {
            seq = nullptr;
            return;
        }
        snd_seq_set_client_name(seq, "Strata port watch");
        // Not exported and not subscribable: no port list shows it.
        const int port = snd_seq_create_simple_port(seq, "announcements",
                                                    SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                    SND_SEQ_PORT_TYPE_APPLICATION);
        if (port < 0 ||
            snd_seq_connect_from(seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) < 0)
        {
            snd_seq_close(seq);
            seq = nullptr;
        }
    }

    ~PortWatch()
    {
        if (seq != nullptr)
            snd_seq_close(seq);
    }

    bool isWatching() const { return seq != nullptr; }

    /** What was announced since the last call: true when a port came, went or changed, or when the
        announcements cannot be read (some were lost, or the sequencer went away). */
    bool portsChanged()
    {
        bool changed = false;
        for (;;)
        {
            snd_seq_event_t* event = nullptr;
            const int result = snd_seq_event_input(seq, &event);
            if (result == -EAGAIN)
                return changed;
            if (result == -ENOSPC) // the input overflowed: announcements were dropped
            {
                changed = true;
                continue;
            }
            if (result < 0 || event == nullptr)
                return true;
            // Clients come and go without ports too (the framework's own listing opens one); only ports
            // change the lists.
            changed = changed || event->type == SND_SEQ_EVENT_PORT_START ||
                      event->type == SND_SEQ_EVENT_PORT_EXIT || event->type == SND_SEQ_EVENT_PORT_CHANGE;
        }
    }

private:
    snd_seq_t* seq = nullptr;
};
#else
class JucePortBackend::PortWatch
{
public:
    bool isWatching() const { return false; }
    bool portsChanged() { return true; }
};
#endif

JucePortBackend::JucePortBackend() = default;

JucePortBackend::~JucePortBackend() = default;

uint64_t JucePortBackend::portListVersion()
{
    if (watch == nullptr)
        watch = std::make_unique<PortWatch>();
    if (!watch->isWatching() || watch->portsChanged())
        ++version;
    return version;
}

juce::Array<PortInfo> JucePortBackend::inputs()
{
    quietPortScans();
    return toPorts(juce::MidiInput::getAvailableDevices());
}

juce::Array<PortInfo> JucePortBackend::outputs()
{
    quietPortScans();
    return toPorts(juce::MidiOutput::getAvailableDevices());
}

std::unique_ptr<InputPort> JucePortBackend::openInput(const juce::String& identifier, IncomingSink& sink)
{
    auto input = std::make_unique<JuceInput>(identifier, sink);
    if (!input->isOpen())
        return nullptr;
    return input;
}

std::unique_ptr<OutputPort> JucePortBackend::openOutput(const juce::String& identifier)
{
    auto port = juce::MidiOutput::openDevice(identifier);
    if (port == nullptr)
        return nullptr;
    return std::make_unique<JuceOutput>(std::move(port));
}
} // namespace NsStrata
