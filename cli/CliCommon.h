#pragma once
// Shared plumbing of strata-cli: sub-command registration, argument checks, JSON output, the preset.
#include <CLI/CLI.hpp>
#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>

#include "model/Models.h"

#include <functional>
#include <map>

namespace StrataCli
{
/** One sub-command: its parser, and what runs it once the arguments are parsed (returning the exit status:
    0 done, 1 refused, 2 bad arguments). */
struct Command
{
    CLI::App* parser = nullptr;
    std::function<int()> run;
};

/** Adds a sub-command, with its options, descriptions and what it prints, to the program's parser. */
using CommandSetup = std::function<Command(CLI::App& cli)>;

/** Every sub-command by name, so that the help lists them in order. */
std::map<std::string, CommandSetup>& commandSetups();

/** Registers a sub-command at static-initialisation time: static const Registration r{"name", setup}; */
struct Registration
{
    Registration(const char* name, CommandSetup setup) { commandSetups()[name] = std::move(setup); }
};

/** A number from text; false when the text is not a finite number. */
bool parseNumber(const juce::String& text, double& out);
/** A whole number from text (written as any number, "4.142e3" too); false when it is not one. */
bool parseInt(const juce::String& text, int& out);
/** The number of text that number() has let through. */
double toNumber(const std::string& checkedText);

/** Checks of an argument's text; a refusal names the argument. Use wholeNumber with transform(): it
    rewrites the text as the plain integer that the option's int takes. */
CLI::Validator wholeNumber(int lowest = -1000000000, int highest = 1000000000);
CLI::Validator number();
/** A supported model number (4142, 4115, 4141, 4114), used like wholeNumber. */
CLI::Validator modelNumber();

/** The options that pick a node of the preset. */
struct NodeOptions
{
    int model = NsStrata::ardentModel;
    int mode = 1;
    std::string preset;
};
/** Adds --model N, --mode M and --preset PATH. */
void addNodeOptions(CLI::App& command, NodeOptions& options);
/** Adds --preset PATH alone. */
CLI::Option* addPresetOption(CLI::App& command, std::string& preset);

/** A path given on the command line, relative to the working folder. */
juce::File fileArgument(const juce::String& path);
/** A refusal of the program: its own message on standard error, as it would show it; status 1. */
int refuse(const juce::Result& result);
/** Prints a message to standard error and returns the given status. */
int fail(const juce::String& message, int status = 2);
/** Prints one JSON object on one line to standard output. */
void printJson(const juce::var& object);
/** A JSON object under construction, keeping the insertion order of its keys. */
juce::DynamicObject::Ptr jsonObject();

/** The preset tree: the shipped one, or the file given with --preset; invalid with a message when unusable.
 */
juce::ValueTree loadPreset(const juce::String& path, juce::String& problem);
} // namespace StrataCli
