// strata-cli port, frame, decode and sync, seen from outside.
#include "CliRunner.h"

#include <gtest/gtest.h>

TEST(CliPort, NameGivesModelPortAndCounterpart)
{
    const auto r = runCli({"port", "MIDIIN2 (Brio Max)"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto o = r.first();
    EXPECT_EQ(o["name"].toString(), "MIDIIN2 (Brio Max)");
    EXPECT_EQ((int) o["model"], 4141);
    EXPECT_EQ((int) o["port"], 2);
    EXPECT_EQ(o["counterpart"].toString(), "MIDIOUT2 (Brio Max)");
}

TEST(CliFrame, PrintsWhatAFlushSends)
{
    const struct
    {
        const char* what;
        juce::StringArray args;
        const char* bytes;
    } cases[] = {
        {"MIC1 -12 dB on the Ardent: level index 3", {"1", "-12"}, "F0 00 02 4E 20 2E 7B 71 03 F7"},
        {"the same on the Brio", {"1", "-12", "--model", "4115"}, "F0 00 02 4E 20 13 7B 71 03 F7"},
        {"14 bits: LOW CUT 200 Hz", {"16", "200", "--mode", "2"}, "F0 00 02 4E 20 2E 07 41 02 01 48 F7"},
        {"the identity request", {"55", "0"}, "F0 7E 7F 06 01 F7"},
        {"the mode selector: USER 1 based on KTV", {"8", "5"}, "F0 00 02 4E 20 2E 7B 7F 05 F7"},
    };
    for (const auto& c : cases)
    {
        auto args = c.args;
        args.insert(0, "frame");
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << c.what << ": " << r.err;
        EXPECT_EQ(r.first()["bytes"].toString(), juce::String(c.bytes)) << c.what;
    }
}

TEST(CliDecode, AppliesMessagesInOrderToAFreshTree)
{
    const auto r = runCli({"decode", "--model", "4142",
                           "F0 7E 7F 06 02 00 02 4E 00 00 20 2E 31 2E 30 35 F7", // identity reply
                           "F0 00 02 4E 20 2E 7B 7F 04 F7",                      // mode selector: USER 1
                           "F0 00 02 4E 20 2E 07 41 02 01 48 F7",                // LOW CUT of USER 1
                           "F0 00 02 4E 20 13 7B 71 03 F7",                      // a Brio's MIC1
                           "F0 00 02 4E 20 2E 7B 71 00 00 F7"});                 // 11 bytes
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto lines = r.objects();
    ASSERT_EQ(lines.size(), 5);
    const struct
    {
        bool handled;
        int mode;
        bool edited;
        const char* version;
        const char* changes;
    } expected[] = {
        {true, 1, false, "1.05", "[]"},
        {true, 4, true, "1.05", "[[0, 8, 4.0]]"},
        {true, 4, true, "1.05", "[[4, 16, 200.0]]"},
        {false, 4, false, "1.05", "[]"},
        {false, 4, false, "1.05", "[]"},
    };
    for (int i = 0; i < lines.size(); ++i)
    {
        const auto& o = lines[i];
        const auto& e = expected[i];
        EXPECT_EQ((bool) o["handled"], e.handled) << "message " << i;
        EXPECT_EQ((int) o["mode"], e.mode) << "message " << i;
        EXPECT_EQ((bool) o["edited"], e.edited) << "message " << i;
        EXPECT_EQ(o["version"].toString(), juce::String(e.version)) << "message " << i;
        EXPECT_EQ(juce::JSON::toString(o["changes"], true), juce::String(e.changes)) << "message " << i;
    }
}

TEST(CliSync, TheVirtualMixerSynchronisesNoSoonerThanTheProtocolAllows)
{
    const auto r = runCli({"sync", "--virtual", "--model", "Brio Solo"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto o = r.first();
    EXPECT_EQ((int) o["sent"], 8) << "identity request, six dump requests, the mode selector";
    EXPECT_EQ((int) o["received"], 7) << "identity reply, status block, five mode blocks";
    EXPECT_GE((int) o["connected_ms"], 50);
    EXPECT_GT((int) o["synchronised_ms"], (int) o["connected_ms"]);
    EXPECT_GE((int) o["selector_ms"], (int) o["floor_ms"]);
}

TEST(CliDevice, BadArgumentsExitWithStatusTwoAndAMessage)
{
    const juce::StringArray bad[] = {
        {"port"},
        {"frame", "1"},
        {"frame", "1", "1", "--model", "2000"},
        {"frame", "99", "1"},
        {"decode"},
        {"decode", "F0 0"},
        {"decode", "--model", "12", "F0 F7"},
        {"sync"},
        {"sync", "--virtual", "--model", "Cadet"},
    };
    for (const auto& args : bad)
    {
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.joinIntoString(" ");
        EXPECT_TRUE(r.out.isEmpty()) << args.joinIntoString(" ");
        EXPECT_TRUE(r.err.isNotEmpty()) << args.joinIntoString(" ");
    }
}

TEST(CliSync, LeavesTheUsersSettingsAlone)
{
    const auto home = StrataTest::freshFolder("cli-sync");
    const auto settings = home.getChildFile("config/Strata.conf");
    ASSERT_TRUE(settings.create());
    ASSERT_TRUE(settings.replaceWithText("settings no program here can read"));
    const auto before = home.findChildFiles(juce::File::findFilesAndDirectories, true);

    const auto r = runCli({"sync", "--virtual"}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(home.findChildFiles(juce::File::findFilesAndDirectories, true), before);
    EXPECT_EQ(settings.loadFileAsString(), juce::String("settings no program here can read"));
}
