#include "LaunchOptions.h"

namespace NsStrata
{
LaunchOptions parseLaunchOptions(const juce::String& commandLine)
{
    LaunchOptions options;
    for (auto& token : juce::StringArray::fromTokens(commandLine, true))
        if (token.unquoted() == "--virtual-device")
            options.virtualDevice = true;
    return options;
}

LaunchOptions& launchOptions()
{
    static LaunchOptions options;
    return options;
}

void resetLaunchOptions()
{
    launchOptions() = LaunchOptions();
}
} // namespace NsStrata
