// The command-line options Strata keeps for later parts.
#include "app/LaunchOptions.h"

#include <gtest/gtest.h>

using namespace NsStrata;

TEST(LaunchOptions, TheVirtualDeviceFlagIsReadFromTheCommandLine)
{
    const struct
    {
        const char* commandLine;
        bool virtualDevice;
    } cases[] = {
        {"", false},
        {"--virtual-device", true},
        {"--other \"a file\" --virtual-device", true},
        {"\"--virtual-device\"", true},
        {"--virtual-devices", false},
        {"--virtual", false},
        {"\"--virtual-device and more\"", false},
    };
    for (auto& c : cases)
        EXPECT_EQ(parseLaunchOptions(c.commandLine).virtualDevice, c.virtualDevice) << c.commandLine;

    launchOptions() = parseLaunchOptions("--virtual-device");
    EXPECT_TRUE(launchOptions().virtualDevice);
    resetLaunchOptions();
    EXPECT_FALSE(launchOptions().virtualDevice);
}

TEST(LaunchOptions, DemoModelAndTraceFile)
{
    EXPECT_EQ(parseLaunchOptions("").virtualModel, 4142) << "the Ardent by default";
    const struct
    {
        const char* commandLine;
        int model;
        int problems;
    } cases[] = {
        {"--virtual-device --model Brio", 4115, 0},
        {"--virtual-device --model \"Brio Max\"", 4141, 0},
        {"--virtual-device --model brio solo", 4114, 0},
        {"--model 4141", 4141, 0},
        {"--model Brio --trace t.jsonl", 4115, 0},
        {"--model Nova", 4142, 1},
        {"--model", 4142, 1},
    };
    for (auto& c : cases)
    {
        const auto options = parseLaunchOptions(c.commandLine);
        EXPECT_EQ(options.virtualModel, c.model) << c.commandLine;
        EXPECT_EQ(options.problems.size(), c.problems) << c.commandLine;
    }

    const auto traced = parseLaunchOptions("--virtual-device --trace \"/tmp/a trace.jsonl\"");
    EXPECT_EQ(traced.traceFile.getFullPathName(), "/tmp/a trace.jsonl");
    EXPECT_TRUE(parseLaunchOptions("--trace rel.jsonl")
                    .traceFile.isAChildOf(juce::File::getCurrentWorkingDirectory()));
    EXPECT_EQ(parseLaunchOptions("--trace").problems.size(), 1);
    EXPECT_EQ(parseLaunchOptions("--virtual-device").traceFile, juce::File());
}
