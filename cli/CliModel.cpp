// strata-cli param / step: the value conversions of one preset node, as the device would see them.
#include "CliCommon.h"

#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/KnobTable.h"
#include "model/Models.h"
#include "model/StateTree.h"

namespace StrataCli
{
namespace
{
struct NodeChoice
{
    juce::ValueTree node;
    int group = 0;
    int model = NsStrata::ardentModel;
};

// Parses --model/--mode/--preset and finds the node of the parameter id; returns 0 or an exit status.
int findNode(Args& args, int paramId, NodeChoice& out)
{
    out.model = args.intValue("--model", NsStrata::ardentModel);
    const int mode = args.intValue("--mode", 1);
    if (!args.ok())
        return fail(args.problem());
    if (!NsStrata::isSupportedModel(out.model))
        return fail("unsupported model number " + juce::String(out.model));
    if (mode < 1 || mode > 5)
        return fail("mode must be 1 to 5, not " + juce::String(mode));
    if (paramId < 1 || paramId > NsStrata::parameterCount)
        return fail("parameter id must be 1 to 58");

    juce::String problem;
    const auto preset = loadPreset(args.value("--preset"), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    out.group = NsStrata::groupIdFor(paramId, mode);
    out.node = NsStrata::parameterNode(NsStrata::modelNode(preset, out.model), paramId, mode);
    if (!out.node.isValid())
        return fail("the preset has no node for parameter " + juce::String(paramId));
    return 0;
}

int runParam(const juce::StringArray& raw)
{
    Args args(raw, {"--model", "--mode", "--preset"}, {});
    int id = 0;
    double value = 0;
    if (!args.ok())
        return fail(args.problem());
    if (!args.idAndValue(id, value))
        return fail("usage: strata-cli param ID VALUE [--model N] [--mode M] [--preset PATH]");

    NodeChoice choice;
    if (const int status = findNode(args, id, choice))
        return status;
    choice.node.setProperty(NsStrata::Prop::value, value, nullptr);

    NsStrata::selection().selectedModel = choice.model;
    const auto message = NsStrata::messageValue(choice.node, choice.model);
    const auto reported = NsStrata::unpack7BitGroups(message);

    auto out = jsonObject();
    out->setProperty("id", id);
    out->setProperty("group", choice.group);
    out->setProperty("nrpn", NsStrata::readInt(choice.node, NsStrata::Prop::nrpn, -1));
    out->setProperty("type", NsStrata::readInt(choice.node, NsStrata::Prop::type, 0));
    out->setProperty("display", value);
    out->setProperty("device", (juce::int64) NsStrata::deviceValue(choice.node, value));
    out->setProperty("message", (juce::int64) message);
    out->setProperty("shown", NsStrata::displayValue(choice.node, (double) reported));
    printJson(out.get());
    return 0;
}

int runStep(const juce::StringArray& raw)
{
    Args args(raw, {"--model", "--mode", "--preset", "--max"}, {"--nearest"});
    int id = 0;
    double from = 0, to = 0;
    if (!args.ok())
        return fail(args.problem());
    if (args.positional().size() != 3 || !Args::parseInt(args.positional()[0], id) ||
        !Args::parseNumber(args.positional()[1], from) || !Args::parseNumber(args.positional()[2], to))
        return fail(
            "usage: strata-cli step ID FROM TO [--nearest] [--max X] [--model N] [--mode M] [--preset PATH]");

    NodeChoice choice;
    if (const int status = findNode(args, id, choice))
        return status;

    const auto* knob = NsStrata::knobForParameter(id);
    double maximum = knob != nullptr ? knob->maximum : 0;
    if (args.has("--max") && !Args::parseNumber(args.value("--max"), maximum))
        return fail("--max takes a number");

    choice.node.setProperty(NsStrata::Prop::value, from, nullptr);
    NsStrata::selection().selectedModel = choice.model;
    const double stored = NsStrata::editStep(choice.node, to, from, args.has("--nearest"), maximum);

    auto out = jsonObject();
    out->setProperty("id", id);
    out->setProperty("value", stored);
    printJson(out.get());
    return 0;
}

const Registration param{"param", runParam};
const Registration step{"step", runStep};
} // namespace
} // namespace StrataCli
