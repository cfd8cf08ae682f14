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
