#include "MidiInputHandler.h"

#include "IncomingApplier.h"
#include "IncomingHandOff.h"
#include "MessagePump.h"
#include "PortNames.h"
#include "model/Models.h"

namespace NsStrata
{
Host::MidiInputHandler::MidiInputHandler(PortBackend& b, IncomingHandOff& h, MayOpen m)
    : backend(b), handOff(h), mayOpen(std::move(m))
{
    scan(defaultModelFilter, defaultPortFilter);
}

Host::MidiInputHandler::~MidiInputHandler()
{
    closeAll();
}

bool Host::MidiInputHandler::defaultModelFilter(int model)
{
    return isSupportedModel(model);
}

void Host::MidiInputHandler::closeAll()
{
    busy.exchange(1);
    for (auto& input : inputs)
        input->stop();
    inputs.clear();
    outputs.clear();
    outputNames.clear();
    pairs = 0;
}

bool Host::MidiInputHandler::scan(const NumberFilter& modelFilter, const NumberFilter& portFilter)
{
    const juce::WeakReference<MidiInputHandler> self(this);
    const bool loopRuns = pumpMessagesFor(3);
    if (self == nullptr)
        return false;
    closeAll();
    if (!loopRuns || (mayOpen && !mayOpen()))
        return false;
    const auto outs = backend.outputs();
    const auto ins = backend.inputs();
    const auto outNames = portNames(outs);

    for (const auto& in : ins)
    {
        const auto outName = counterpartPortName(in.name);
        if (!modelFilter(modelIdForPortName(in.name)) || !portFilter(portNumberOf(in.name)))
            continue;
        const int outIndex = outNames.indexOf(outName); // exact, case-sensitive
        if (outIndex < 0)
            continue;
        auto output = backend.openOutput(outs[outIndex].identifier);
        auto input = backend.openInput(in.identifier, *this);
        if (output == nullptr || input == nullptr)
            continue;
        outputs.push_back(std::move(output));
        outputNames.add(outName);
        input->start();
        inputs.push_back(std::move(input));
        ++pairs;
    }
    busy.exchange(0);
    return pairs > 0;
}

void Host::MidiInputHandler::handleIncoming(const uint8_t* data, std::size_t size)
{
    if (busy.load() != 0)
        return;
    auto message = decodeIncoming(data, size);
    // The level reply comes ten times a second while there is sound; waking the message thread for each
    // would cost more than the reply is worth.
    if (message.kind == IncomingKind::meterReply)
        applyMeterReply(message);
    else if (message.kind != IncomingKind::ignored)
        handOff.post(std::move(message));
}

OutputPort* Host::MidiInputHandler::currentOutput() const
{
    return current < (int) outputs.size() ? outputs[(std::size_t) current].get() : nullptr;
}

juce::String Host::MidiInputHandler::currentOutputName() const
{
    return outputNames[current];
}
} // namespace NsStrata
