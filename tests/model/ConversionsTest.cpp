// Conversions of the shipped preset's nodes: what goes to the device, and what a device report shows.
#include "PresetFixture.h"

#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/Models.h"

#include <cmath>

using namespace NsStrata;

namespace
{
struct SendCase
{
    const char* what;
    int id;
    double value;
    int model;
    uint32_t device;  // deviceValue, unpacked
    uint32_t message; // what the message carries, unpacked
};

double shownAfterRoundTrip(const juce::ValueTree& node, int model)
{
    return displayValue(node, unpack7BitGroups(messageValue(node, model)));
}
} // namespace

TEST(Conversions, PresetNodesSendTheDeviceValuesOfTheirParameters)
{
    const SendCase cases[] = {
        {"MIC1 -18 dB is level index 1", 1, -18, 4142, 1, 1},
        {"MIC1 60 dB is the last level index", 1, 60, 4142, 79, 27},
        {"MIC1 off is index 0", 1, -30, 4142, 0, 0},
        {"HP 0 dB", 3, 0, 4142, 64, 23},
        {"HP +6 dB", 3, 6, 4142, 128, 29},
        {"HP -18 dB", 3, -18, 4142, 8, 5},
        {"BGM with device value 1 on Ardent", 7, -36, 4142, 1, 0},
        {"BGM with device value 1 on Brio", 7, -36, 4115, 1, 1},
        {"Ratio 4", 27, 4, 4142, 96, 96},
        {"Ratio at 11 is infinite", 27, 11, 4142, 127, 127},
        {"Ratio above 11", 27, 20, 4142, 127, 127},
        {"Delay 250 ms", 51, 250, 4142, 95, 95},
        {"Delay 100 ms is not above 0", 51, 100, 4142, 0, 0},
        {"Delay 500 ms", 51, 500, 4142, 127, 127},
        {"Time 1000 ms", 52, 1000, 4142, 119, 119},
        {"Time 2000 ms", 52, 2000, 4142, 127, 127},
        {"VOICE OVER -20", 53, -20, 4142, 101, 101},
        {"VOICE OVER -54 is off", 53, -54, 4142, 127, 127},
        {"VOICE OVER -6", 53, -6, 4142, 0, 0},
        {"EQ +5 dB", 21, 5, 4142, 74, 74},
        {"EQ -15 dB", 21, -15, 4142, 34, 34},
        {"Threshold -1", 28, -1, 4142, 16255, 16255},
        {"De-esser 6.5 kHz in 100 Hz units", 14, 6.5, 4142, 65, 65},
        {"HC 16.2 kHz", 17, 16.2, 4142, 162, 162},
        {"mode selector is sent as its code", 8, 6, 4142, 6, 6},
    };
    for (const auto& c : cases)
    {
        auto node = presetNode(c.id);
        node.setProperty(Prop::value, c.value, nullptr);
        EXPECT_EQ(unpack7BitGroups(deviceValue(node)), c.device) << c.what;
        EXPECT_EQ(unpack7BitGroups(messageValue(node, c.model)), c.message) << c.what;
    }
}

TEST(Conversions, DeviceReportsShowInDisplayUnits)
{
    const struct
    {
        const char* what;
        int id;
        double device;
        double shown;
    } cases[] = {
        {"HP index 23 is 0 dB", 3, 23, 0.0},
        {"HP index 29", 3, 29, 20 * std::log10(127.0 / 64)},
        {"HP index 0 is off, below every knob", 3, 0, -100},
        {"Ratio 96", 27, 96, 4},
        {"Ratio 127 is the infinite ratio", 27, 127, 128},
        {"Delay 95", 51, 95, 250},
        {"Time 119", 52, 119, 1000},
        {"VOICE OVER 101", 53, 101, -20},
        {"VOICE OVER 127 is off", 53, 127, -119},
        {"VOICE OVER 0", 53, 0, -6},
        {"MIC1 index 0 is off", 1, 0, -30},
        {"MIC1 index past the table reads 0", 1, 40, -30},
        {"EQ 74", 22, 74, 5},
        {"noise threshold", 10, 24, -48},
        {"vocal remover whole percent", 19, 126, 99},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(displayValue(presetNode(c.id), c.device), c.shown, 1e-9) << c.what;
}

TEST(Conversions, NodesOutsideTheConvertedKindsSendTheirValueTruncated)
{
    juce::ValueTree node("PARAM");
    node.setProperty(Prop::id, 3, nullptr); // HP's id, but a switch: no conversion, no table step
    node.setProperty(Prop::kind, "switch", nullptr);
    node.setProperty(Prop::iunit, 2, nullptr);
    node.setProperty(Prop::value, 10.7, nullptr);
    EXPECT_EQ(messageValue(node, 4142), 21u);

    node.setProperty(Prop::value, -5, nullptr);
    EXPECT_EQ(messageValue(node, 4142), 0u) << "a negative value must not wrap into a huge device value";

    juce::ValueTree noId("PARAM");
    noId.setProperty(Prop::value, 50, nullptr);
    EXPECT_EQ(deviceValue(noId), 0u);
    EXPECT_EQ(displayValue(noId, 50), 0);
}

TEST(Conversions, LinearMapRoundsAsTheNodeAsks)
{
    juce::ValueTree node("PARAM");
    for (auto [prop, v] :
         {std::pair{Prop::id, 40}, {Prop::start, 0}, {Prop::end, 10}, {Prop::st, 0}, {Prop::ed, 127}})
        node.setProperty(prop, v, nullptr);
    node.setProperty(Prop::kind, "knob", nullptr);
    node.setProperty(Prop::linear, true, nullptr);

    const struct
    {
        double value;
        int round;
        uint32_t expected;
    } cases[] = {{3, 1, 38}, {3, 0, 39}, {5, 1, 64}, {0, 1, 0}, {0, 0, 0}};
    for (const auto& c : cases)
    {
        node.setProperty(Prop::value, c.value, nullptr);
        node.setProperty(Prop::round, c.round, nullptr);
        EXPECT_EQ(messageValue(node, 4142), c.expected) << c.value << " round " << c.round;
    }
}

TEST(Conversions, EditStepsLandOnTheKnobsSteps)
{
    const struct
    {
        const char* what;
        int id;
        double from, to;
        bool nearest;
        double stored;
    } cases[] = {
        {"MIC1 down from -18 falls to off", 1, -18, -24, false, -30},
        {"MIC1 up from off jumps to -18", 1, -30, -27, false, -18},
        {"MIC1 dragged to -24 takes the nearer end", 1, -18, -24, true, -30},
        {"MIC1 dragged to -21", 1, -18, -21, true, -18},
        {"MIC1 above -18 is kept", 1, 0, 3, false, 3},
        {"HP down in 3 dB steps", 3, -18, -20, false, -21},
        {"HP up to -30", 3, -33, -31, false, -30},
        {"HP below -30 goes to the 30 dB grid", 3, -30, -35, false, -60},
        {"VOICE OVER between -30 and -42 in 3s", 53, -30, -32, false, -33},
        {"VOICE OVER below -42 in 6s", 53, -42, -44, false, -48},
        {"Ratio above 10.6 in 0.3 steps", 27, 10, 10.75, true, 128.0 / (128 - 116)},
        {"Ratio at the maximum stores the node's end", 27, 10, 11, false, 128},
        {"Time above 1778 in 222 steps", 52, 1000, 1800, false, 2000},
        {"Time to the nearest step below", 52, 1000, 1800, true, 256000.0 / ((135 - 126) * 16)},
    };
    for (const auto& c : cases)
    {
        auto node = presetNode(c.id);
        node.setProperty(Prop::value, c.from, nullptr);
        EXPECT_NEAR(editStep(node, c.to, c.from, c.nearest, 11), c.stored, 1e-6) << c.what;
    }
}

TEST(Conversions, BoostEditStoresTheValueTheDeviceWillReport)
{
    auto node = presetNode(ParamId::boost);
    for (double v = 0; v <= 18; v += 1)
    {
        const double stored = editStep(node, v, 0, false, 18);
        EXPECT_NEAR(stored, v, 0.01) << v;
        node.setProperty(Prop::value, stored, nullptr);
        EXPECT_DOUBLE_EQ(shownAfterRoundTrip(node, 4142), stored) << v;
    }
}
