#pragma once
// Shared plumbing of strata-cli: sub-command registration, option parsing, JSON output, the preset.
#include <juce_core/juce_core.h>
#include <juce_data_structures/juce_data_structures.h>

#include <functional>
#include <map>

namespace StrataCli
{
/** A sub-command gets the arguments after its name and returns the exit status. */
using Command = std::function<int(const juce::StringArray& args)>;

std::map<juce::String, Command>& commands();

/** Registers a sub-command at static-initialisation time: static const Registration r{"name", fn}; */
struct Registration
{
    Registration(const char* name, Command command) { commands()[name] = std::move(command); }
};

/** Options and positional arguments of one sub-command. Flags are given without value. */
class Args
{
public:
    Args(const juce::StringArray& raw, const juce::StringArray& valueOptions, const juce::StringArray& flags);

    bool ok() const { return error.isEmpty(); }
    juce::String problem() const { return error; }
    const juce::StringArray& positional() const { return positionals; }
    bool has(const juce::String& option) const { return values.containsKey(option); }
    juce::String value(const juce::String& option, const juce::String& fallback = {}) const;
    /** An integer option; sets the problem text when it is not a whole number. */
    int intValue(const juce::String& option, int fallback);
    /** A number from text; false when the text is not a number. */
    static bool parseNumber(const juce::String& text, double& out);
    static bool parseInt(const juce::String& text, int& out);
    /** Exactly two positionals: a parameter id and a number. */
    bool idAndValue(int& id, double& value) const;

private:
    juce::StringArray positionals;
    juce::StringPairArray values;
    juce::String error;
};

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
