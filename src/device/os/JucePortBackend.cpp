#include "JucePortBackend.h"

#include <juce_audio_devices/juce_audio_devices.h>

#if JUCE_LINUX
#include <alsa/asoundlib.h>
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
