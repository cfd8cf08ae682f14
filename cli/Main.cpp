// strata-cli: diagnostics and scripting on Strata's core; one JSON object per output line.
#include "CliCommon.h"

#include <juce_events/juce_events.h>

#include <iostream>

int main(int argc, char** argv)
{
    juce::StringArray args;
    for (int i = 1; i < argc; ++i)
        args.add(juce::String::fromUTF8(argv[i]));

    auto& all = StrataCli::commands();
    if (args.isEmpty() || args[0] == "--help" || args[0] == "help")
    {
        std::cout << "usage: strata-cli <command> [arguments]\ncommands:";
        for (const auto& [name, command] : all)
            std::cout << " " << name;
        std::cout << std::endl;
        return args.isEmpty() ? 2 : 0;
    }
    const auto found = all.find(args[0]);
    if (found == all.end())
        return StrataCli::fail("unknown command \"" + args[0] + "\" (see strata-cli --help)");
    args.remove(0);
    juce::ScopedJuceInitialiser_GUI juce; // timers and the message loop for the link commands
    return found->second(args);
}
