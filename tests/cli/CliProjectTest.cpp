// strata-cli project, seen from outside: project files on the state in the settings file, never behind the
// back of a Strata that runs on the same settings.
#include "CliRunner.h"
#include "store/InstanceLock.h"

#include <gtest/gtest.h>

TEST(CliProject, ImportsAndExportsThroughTheSettingsButNotWhileStrataRuns)
{
    const auto home = StrataTest::freshFolder("cli-project");
    const auto settings = home.getChildFile("config/Strata.conf");
    const auto project = home.getChildFile("mine.strata");

    auto r = runCli({"project", "export", project.getFullPathName()}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.first()["exported"].toString(), project.getFullPathName());
    EXPECT_EQ(r.first()["settings"].toString(), settings.getFullPathName());
    ASSERT_TRUE(project.existsAsFile());

    r = runCli({"project", "import", project.getFullPathName()}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.first()["imported"].toString(), project.getFullPathName());
    ASSERT_TRUE(settings.existsAsFile());

    {
        // A Strata on these settings would overwrite the import at its exit.
        const NsStrata::InstanceLock running(settings.getParentDirectory());
        ASSERT_TRUE(running.acquired());
        ASSERT_TRUE(settings.replaceWithText("what the running Strata found"));
        r = runCli({"project", "import", project.getFullPathName()}, home);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.out.isEmpty()) << r.out;
        EXPECT_TRUE(r.err.contains("Strata")) << r.err;
        EXPECT_EQ(settings.loadFileAsString(), juce::String("what the running Strata found"));
        EXPECT_FALSE(settings.getSiblingFile("Strata.conf.unreadable").exists());
    }

    r = runCli({"project", "import", project.getFullPathName()}, home);
    EXPECT_EQ(r.exitCode, 0) << r.err;
}
