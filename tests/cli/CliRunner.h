#pragma once
// Runs the built strata-cli and reads its JSON lines.
#include "support/TestHome.h"

#include <juce_core/juce_core.h>

struct CliResult
{
    int exitCode = -1;
    juce::String out, err;
    /** The output lines parsed as JSON objects. */
    juce::Array<juce::var> objects() const
    {
        juce::Array<juce::var> all;
        for (const auto& line : juce::StringArray::fromLines(out.trim()))
            if (line.isNotEmpty())
                all.add(juce::JSON::parse(line));
        return all;
    }
    juce::var first() const { return objects()[0]; }
};

inline juce::String shellQuoted(const juce::String& text)
{
    return text.replace("'", "'\\''").quoted('\'');
}

/** Runs strata-cli with the arguments (and STRATA_HOME at home when one is given); standard error goes to a
    file so it can be read apart. */
inline CliResult runCli(const juce::StringArray& args, const juce::File& home = {})
{
    const auto errFile = StrataTest::testHome().getNonexistentChildFile("cli-stderr", ".txt", false);
    juce::StringArray command{"/bin/sh", "-c"};
    juce::String line;
    if (home != juce::File())
        line << "STRATA_HOME=" << shellQuoted(home.getFullPathName()) << " ";
    line << StrataTest::binDir().getChildFile("strata-cli").getFullPathName().quoted('\'');
    for (const auto& a : args)
        line << " " << shellQuoted(a);
    line << " 2>" << errFile.getFullPathName().quoted('\'');
    command.add(line);

    CliResult result;
    juce::ChildProcess process;
    if (!process.start(command, juce::ChildProcess::wantStdOut))
        return result;
    result.out = process.readAllProcessOutput();
    process.waitForProcessToFinish(60000);
    result.exitCode = (int) process.getExitCode();
    result.err = errFile.loadFileAsString();
    errFile.deleteFile();
    return result;
}
