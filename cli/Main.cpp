// strata-cli: diagnostics and scripting on Strata's core; one JSON object per output line.
#include "CliCommon.h"

#include <juce_events/juce_events.h>

#include <iostream>

namespace
{
// "-.5" is a number, but the parser would take it for an option named "."; no option begins with a dot.
std::vector<std::string> argumentsOf(int argc, char** argv)
{
    std::vector<std::string> args;
    for (int i = argc - 1; i >= 1; --i) // the parser takes them last first
    {
        std::string a = argv[i];
        if (a.size() > 2 && a[0] == '-' && a[1] == '.' && std::isdigit((unsigned char) a[2]))
            a.insert(1, "0");
        args.push_back(a);
    }
    return args;
}

// The command named so far, for the hint after an error: "strata-cli jingle add".
std::string commandPath(const CLI::App& cli)
{
    std::string path = "strata-cli";
    for (const auto* app = &cli; !app->get_subcommands().empty();)
    {
        app = app->get_subcommands().front();
        path += " " + app->get_name();
    }
    return path;
}
} // namespace

int main(int argc, char** argv)
{
    CLI::App cli("Diagnostics and scripting on Strata's core. Every command prints one JSON object per line "
                 "on standard output; errors go to standard error with status 2 for bad arguments and 1 "
                 "when the program refuses.",
                 "strata-cli");
    cli.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    cli.footer("See strata-cli COMMAND --help for a command's arguments and what it prints.");

    std::vector<StrataCli::Command> commands;
    for (const auto& [name, setup] : StrataCli::commandSetups())
        commands.push_back(setup(cli));

    const bool askedForHelp = argc == 2 && std::string(argv[1]) == "help";
    if (argc < 2 || askedForHelp)
    {
        std::cout << cli.help();
        return askedForHelp ? 0 : 2;
    }
    try
    {
        auto args = argumentsOf(argc, argv);
        cli.parse(args);
    }
    catch (const CLI::CallForHelp&)
    {
        std::cout << cli.help();
        return 0;
    }
    catch (const CLI::ParseError& e)
    {
        return StrataCli::fail(juce::String(e.what()) + " (see " + commandPath(cli) + " --help)");
    }

    for (const auto& command : commands)
        if (command.parser->parsed())
        {
            juce::ScopedJuceInitialiser_GUI juce; // timers and the message loop for the link commands
            return command.run();
        }
    return StrataCli::fail("no command given (see strata-cli --help)");
}
