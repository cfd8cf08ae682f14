// strata-cli describes itself: every command's help names its arguments and what it prints, and an error
// names the argument at fault.
#include "CliRunner.h"

#include <gtest/gtest.h>

TEST(CliHelp, EveryCommandDescribesItsArgumentsAndWhatItPrints)
{
    const struct
    {
        juce::StringArray command;
        juce::StringArray mentions; // arguments, options, and a key of what it prints
    } cases[] = {
        {{"port"}, {"NAME", "counterpart"}},
        {{"frame"}, {"ID", "VALUE", "--model", "--device-model", "--mode", "--preset", "bytes"}},
        {{"decode"}, {"HEX", "--model", "--preset", "changes"}},
        {{"ports"}, {"direction", "identifier"}},
        {{"sync"}, {"--virtual", "--model", "--preset", "synchronised_ms"}},
        {{"hash"}, {"FILE", "hash"}},
        {{"jingle"}, {"list", "add", "rename", "rebuild", "slot"}},
        {{"jingle", "list"}, {"slot"}},
        {{"jingle", "add"}, {"SLOT", "FILE", "slot"}},
        {{"jingle", "rename"}, {"SLOT", "NAME", "slot"}},
        {{"jingle", "rebuild"}, {"--factory", "slot"}},
        {{"param"}, {"ID", "VALUE", "--model", "--mode", "--preset", "shown"}},
        {{"step"}, {"ID", "FROM", "TO", "--nearest", "--max", "--model", "--mode", "--preset", "value"}},
        {{"project"}, {"export", "import"}},
        {{"project", "export"}, {"FILE", "exported"}},
        {{"project", "import"}, {"FILE", "imported"}},
        {{"mode-block"}, {"--mode", "--action", "--project", "--model", "bytes"}},
        {{"dsp"}, {"info", "send"}},
        {{"dsp", "info"}, {"--virtual", "ranges"}},
        {{"dsp", "send"}, {"SLOT", "FILE", "--virtual", "--trace", "writes"}},
    };

    const auto top = runCli({"--help"});
    ASSERT_EQ(top.exitCode, 0) << top.err;
    for (const auto& c : cases)
    {
        const auto name = c.command.joinIntoString(" ");
        if (c.command.size() == 1)
        {
            EXPECT_TRUE(top.out.contains("\n  " + name + " ")) << name << " is missing from:\n" << top.out;
        }

        auto args = c.command;
        args.add("--help");
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 0) << name;
        EXPECT_TRUE(r.err.isEmpty()) << name << ": " << r.err;
        EXPECT_TRUE(r.out.contains("Usage: strata-cli " + name)) << r.out;
        for (const auto& word : c.mentions)
            EXPECT_TRUE(r.out.contains(word)) << name << " --help says nothing of " << word << ":\n" << r.out;
    }
}

TEST(CliHelp, ABadArgumentIsNamedInTheError)
{
    const struct
    {
        juce::StringArray args;
        const char* named;
    } cases[] = {
        {{"no-such-command"}, "no-such-command"},
        {{"frame", "x", "1"}, "ID"},
        {{"frame", "1"}, "VALUE"},
        {{"frame", "1", "loud"}, "VALUE"},
        {{"frame", "1", "1", "--model", "2000"}, "--model"},
        {{"frame", "1", "1", "--device-model", "two"}, "--device-model"},
        {{"param", "1", "1", "--mode", "6"}, "--mode"},
        {{"param", "1", "1", "--colour", "red"}, "--colour"},
        {{"step", "27", "1", "2", "--max", "big"}, "--max"},
        {{"decode", "F0 0"}, "HEX"},
        {{"sync", "--virtual", "--model", "Cadet"}, "--model"},
        {{"jingle", "add", "12", "a.mp3"}, "SLOT"},
        {{"jingle", "list", "--factory"}, "--factory"},
        {{"mode-block", "--mode", "1", "--action", "300"}, "--action"},
        {{"dsp", "send", "0", "a.mp3"}, "SLOT"},
    };
    for (const auto& c : cases)
    {
        const auto r = runCli(c.args);
        const auto line = c.args.joinIntoString(" ");
        EXPECT_EQ(r.exitCode, 2) << line;
        EXPECT_TRUE(r.out.isEmpty()) << line;
        EXPECT_TRUE(r.err.contains(c.named)) << line << ": " << r.err;
    }
}
