// Where the data and settings folders lie: STRATA_HOME first, then the platform's places.
#include "store/AppFolders.h"
#include "model/Models.h"
#include "store/SettingsStore.h"
#include "support/TestHome.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>

using namespace NsStrata;

namespace
{
// Sets environment variables for one scope and puts the old values back afterwards.
class ScopedEnvironment
{
public:
    explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& values)
    {
        for (auto& [name, value] : values)
        {
            const char* old = std::getenv(name.c_str());
            saved[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
            set(name, value);
        }
    }
    ~ScopedEnvironment()
    {
        for (auto& [name, value] : saved)
            set(name, value);
    }

private:
    static void set(const std::string& name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name.c_str());
    }

    std::map<std::string, std::optional<std::string>> saved;
};

juce::String path(const juce::File& f)
{
    return f.getFullPathName();
}
} // namespace

TEST(AppFolders, StrataHomeHoldsTheDataAndTheSettings)
{
    const auto home = StrataTest::freshFolder("home");
    ScopedEnvironment env({{"STRATA_HOME", home.getFullPathName().toStdString()},
                           {"XDG_CONFIG_HOME", "/elsewhere/config"},
                           {"XDG_DATA_HOME", "/elsewhere/data"}});

    EXPECT_EQ(AppFolders::dataFolder(), home.getChildFile("data"));
    EXPECT_EQ(AppFolders::settingsFolder(), home.getChildFile("config"));
    EXPECT_EQ(AppFolders::settingsFile(), home.getChildFile("config/Strata.conf"));
    EXPECT_EQ(AppFolders::jingleLibraryRoot(), home.getChildFile("data/Strata/jingles/using"));
    EXPECT_EQ(AppFolders::tempFolder(), home.getChildFile("data/temp"));

    // The store of the running program uses that file, and creates its folder when it first writes.
    SettingsStore store;
    EXPECT_EQ(store.file(), home.getChildFile("config/Strata.conf"));
    EXPECT_TRUE(store.saveState());
    EXPECT_TRUE(home.getChildFile("config/Strata.conf").existsAsFile());
    selection().reset();
}

#if JUCE_LINUX
TEST(AppFolders, WithoutStrataHomeTheXdgFoldersAreUsed)
{
    const auto userHome = juce::File::getSpecialLocation(juce::File::userHomeDirectory);
    const struct
    {
        const char* what;
        std::optional<std::string> strataHome, configHome, dataHome;
        juce::String settingsFile, dataFolder;
    } cases[] = {
        {"XDG folders set", std::nullopt, "/x/cfg", "/x/share", "/x/cfg/Kestrel/Strata/Strata.conf",
         "/x/share/Kestrel"},
        {"XDG folders unset", std::nullopt, std::nullopt, std::nullopt,
         path(userHome.getChildFile(".config/Kestrel/Strata/Strata.conf")),
         path(userHome.getChildFile(".local/share/Kestrel"))},
        {"relative XDG folders are ignored", std::nullopt, "rel/cfg", "rel/share",
         path(userHome.getChildFile(".config/Kestrel/Strata/Strata.conf")),
         path(userHome.getChildFile(".local/share/Kestrel"))},
        {"an empty STRATA_HOME counts as unset", "", "/x/cfg", "/x/share",
         "/x/cfg/Kestrel/Strata/Strata.conf", "/x/share/Kestrel"},
    };
    for (auto& c : cases)
    {
        ScopedEnvironment env({{"STRATA_HOME", c.strataHome},
                               {"XDG_CONFIG_HOME", c.configHome},
                               {"XDG_DATA_HOME", c.dataHome}});
        EXPECT_EQ(path(AppFolders::settingsFile()), c.settingsFile) << c.what;
        EXPECT_EQ(path(AppFolders::dataFolder()), c.dataFolder) << c.what;
        EXPECT_EQ(path(AppFolders::jingleLibraryRoot()), c.dataFolder + "/Strata/jingles/using") << c.what;
        EXPECT_EQ(path(AppFolders::tempFolder()), c.dataFolder + "/temp") << c.what;
    }
}
#endif
