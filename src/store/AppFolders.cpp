#include "AppFolders.h"

namespace NsStrata
{
namespace AppFolders
{
static juce::String env(const char* name)
{
    return juce::SystemStats::getEnvironmentVariable(name, {});
}

static juce::File strataHome()
{
    const auto home = env("STRATA_HOME");
    return home.isNotEmpty() ? juce::File(home) : juce::File();
}

// $XDG_<kind>_HOME when it is an absolute path, else ~/<fallback>.
static juce::File xdgFolder(const char* variable, const char* fallback)
{
    const auto value = env(variable);
    if (juce::File::isAbsolutePath(value))
        return juce::File(value);
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory).getChildFile(fallback);
}

juce::File dataFolder()
{
    if (auto home = strataHome(); home != juce::File())
        return home.getChildFile("data");
#if JUCE_WINDOWS
    return juce::File("C:/ProgramData/Kestrel");
#elif JUCE_MAC
    return juce::File("~/Library/Application Support/Kestrel");
#else
    return xdgFolder("XDG_DATA_HOME", ".local/share").getChildFile("Kestrel");
#endif
}

juce::File settingsFolder()
{
    if (auto home = strataHome(); home != juce::File())
        return home.getChildFile("config");
#if JUCE_WINDOWS
    return dataFolder().getChildFile("Strata");
#elif JUCE_MAC
    return juce::File("~/Library/Application Support/Kestrel/Strata");
#else
    return xdgFolder("XDG_CONFIG_HOME", ".config").getChildFile("Kestrel/Strata");
#endif
}

juce::File settingsFile()
{
    return settingsFolder().getChildFile("Strata.conf");
}

juce::File jingleLibraryRoot()
{
    return dataFolder().getChildFile("Strata/jingles/using");
}

juce::File tempFolder()
{
    return dataFolder().getChildFile("temp");
}
} // namespace AppFolders
} // namespace NsStrata
