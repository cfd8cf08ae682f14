// The built Strata in demo mode with a MIDI trace, driven like a user through a whole session: a knob dragged
// and a mode button pressed show up in the trace as their parameters' messages, the Setting menu switches to
// Chinese, Ctrl+Q quits, and the settings file holds what the session changed.
#include "../model/PresetFixture.h"
#include "StrataProcess.h"
#include "XDisplay.h"
#include "device/MessageFraming.h"
#include "model/Catalogue.h"
#include "model/Models.h"
#include "support/TestHome.h"

#include <functional>
#include <gtest/gtest.h>

using namespace StrataTest;

namespace
{
// Bounds that only stop a hung test (start-up under the sanitizers is slow).
constexpr int startTimeoutMs = 30000;
constexpr int traceTimeoutMs = 20000;

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (!condition())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;
        juce::Thread::sleep(50);
    }
    return true;
}

/** The trace's lines as objects. */
juce::Array<juce::var> traceLines(const juce::File& file)
{
    juce::Array<juce::var> lines;
    for (const auto& line : juce::StringArray::fromLines(file.loadFileAsString()))
        if (line.isNotEmpty())
            lines.add(juce::JSON::parse(line));
    return lines;
}

/** Outgoing parameter messages of the Ardent for a parameter: header, model and address. */
juce::Array<juce::var> parameterMessages(const juce::Array<juce::var>& lines, int paramId)
{
    auto prefix = NsStrata::sysexHeader(NsStrata::ardentModel);
    prefix.push_back(uint8_t(NsStrata::addressOf(paramId) >> 8));
    prefix.push_back(uint8_t(NsStrata::addressOf(paramId) & 0x7F));
    const auto hex = NsStrata::toHex(prefix) + " ";
    juce::Array<juce::var> found;
    for (const auto& line : lines)
        if (line["dir"].toString() == "out" && line["hex"].toString().startsWith(hex))
            found.add(line);
    return found;
}
} // namespace

/** The state tree the settings file of home holds; invalid when there is none. */
juce::ValueTree storedState(const juce::File& home)
{
    const auto settings = juce::parseXML(home.getChildFile("config/Strata.conf"));
    if (settings == nullptr)
        return {};
    for (auto* value : settings->getChildWithTagNameIterator("VALUE"))
        if (value->getStringAttribute("name") == "state" && value->getFirstChildElement() != nullptr)
            return juce::ValueTree::fromXml(*value->getFirstChildElement());
    return {};
}

TEST(DemoTrace, ASessionOfKnobModeAndLanguageReachesTheTraceAndTheSettings)
{
    const auto home = freshFolder("demo-trace");
    const auto trace = home.getChildFile("trace.jsonl");
    StrataProcess strata(home, {"--virtual-device", "--trace", trace.getFullPathName()});
    ASSERT_TRUE(strata.started());
    const auto window = XDisplay::waitForWindow("^Strata( |$)", strata.processId(), startTimeoutMs);
    ASSERT_NE(window, 0) << "no window";

    // Synchronised: the mode selector (the last step of the start-up exchange) went out, and the title no
    // longer says the mixer is missing.
    ASSERT_TRUE(waitFor(
        [&] { return !parameterMessages(traceLines(trace), NsStrata::ParamId::modeSelector).isEmpty(); },
        traceTimeoutMs))
        << trace.loadFileAsString();
    EXPECT_TRUE(waitFor([&] { return !XDisplay::windowName(window).contains("["); }, traceTimeoutMs))
        << XDisplay::windowName(window);
    const auto before = traceLines(trace);
    EXPECT_TRUE(parameterMessages(before, NsStrata::ParamId::mic1).isEmpty());
    for (const auto& line : before)
    {
        EXPECT_TRUE(line["dir"].toString() == "out" || line["dir"].toString() == "in");
        EXPECT_TRUE(line["ms"].isDouble() || line["ms"].isInt());
    }

    // Positions in design pixels of the main screen (window 1070 wide: UI scale ~1).
    const auto size = XDisplay::geometry(window);
    ASSERT_FALSE(size.isEmpty());
    const float scale = (float) size.getWidth() / 1069.0f;
    const auto at = [scale](int x, int y)
    { return juce::Point<int>(juce::roundToInt((float) x * scale), juce::roundToInt((float) y * scale)); };

    // MIC1's knob, in the MIXER section's first column, dragged upwards.
    ASSERT_TRUE(XDisplay::drag(window, at(203, 160), at(203, 100)));
    ASSERT_TRUE(waitFor([&]
                        { return !parameterMessages(traceLines(trace), NsStrata::ParamId::mic1).isEmpty(); },
                        traceTimeoutMs))
        << "no MIC1 message in the trace";
    const auto sent = parameterMessages(traceLines(trace), NsStrata::ParamId::mic1);
    EXPECT_GE((double) sent.getLast()["ms"], (double) before.getLast()["ms"]);

    // The DE-ESSER switch pressed by a hand that moves a little on the way: one press, sent once.
    ASSERT_TRUE(XDisplay::drag(window, at(236, 240), at(238, 241), 2));
    EXPECT_TRUE(waitFor([&] { return !parameterMessages(traceLines(trace), 18).isEmpty(); }, traceTimeoutMs));
    juce::Thread::sleep(400);
    const auto flips = parameterMessages(traceLines(trace), 18);
    EXPECT_EQ(flips.size(), 1) << "the switch flipped more than once";
    EXPECT_TRUE(flips.getLast()["hex"].toString().endsWith(" 00 F7")) << "the switch, on before, is off";

    // The first jingle pad carried 100 pixels away and back plays nothing; pressed, it plays.
    ASSERT_TRUE(XDisplay::drag(window, at(48, 366), at(148, 366)));
    juce::Thread::sleep(400);
    EXPECT_TRUE(parameterMessages(traceLines(trace), NsStrata::ParamId::jinglePlay).isEmpty())
        << "a dragged pad sent its jingle";
    ASSERT_TRUE(XDisplay::click(window, at(48, 366)));
    EXPECT_TRUE(waitFor(
        [&] { return !parameterMessages(traceLines(trace), NsStrata::ParamId::jinglePlay).isEmpty(); },
        traceTimeoutMs))
        << "a pressed pad plays its jingle";

    // The KTV mode button, below CHAT in PRESETS: the mode selector goes out again.
    const auto selectorsBefore = parameterMessages(traceLines(trace), NsStrata::ParamId::modeSelector).size();
    ASSERT_TRUE(XDisplay::click(window, at(67, 150)));
    EXPECT_TRUE(waitFor(
        [&] {
            return parameterMessages(traceLines(trace), NsStrata::ParamId::modeSelector).size() >
                   selectorsBefore;
        },
        traceTimeoutMs))
        << "no mode selector after the KTV button";

    // Setting > Language > 中文, by the keys a popup menu takes; the language goes to the mixer too.
    ASSERT_TRUE(XDisplay::click(window, at(78, 12)));
    juce::Thread::sleep(500);
    for (const char* key : {"Down", "Right", "Down", "Return"})
    {
        ASSERT_TRUE(XDisplay::pressKeys(key));
        juce::Thread::sleep(200);
    }
    EXPECT_TRUE(
        waitFor([&] { return !parameterMessages(traceLines(trace), NsStrata::ParamId::language).isEmpty(); },
                traceTimeoutMs))
        << "no language message in the trace";

    ASSERT_TRUE(XDisplay::pressKeys("ctrl+q"));
    const auto exitStatus = strata.waitForExit(startTimeoutMs);
    ASSERT_TRUE(exitStatus.has_value());
    EXPECT_EQ(*exitStatus, 0);

    // The settings file holds the session: MIC1 moved from the preset's value, KTV, and Chinese.
    const auto state = storedState(home);
    ASSERT_TRUE(state.isValid());
    using namespace NsStrata;
    const auto stored = modelNode(state, ardentModel);
    EXPECT_NE(parameterNode(stored, ParamId::mic1, 1)[Prop::value], presetNode(ParamId::mic1)[Prop::value]);
    EXPECT_EQ(readInt(state, Prop::mode, 0), 2);
    EXPECT_EQ(readInt(parameterNode(stored, ParamId::language, 1), Prop::value, 0), 1);
    home.deleteRecursively();
}
