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
int runPort(const juce::StringArray& raw)
{
    Args args(raw, {}, {});
    if (!args.ok())
        return fail(args.problem());
    if (args.positional().size() != 1)
        return fail("usage: strata-cli port NAME");
    const auto name = args.positional()[0];
    auto out = jsonObject();
    out->setProperty("name", name);
    out->setProperty("model", NsStrata::modelIdForPortName(name));
    out->setProperty("port", NsStrata::portNumberOf(name));
    out->setProperty("counterpart", NsStrata::counterpartPortName(name));
    printJson(out.get());
    return 0;
}

int checkModel(int model)
{
    return NsStrata::isSupportedModel(model) ? 0 : fail("unsupported model number " + juce::String(model));
}

int runFrame(const juce::StringArray& raw)
{
    Args args(raw, {"--model", "--device-model", "--mode", "--preset"}, {});
    int id = 0;
    double value = 0;
    if (!args.ok())
        return fail(args.problem());
    if (!args.idAndValue(id, value))
        return fail(
            "usage: strata-cli frame ID VALUE [--model N] [--device-model N] [--mode M] [--preset PATH]");
    const int model = args.intValue("--model", NsStrata::ardentModel);
    const int deviceModel = args.intValue("--device-model", model);
    const int mode = args.intValue("--mode", 1);
    if (!args.ok())
        return fail(args.problem());
    if (const int status = checkModel(model))
        return status;
    if (mode < 1 || mode > 5)
        return fail("mode must be 1 to 5, not " + juce::String(mode));

    juce::String problem;
    const auto preset = loadPreset(args.value("--preset"), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    auto node = NsStrata::parameterNode(NsStrata::modelNode(preset, model), id, mode);
    if (!node.isValid())
        return fail("the preset has no node for parameter " + juce::String(id));
    node.setProperty(NsStrata::Prop::value, value, nullptr);

    auto out = jsonObject();
    out->setProperty("bytes", NsStrata::toHex(NsStrata::frameEntry(node, model, deviceModel)));
    printJson(out.get());
    return 0;
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

int runDecode(const juce::StringArray& raw)
{
    Args args(raw, {"--model", "--preset"}, {});
    if (!args.ok())
        return fail(args.problem());
    const int model = args.intValue("--model", NsStrata::ardentModel);
    if (!args.ok())
        return fail(args.problem());
    if (const int status = checkModel(model))
        return status;
    if (args.positional().isEmpty())
        return fail("usage: strata-cli decode [--model N] HEX...");

    std::vector<NsStrata::MidiBytes> messages;
    for (const auto& text : args.positional())
    {
        NsStrata::MidiBytes bytes;
        if (!NsStrata::parseHex(text, bytes))
            return fail("not hex bytes: \"" + text + "\"");
        messages.push_back(std::move(bytes));
    }

    juce::String problem;
    auto tree = loadPreset(args.value("--preset"), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    NsStrata::selection().reset();
    NsStrata::selection().selectedModel = model;
    NsStrata::selection().deviceModel = model;
    NsStrata::linkFlags().reset();
    NsStrata::linkTexts().reset();

    const auto modelTree = NsStrata::modelNode(tree, model);
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

int runPorts(const juce::StringArray& raw)
{
    Args args(raw, {}, {});
    if (!args.ok() || !args.positional().isEmpty())
        return fail("usage: strata-cli ports");
    NsStrata::JucePortBackend ports;
    const auto list = [](const char* direction, const juce::Array<NsStrata::PortInfo>& infos)
    {
        for (const auto& port : infos)
        {
            auto out = jsonObject();
            out->setProperty("direction", direction);
            out->setProperty("name", port.name);
            out->setProperty("identifier", port.identifier);
            out->setProperty("model", NsStrata::modelIdForPortName(port.name));
            out->setProperty("port", NsStrata::portNumberOf(port.name));
            printJson(out.get());
        }
    };
    list("in", ports.inputs());
    list("out", ports.outputs());
    return 0;
}

// A model given by number or by display name ("Brio Max").
bool parseModel(const juce::String& text, int& model)
{
    if (Args::parseInt(text, model))
        return NsStrata::isSupportedModel(model);
    for (const int m : NsStrata::supportedModels)
        if (NsStrata::modelNameForId(m).equalsIgnoreCase(text.trim()))
        {
            model = m;
            return true;
        }
    return false;
}

int runSync(const juce::StringArray& raw)
{
    Args args(raw, {"--model", "--preset"}, {"--virtual"});
    if (!args.ok())
        return fail(args.problem());
    if (!args.has("--virtual") || !args.positional().isEmpty())
        return fail("usage: strata-cli sync --virtual [--model NAME]");
    int model = 4115;
    if (args.has("--model") && !parseModel(args.value("--model"), model))
        return fail("unknown model \"" + args.value("--model") + "\" (Ardent, Brio, Brio Max, Brio Solo)");

    juce::String problem;
    const auto preset = loadPreset(args.value("--preset"), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    // The link's Host would otherwise open the user's settings file.
    NsStrata::Host::createInstance(NsStrata::SettingsStore::withoutFile());
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

const Registration port{"port", runPort};
const Registration frame{"frame", runFrame};
const Registration decode{"decode", runDecode};
const Registration ports{"ports", runPorts};
const Registration sync{"sync", runSync};
} // namespace
} // namespace StrataCli
