// Port names to models and port numbers, and the texts of the window title.
#include "LinkFixture.h"

#include "device/PortNames.h"

using namespace NsStrata;

TEST(PortNames, NameGivesModelPortAndCounterpart)
{
    const struct
    {
        const char* name;
        int model, port;
        const char* counterpart;
    } cases[] = {
        {"Brio", 4115, 1, "Brio"},
        {"MIDIIN2 (Brio)", 4115, 2, "MIDIOUT2 (Brio)"},
        {"MIDIOUT2 (Brio)", 4115, 2, "MIDIOUT2 (Brio)"},
        {"MIDIOUT10 (Brio)", 4115, 1, "MIDIOUT10 (Brio)"}, // the digit must be followed by a blank
        {"MIDIINx (Brio)", 4115, -1, "MIDIOUTx (Brio)"},
        {"midiin2 (Brio)", 4115, 1, "midiin2 (Brio)"}, // the system's pattern is case-sensitive
        {"Brio MIDI 1", 4115, 1, "Brio MIDI 1"},       // ALSA
        {"Brio MIDI 2", 4115, 2, "Brio MIDI 2"},
        {"Brio Solo", 4114, 1, "Brio Solo"},
        {"  BRIO SOLO  ", 4114, 1, "  BRIO SOLO  "},
        {"brio max", 4141, 1, "brio max"},
        {"Ardent Max", 4141, 1, "Ardent Max"},
        {"Ardent", 4142, 1, "Ardent"},
        {"MIDIIN3 (ARDENT)", 4142, 3, "MIDIOUT3 (ARDENT)"},
        {"Brio Dock", unidentifiedModel, 1, "Brio Dock"}, // another product caught before "*brio*"
        {"Midi Through Port-0", unidentifiedModel, 1, "Midi Through Port-0"},
        {"", unidentifiedModel, 1, ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(modelIdForPortName(c.name), c.model) << c.name;
        EXPECT_EQ(portNumberOf(c.name), c.port) << c.name;
        EXPECT_EQ(counterpartPortName(c.name), juce::String(c.counterpart)) << c.name;
    }
}

TEST(PortNames, ModelNames)
{
    EXPECT_EQ(modelNameForId(4142), "Ardent");
    EXPECT_EQ(modelNameForId(4115), "Brio");
    EXPECT_EQ(modelNameForId(4141), "Brio Max");
    EXPECT_EQ(modelNameForId(4114), "Brio Solo");
    EXPECT_EQ(modelNameForId(unidentifiedModel), "Unknown");
    for (const int model : supportedModels)
        EXPECT_EQ(modelIdForPortName(modelNameForId(model)), model) << "a port named after the model";
}

TEST(LinkTexts, CpuShortName)
{
    const struct
    {
        const char* brand;
        const char* shortName;
    } cases[] = {
        {"Intel(R) Core(TM) i7-9750H CPU @ 2.60GHz", "Intel"},
        {"GenuineINTEL Pro", "Intel"},
        {"AMD Ryzen 7 5800X 8-Core Processor", "AMD"},
        {"Apple M2 Max", "M2 Max"},
        {"Apple M1 Pro", "M1 Pro"},
        {"VirtualApple @ 2.50GHz", "M1 "},
        {"Apple M3 Ultra", "M3 Ultra"},
        {"Apple M3 max", "M3 "}, // the variant is case-sensitive
        {"Some Pro CPU", "Pro"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cpuShortName(c.brand), juce::String(c.shortName)) << c.brand;
}

TEST_F(LinkTest, WindowTitleShowsProcessorStatusAndActivity)
{
    EXPECT_EQ(buildWindowTitle(" [disconnected]", "Intel(R) Xeon"), "Strata v0.76 - Intel [disconnected] ");
    EXPECT_EQ(buildWindowTitle("", "unknown maker"), "Strata v0.76 ");
    linkFlags().receiveIndicator = true;
    linkFlags().sendIndicator = true;
    EXPECT_EQ(buildWindowTitle("", "Intel(R) Xeon"), "Strata v0.76 - Intel <>");
    linkFlags().receiveIndicator = false;
    EXPECT_EQ(buildWindowTitle("", "Apple M2 Max"), "Strata v0.76 - M2 Max >");

    updateLinkTexts();
    EXPECT_EQ(linkTexts().statusText, "Developing..");
    EXPECT_EQ(linkTexts().connectPrompt, "Please connect the target device..");
}
