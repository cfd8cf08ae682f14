#include "LaunchOptions.h"

#include "device/PortNames.h"
#include "model/Models.h"

namespace NsStrata
{
int modelForName(const juce::String& text)
{
    const auto given = text.trim();
    if (given.containsOnly("0123456789") && isSupportedModel(given.getIntValue()))
        return given.getIntValue();
    for (const int model : supportedModels)
        if (modelNameForId(model).equalsIgnoreCase(given))
            return model;
    return 0;
}

LaunchOptions parseLaunchOptions(const juce::String& commandLine)
{
    LaunchOptions options;
    auto tokens = juce::StringArray::fromTokens(commandLine, true);
    for (auto& token : tokens)
        token = token.unquoted();
    for (int i = 0; i < tokens.size(); ++i)
    {
        const auto& token = tokens[i];
        if (token == "--virtual-device")
        {
            options.virtualDevice = true;
        }
        else if (token == "--report-first-frame")
        {
            options.reportFirstFrame = true;
        }
        else if (token == "--model")
        {
            // A two-word name may come unquoted: "--model Brio Max".
            juce::String name = tokens[i + 1];
            int taken = 1;
            if (i + 2 < tokens.size() && modelForName(name + " " + tokens[i + 2]) != 0)
            {
                name << " " << tokens[i + 2];
                taken = 2;
            }
            i += taken;
            if (const int model = modelForName(name); model != 0)
                options.virtualModel = model;
            else
                options.problems.add("unknown model \"" + name + "\" (Ardent, Brio, Brio Max, Brio Solo)");
        }
        else if (token == "--trace")
        {
            if (i + 1 < tokens.size())
                options.traceFile = juce::File::getCurrentWorkingDirectory().getChildFile(tokens[++i]);
            else
                options.problems.add("--trace needs a file");
        }
    }
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
