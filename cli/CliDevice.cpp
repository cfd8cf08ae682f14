// strata-cli port / frame / decode / ports / sync: the device link seen from the command line.
#include "CliCommon.h"

#include "device/Host.h"
#include "device/IncomingApplier.h"
#include "device/IncomingMessage.h"
#include "device/LinkFlags.h"
#include "device/LinkTexts.h"
#include "device/MessageFraming.h"
#include "device/PortNames.h"
#include "device/os/JucePortBackend.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "model/StateTree.h"
#include "sim/VirtualSync.h"

namespace StrataCli
{
namespace
{
juce::String text(const std::string& s)
{
    return juce::String::fromUTF8(s.c_str());
}

Command port(CLI::App& cli)
{
    auto name = std::make_shared<std::string>();
    auto* command =
        cli.add_subcommand("port", "What a MIDI port's name tells: model, port number, counterpart");
    command->add_option("NAME", *name, "the port's name as the system gives it, e.g. \"MIDIIN2 (Brio)\"")
        ->required();
    command->footer("Prints {\"name\", \"model\" (model number, 0 when none), \"port\" (its number), "
                    "\"counterpart\" (the port of the other direction)}.");
    return {command, [name]
            {
                const auto portName = text(*name);
                auto out = jsonObject();
                out->setProperty("name", portName);
                out->setProperty("model", NsStrata::modelIdForPortName(portName));
                out->setProperty("port", NsStrata::portNumberOf(portName));
                out->setProperty("counterpart", NsStrata::counterpartPortName(portName));
                printJson(out.get());
                return 0;
            }};
}

struct FrameOptions
{
    int id = 0;
    std::string value;
    NodeOptions node;
    int deviceModel = 0;
    CLI::Option* deviceModelGiven = nullptr;
};

int runFrame(const FrameOptions& o)
{
    juce::String problem;
    const auto preset = loadPreset(text(o.node.preset), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    auto node = NsStrata::parameterNode(NsStrata::modelNode(preset, o.node.model), o.id, o.node.mode);
    if (!node.isValid())
        return fail("the preset has no node for parameter " + juce::String(o.id));
    node.setProperty(NsStrata::Prop::value, toNumber(o.value), nullptr);

    const int deviceModel = o.deviceModelGiven->count() > 0 ? o.deviceModel : o.node.model;
    auto out = jsonObject();
    out->setProperty("bytes", NsStrata::toHex(NsStrata::frameEntry(node, o.node.model, deviceModel)));
    printJson(out.get());
    return 0;
}

Command frame(CLI::App& cli)
{
    auto o = std::make_shared<FrameOptions>();
    auto* command = cli.add_subcommand("frame", "The message one queued parameter edit sends to the mixer");
    command->add_option("ID", o->id, "parameter id (1 to 58)")->required()->transform(wholeNumber());
    command->add_option("VALUE", o->value, "the value in display units")
        ->required()
        ->type_name("NUMBER")
        ->check(number());
    addNodeOptions(*command, o->node);
    o->deviceModelGiven = command
                              ->add_option("--device-model", o->deviceModel,
                                           "model number of the connected mixer (default: --model)")
                              ->type_name("N")
                              ->transform(wholeNumber());
    command->footer("Prints {\"bytes\": the System Exclusive message in hex, e.g. \"F0 00 02 4E ... F7\"}.");
    return {command, [o] { return runFrame(*o); }};
}

// (group id, parameter id) -> value of every parameter node of the model.
std::map<std::pair<int, int>, juce::var> valuesOf(const juce::ValueTree& model)
{
    std::map<std::pair<int, int>, juce::var> values;
    for (const auto& group : model)
        for (const auto& node : group)
            values[{NsStrata::readInt(group, NsStrata::Prop::id, -1),
                    NsStrata::readInt(node, NsStrata::Prop::id, -1)}] = node[NsStrata::Prop::value];
    return values;
}

struct DecodeOptions
{
    std::vector<std::string> messages;
    int model = NsStrata::ardentModel;
    std::string preset;
};

int runDecode(const DecodeOptions& o)
{
    std::vector<NsStrata::MidiBytes> messages;
    for (const auto& hex : o.messages)
    {
        NsStrata::MidiBytes bytes;
        if (!NsStrata::parseHex(text(hex), bytes))
            return fail("HEX: not hex bytes: \"" + text(hex) + "\"");
        messages.push_back(std::move(bytes));
    }

    juce::String problem;
    auto tree = loadPreset(text(o.preset), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    NsStrata::selection().reset();
    NsStrata::selection().selectedModel = o.model;
    NsStrata::selection().deviceModel = o.model;
    NsStrata::linkFlags().reset();
    NsStrata::linkTexts().reset();

    const auto modelTree = NsStrata::modelNode(tree, o.model);
    for (const auto& bytes : messages)
    {
        const auto before = valuesOf(modelTree);
        NsStrata::linkFlags().deviceEdited = false;
        const bool handled = NsStrata::applyIncoming(NsStrata::decodeIncoming(bytes), tree, nullptr);

        juce::Array<juce::var> changes;
        for (const auto& [key, value] : valuesOf(modelTree))
        {
            const auto old = before.find(key);
            if (old == before.end() || old->second != value)
                changes.add(juce::Array<juce::var>{key.first, key.second, value});
        }
        auto out = jsonObject();
        out->setProperty("handled", handled);
        out->setProperty("mode", NsStrata::selection().currentMode.load());
        out->setProperty("edited", NsStrata::linkFlags().deviceEdited.load());
        out->setProperty("version", NsStrata::linkTexts().firmwareVersion);
        out->setProperty("changes", changes);
        printJson(out.get());
    }
    return 0;
}

Command decode(CLI::App& cli)
{
    auto o = std::make_shared<DecodeOptions>();
    auto* command = cli.add_subcommand(
        "decode", "Applies messages from the mixer, in order, to a fresh state tree made from the preset");
    command->add_option("HEX", o->messages, "one message from the mixer per argument, e.g. \"F0 ... F7\"")
        ->required();
    command->add_option("--model", o->model, "model number of the mixer (default 4142)")
        ->type_name("N")
        ->transform(modelNumber());
    addPresetOption(*command, o->preset);
    command->footer(
        "Prints one line per message: {\"handled\", \"mode\" (the current mode after it), \"edited\" "
        "(a value changed on the device), \"version\" (the firmware version known), \"changes\" "
        "([group id, parameter id, new value] for every node it changed)}.");
    return {command, [o] { return runDecode(*o); }};
}

Command ports(CLI::App& cli)
{
    auto* command = cli.add_subcommand("ports", "The system's MIDI ports and what their names tell");
    command->footer("Prints one line per port: {\"direction\" (\"in\" or \"out\"), \"name\", \"identifier\", "
                    "\"model\" (model number, 0 when none), \"port\" (its number)}.");
    return {command, []
            {
                NsStrata::JucePortBackend backend;
                const auto list = [](const char* direction, const juce::Array<NsStrata::PortInfo>& infos)
                {
                    for (const auto& p : infos)
                    {
                        auto out = jsonObject();
                        out->setProperty("direction", direction);
                        out->setProperty("name", p.name);
                        out->setProperty("identifier", p.identifier);
                        out->setProperty("model", NsStrata::modelIdForPortName(p.name));
                        out->setProperty("port", NsStrata::portNumberOf(p.name));
                        printJson(out.get());
                    }
                };
                list("in", backend.inputs());
                list("out", backend.outputs());
                return 0;
            }};
}

// A model given by number or by display name ("Brio Max").
CLI::Validator modelByNameOrNumber()
{
    return CLI::Validator(
        [](std::string& given) -> std::string
        {
            int model = 0;
            if (parseInt(text(given), model) && NsStrata::isSupportedModel(model))
                return {};
            for (const int m : NsStrata::supportedModels)
                if (NsStrata::modelNameForId(m).equalsIgnoreCase(text(given).trim()))
                {
                    given = std::to_string(m);
                    return {};
                }
            return "unknown model \"" + given + "\" (Ardent, Brio, Brio Max, Brio Solo)";
        },
        "");
}

struct SyncOptions
{
    bool virtualMixer = false;
    std::string model = "4115";
    std::string preset;
};

int runSync(const SyncOptions& o)
{
    juce::String problem;
    const auto preset = loadPreset(text(o.preset), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    // The link's Host would otherwise open the user's settings file.
    NsStrata::Host::createInstance(NsStrata::SettingsStore::withoutFile());
    int model = 0;
    parseInt(text(o.model), model);
    const auto mixer = std::make_shared<NsStrata::VirtualMixer>(model, preset);
    const auto times = NsStrata::runVirtualSync(mixer, preset);
    if (!times.ok)
        return fail("the virtual mixer did not synchronise", 1);

    auto out = jsonObject();
    out->setProperty("connected_ms", juce::roundToInt(times.connectedMs));
    out->setProperty("synchronised_ms", juce::roundToInt(times.synchronisedMs));
    out->setProperty("selector_ms", juce::roundToInt(times.selectorMs));
    out->setProperty("sent", times.sent);
    out->setProperty("received", times.received);
    out->setProperty("floor_ms", times.floorMs);
    printJson(out.get());
    return 0;
}

Command sync(CLI::App& cli)
{
    auto o = std::make_shared<SyncOptions>();
    auto* command = cli.add_subcommand(
        "sync", "Runs the real link against the virtual mixer from start until it is synchronised");
    command->add_flag("--virtual", o->virtualMixer, "use the virtual mixer (the only mixer it runs against)")
        ->required();
    command->add_option("--model", o->model, "the mixer's model, by name or number (default Brio)")
        ->type_name("NAME")
        ->transform(modelByNameOrNumber());
    addPresetOption(*command, o->preset);
    command->footer(
        "Prints {\"connected_ms\" (the first request reached the mixer), \"synchronised_ms\", "
        "\"selector_ms\" (the mode selector reached it), \"sent\" and \"received\" (messages the "
        "mixer got and sent), \"floor_ms\" (the least the protocol allows)}; status 1 when it did "
        "not synchronise. The user's settings are neither read nor written.");
    return {command, [o] { return runSync(*o); }};
}

const Registration portCommand{"port", port};
const Registration frameCommand{"frame", frame};
const Registration decodeCommand{"decode", decode};
const Registration portsCommand{"ports", ports};
const Registration syncCommand{"sync", sync};
} // namespace
} // namespace StrataCli
