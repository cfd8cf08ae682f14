#include "TestHome.h"

#include <cstdlib>
#include <unistd.h>

namespace StrataTest
{
juce::File testHome()
{
    static const juce::File home = []
    {
        // ctest runs suites in parallel: the process id keeps two of them from picking the same folder (and
        // one deleting it under the other at exit).
        const auto name = "strata-test-home-" + juce::String((int) ::getpid()) + "-" +
                          juce::String::toHexString(juce::Random::getSystemRandom().nextInt64());
        auto dir = juce::File::getSpecialLocation(juce::File::tempDirectory).getChildFile(name);
        dir.createDirectory();
        ::setenv("STRATA_HOME", dir.getFullPathName().toRawUTF8(), 1);
        return dir;
    }();
    return home;
}

juce::File freshFolder(const juce::String& name)
{
    auto dir = testHome().getNonexistentChildFile(name, "", false);
    dir.createDirectory();
    return dir;
}

static juce::File fromEnv(const char* name, juce::File fallback)
{
    if (const char* v = std::getenv(name))
        return juce::File(juce::String::fromUTF8(v));
    return fallback;
}

juce::File binDir()
{
    return fromEnv("STRATA_BIN_DIR",
                   juce::File::getSpecialLocation(juce::File::currentExecutableFile).getParentDirectory());
}

juce::File sourceDir()
{
    return fromEnv("STRATA_SOURCE_DIR", juce::File::getCurrentWorkingDirectory());
}
} // namespace StrataTest
