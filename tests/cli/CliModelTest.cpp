// strata-cli param and step, seen from outside: the conversions of the shipped preset's nodes.
#include "CliRunner.h"

#include <gtest/gtest.h>

TEST(CliParam, ReportsWhatGoesOutAndWhatComesBack)
{
    const struct
    {
        const char* what;
        juce::StringArray args;
        int group, type, device, message;
        double shown;
    } cases[] = {
        {"MIC1 -18 dB", {"1", "-18"}, 0, 10, 1, 1, -18},
        {"MIC1 60 dB", {"1", "60"}, 0, 10, 79, 27, 60},
        {"MIC1 off", {"1", "-30"}, 0, 10, 0, 0, -30},
        {"HP 0 dB", {"3", "0"}, 0, 10, 64, 23, 0},
        {"HP +6 dB: 128 packed into two groups", {"3", "6"}, 0, 10, 0x0100, 29, 5.9524749394},
        {"HP -18 dB", {"3", "-18"}, 0, 10, 8, 5, -18.0617997398},
        {"BGM with device value 1 on Ardent", {"7", "-36", "--model", "4142"}, 0, 10, 1, 0, -100},
        {"BGM with device value 1 on Brio", {"7", "-36", "--model", "4115"}, 0, 10, 1, 1, -30.1029995664},
        {"Ratio 4", {"27", "4"}, 1, 10, 96, 96, 4},
        {"Ratio 11", {"27", "11", "--mode", "3"}, 3, 10, 127, 127, 128},
        {"Delay 250 ms", {"51", "250"}, 0, 10, 95, 95, 250},
        {"Delay 100 ms", {"51", "100"}, 0, 10, 0, 0, 100.6289308176},
        {"Delay 500 ms", {"51", "500"}, 0, 10, 127, 127, 500},
        {"Time 1000 ms", {"52", "1000"}, 0, 10, 119, 119, 1000},
        {"Time 2000 ms", {"52", "2000"}, 0, 10, 127, 127, 2000},
        {"VOICE OVER -20", {"53", "-20"}, 0, 10, 101, 101, -20},
        {"VOICE OVER -54", {"53", "-54"}, 0, 10, 127, 127, -119},
        {"VOICE OVER -6", {"53", "-6"}, 0, 10, 0, 0, -6},
        {"EQ +5 dB", {"21", "5", "--mode", "2"}, 2, 10, 74, 74, 5},
        {"EQ -15 dB", {"23", "-15"}, 1, 10, 34, 34, -15},
        {"Boost 7 dB in 14 bits", {"29", "7"}, 1, 12, 0x3163, 0x3163, 6.9998168834},
    };
    for (const auto& c : cases)
    {
        auto args = c.args;
        args.insert(0, "param");
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << c.what << ": " << r.err;
        const auto o = r.first();
        EXPECT_EQ((int) o["id"], c.args[0].getIntValue()) << c.what;
        EXPECT_EQ((int) o["group"], c.group) << c.what;
        EXPECT_EQ((int) o["type"], c.type) << c.what;
        EXPECT_EQ((int) o["device"], c.device) << c.what;
        EXPECT_EQ((int) o["message"], c.message) << c.what;
        EXPECT_NEAR((double) o["shown"], c.shown, 1e-6) << c.what;
        EXPECT_DOUBLE_EQ((double) o["display"], c.args[1].getDoubleValue()) << c.what;
    }
}

TEST(CliStep, StoresTheStepTheKnobLandsOn)
{
    const struct
    {
        const char* what;
        juce::StringArray args;
        double stored;
    } cases[] = {
        {"MIC1 down from -18", {"1", "-18", "-24"}, -30},
        {"MIC1 up from off", {"1", "-30", "-27"}, -18},
        {"MIC1 dragged to -21", {"1", "-18", "-21", "--nearest"}, -18},
        {"HP down from -18", {"3", "-18", "-20"}, -21},
        {"HP up from -33", {"3", "-33", "-31"}, -30},
        {"Ratio at its maximum stores the infinite ratio", {"27", "5", "11"}, 128},
        {"Ratio with a lower maximum", {"27", "5", "9", "--max", "8"}, 128},
    };
    for (const auto& c : cases)
    {
        auto args = c.args;
        args.insert(0, "step");
        const auto r = runCli(args);
        ASSERT_EQ(r.exitCode, 0) << c.what << ": " << r.err;
        EXPECT_NEAR((double) r.first()["value"], c.stored, 1e-9) << c.what;
    }
}

TEST(CliParam, BadArgumentsExitWithStatusTwoAndAMessage)
{
    const juce::StringArray bad[] = {
        {"param"},
        {"param", "x", "1"},
        {"param", "1", "loud"},
        {"param", "0", "1"},
        {"param", "1", "1", "--model", "1234"},
        {"param", "1", "1", "--mode", "6"},
        {"param", "1", "1", "--preset", "/nonexistent/preset.xml"},
        {"param", "1", "1", "--colour", "red"},
        {"step", "1", "2"},
        {"step", "27", "1", "2", "--max", "big"},
        {"no-such-command"},
    };
    for (const auto& args : bad)
    {
        const auto r = runCli(args);
        EXPECT_EQ(r.exitCode, 2) << args.joinIntoString(" ");
        EXPECT_TRUE(r.out.isEmpty()) << args.joinIntoString(" ");
        EXPECT_TRUE(r.err.isNotEmpty()) << args.joinIntoString(" ");
    }
}

TEST(CliParam, ReadsAnotherPresetFile)
{
    auto dir = StrataTest::freshFolder("cli-preset");
    auto preset = dir.getChildFile("preset.xml");
    const auto shipped =
        StrataTest::binDir().getChildFile("resources/Strata/preset/preset.xml").loadFileAsString();
    // The same preset with MIC1's node made a plain switch: its value goes out as it is.
    auto edited = shipped.replaceFirstOccurrenceOf("kind=\"knob\" linear=\"0\" start=\"-30\"",
                                                   "kind=\"switch\" start=\"-30\"");
    ASSERT_NE(edited, shipped);
    ASSERT_TRUE(preset.replaceWithText(edited));

    const auto r = runCli({"param", "1", "12", "--preset", preset.getFullPathName()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ((int) r.first()["message"], 12);
}
