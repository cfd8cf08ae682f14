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
};

// Finds the node of the parameter id in the chosen preset; returns 0 or an exit status.
int findNode(const NodeOptions& options, int paramId, NodeChoice& out)
{
    juce::String problem;
    const auto preset = loadPreset(juce::String::fromUTF8(options.preset.c_str()), problem);
    if (problem.isNotEmpty())
        return fail(problem);
    out.group = NsStrata::groupIdFor(paramId, options.mode);
    out.node = NsStrata::parameterNode(NsStrata::modelNode(preset, options.model), paramId, options.mode);
    if (!out.node.isValid())
        return fail("the preset has no node for parameter " + juce::String(paramId));
    return 0;
}

void addParameterId(CLI::App& command, int& id)
{
    command.add_option("ID", id, "parameter id (1 to 58)")
        ->required()
        ->transform(wholeNumber(1, NsStrata::parameterCount));
}

struct ParamOptions
{
    int id = 0;
    std::string value;
    NodeOptions node;
};

int runParam(const ParamOptions& o)
{
    NodeChoice choice;
    if (const int status = findNode(o.node, o.id, choice))
        return status;
    const double value = toNumber(o.value);
    choice.node.setProperty(NsStrata::Prop::value, value, nullptr);

    NsStrata::selection().selectedModel = o.node.model;
    const auto message = NsStrata::messageValue(choice.node, o.node.model);
    const auto reported = NsStrata::unpack7BitGroups(message);

    auto out = jsonObject();
    out->setProperty("id", o.id);
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

Command param(CLI::App& cli)
{
    auto o = std::make_shared<ParamOptions>();
    auto* command =
        cli.add_subcommand("param", "How a value of one parameter goes to the device and comes back");
    addParameterId(*command, o->id);
    command->add_option("VALUE", o->value, "the value in display units")
        ->required()
        ->type_name("NUMBER")
        ->check(number());
    addNodeOptions(*command, o->node);
    command->footer(
        "Prints {\"id\", \"group\" (0 or the mode), \"nrpn\" (device address), \"type\" (message "
        "layout), \"display\" (the value given), \"device\" (device value), \"message\" (the value "
        "as the message carries it), \"shown\" (the display value a report of it gives back)}.");
    return {command, [o] { return runParam(*o); }};
}

struct StepOptions
{
    int id = 0;
    std::string from, to, maximum;
    bool nearest = false;
    CLI::Option* maximumGiven = nullptr;
    NodeOptions node;
};

int runStep(const StepOptions& o)
{
    NodeChoice choice;
    if (const int status = findNode(o.node, o.id, choice))
        return status;

    const auto* knob = NsStrata::knobForParameter(o.id);
    const double maximum =
        o.maximumGiven->count() > 0 ? toNumber(o.maximum) : (knob != nullptr ? knob->maximum : 0);
    const double from = toNumber(o.from);
    choice.node.setProperty(NsStrata::Prop::value, from, nullptr);
    NsStrata::selection().selectedModel = o.node.model;
    const double stored = NsStrata::editStep(choice.node, toNumber(o.to), from, o.nearest, maximum);

    auto out = jsonObject();
    out->setProperty("id", o.id);
    out->setProperty("value", stored);
    printJson(out.get());
    return 0;
}

Command step(CLI::App& cli)
{
    auto o = std::make_shared<StepOptions>();
    auto* command =
        cli.add_subcommand("step", "The value a knob stores when turned from one value to another");
    addParameterId(*command, o->id);
    command->add_option("FROM", o->from, "the value before")
        ->required()
        ->type_name("NUMBER")
        ->check(number());
    command->add_option("TO", o->to, "where the knob was turned to")
        ->required()
        ->type_name("NUMBER")
        ->check(number());
    command->add_flag("--nearest", o->nearest, "land on the nearest step (a drag) instead of the next one");
    o->maximumGiven = command->add_option("--max", o->maximum, "the knob's highest value (default: its own)")
                          ->type_name("X")
                          ->check(number());
    addNodeOptions(*command, o->node);
    command->footer("Prints {\"id\", \"value\": the value stored}.");
    return {command, [o] { return runStep(*o); }};
}

const Registration paramCommand{"param", param};
const Registration stepCommand{"step", step};
} // namespace
} // namespace StrataCli
