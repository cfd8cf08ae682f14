// The shipped preset: complete for every model and mode, and consistent with the panel's knobs.
#include "PresetFixture.h"

#include "device/BlockLayouts.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/KnobTable.h"
#include "model/Models.h"
#include "model/Modes.h"

#include <cmath>
#include <vector>

using namespace NsStrata;

TEST(Preset, HoldsEveryParameterInItsGroupForEveryModelAndMode)
{
    const auto preset = shippedPreset();
    ASSERT_TRUE(isUsableTree(preset));
    EXPECT_EQ(preset[Prop::ver].toString(), stateVersion);

    for (int model : supportedModels)
    {
        const auto node = modelNode(preset, model);
        ASSERT_TRUE(node.isValid()) << model;
        for (int group = 0; group <= modeCount; ++group)
        {
            const auto g = childWithId(node, group);
            ASSERT_TRUE(g.isValid()) << model << " group " << group;
            if (group > 0)
            {
                EXPECT_EQ(g[Prop::name].toString(), juce::String(modeNames[(std::size_t) group - 1]));
            }
            for (int id = 1; id <= parameterCount; ++id)
            {
                const auto p = childWithId(g, id);
                const bool belongs = (group == 0) == isModeIndependent(id);
                EXPECT_EQ(p.isValid(), belongs) << model << " group " << group << " id " << id;
                if (!p.isValid())
                    continue;
                EXPECT_EQ(readInt(p, Prop::nrpn, -1), addressOf(id)) << id;
                for (const auto& prop : {Prop::type, Prop::chan, Prop::value, Prop::defa, Prop::keep})
                    EXPECT_TRUE(p.hasProperty(prop)) << id << " lacks " << prop.toString();
            }
        }
    }
}

TEST(Preset, TypeFitsTheLargestDeviceValueOfEachParameter)
{
    forEachParameter(shippedPreset(),
                     [](auto, auto, juce::ValueTree p)
                     {
                         const int id = readInt(p, Prop::id, 0);
                         const int type = readInt(p, Prop::type, 0);
                         if (type == 6)
                             return;
                         // The largest value: at the knob's ends, or at the ends of the node's own linear
                         // map.
                         std::vector<double> candidates{readDouble(p, Prop::value, 0)};
                         if (const auto* knob = knobForParameter(id))
                             for (double v : {knob->minimum, knob->maximum})
                                 candidates.push_back(knob->inverted ? -v : v);
                         else if (readBool(p, Prop::linear, false))
                             candidates.insert(candidates.end(),
                                               {readDouble(p, Prop::start, 0), readDouble(p, Prop::end, 0)});
                         uint32_t largest = 0;
                         for (double v : candidates)
                         {
                             auto copy = p.createCopy();
                             copy.setProperty(Prop::value, v, nullptr);
                             largest = std::max(largest, unpack7BitGroups(messageValue(copy, ardentModel)));
                         }
                         const int fitting = largest <= 127 ? 10 : largest <= 16383 ? 12 : 14;
                         EXPECT_EQ(type, fitting) << "id " << id << " reaches " << largest;
                     });
}

TEST(Preset, StatusBlockFieldsAreOneByteWide)
{
    // 18 one-byte fields after the header keep a status block within 28 bytes.
    for (int model : supportedModels)
        for (int id : DeviceBlocks::statusLayout)
        {
            if (id == 0)
                continue;
            EXPECT_EQ(DeviceBlocks::fieldWidth(readInt(presetNode(id, 1, model), Prop::type, 0)), 1)
                << "id " << id;
        }
}

TEST(Preset, EveryModeBlockFitsBeforeItsEndByte)
{
    // Fields start at byte 9 (mode and action bytes first) and must end by byte 59; byte 60 is the end byte.
    for (int model : supportedModels)
        for (int mode = 1; mode <= modeCount; ++mode)
        {
            int end = 9;
            for (int id : DeviceBlocks::modeLayout)
                end += id == 0 || isModeIndependent(id)
                           ? 1
                           : DeviceBlocks::fieldWidth(readInt(presetNode(id, mode, model), Prop::type, 0));
            EXPECT_LE(end - 1, 59) << "model " << model << " mode " << mode;
        }
}

TEST(Preset, EveryKnobValueComesBackFromTheDeviceWithinOneStep)
{
    for (int model : supportedModels)
        for (int mode = 1; mode <= modeCount; ++mode)
            for (const auto& knob : panelKnobs)
                for (int id : {knob.paramId, knob.secondParamId})
                {
                    if (id == 0)
                        continue;
                    auto node = presetNode(id, mode, model);
                    ASSERT_TRUE(node.isValid()) << id;
                    const double sign = knob.inverted ? -1 : 1;
                    double previous = sign * knob.minimum;
                    for (double k = knob.minimum; k <= knob.maximum + 1e-9; k += knob.step)
                    {
                        // The slider clamps the stepped value to its range; at its lowest displayed end a
                        // level knob stores the node's "off".
                        const double stepped = editStep(node, sign * k, previous, false, knob.maximum);
                        const double slider = juce::jlimit(knob.minimum, knob.maximum, sign * stepped);
                        const double lowestEnd = knob.inverted ? knob.maximum : knob.minimum;
                        double stored = sign * slider;
                        if (stepped >= knob.maximum && id == ParamId::ratio)
                            stored = stepped; // the ratio stores the node's end at its maximum
                        if (knob.offAtLowestEnd && std::abs(slider - lowestEnd) < 1e-9)
                            stored = readDouble(node, Prop::off, 0);
                        previous = stored;
                        node.setProperty(Prop::value, stored, nullptr);

                        const auto message = unpack7BitGroups(messageValue(node, model));
                        const double shown = displayValue(node, message);
                        EXPECT_NEAR(shown, stored, knob.step + 1e-6)
                            << "model " << model << " mode " << mode << " id " << id << " knob at " << k;
                    }
                }
}

TEST(Preset, FactoryModesDifferAsTheirNamesPromise)
{
    const auto value = [](int id, int mode) { return readDouble(presetNode(id, mode), Prop::value, 0); };
    EXPECT_GT(value(32, 2), value(32, 1)) << "KTV has more reverb than CHAT";
    EXPECT_GT(value(31, 2), value(31, 1));
    EXPECT_EQ(value(26, 3), 1) << "PRO compresses";
    EXPECT_GT(value(27, 3), 1);
    EXPECT_EQ(value(26, 1), 0) << "CHAT does not";
}

TEST(Preset, OnlyTransientNodesAreResetAtStart)
{
    const int transient[] = {ParamId::dumpRequest, ParamId::identityRequest, ParamId::jinglePlay,
                             ParamId::jinglePlay2, ParamId::jingleOn,        ParamId::jingleOff,
                             ParamId::levelDisplay};
    forEachParameter(shippedPreset(),
                     [&](auto, auto, juce::ValueTree p)
                     {
                         const int id = readInt(p, Prop::id, 0);
                         const bool isTransient =
                             std::find(std::begin(transient), std::end(transient), id) != std::end(transient);
                         EXPECT_EQ(readInt(p, Prop::keep, 1) > 0, !isTransient) << "id " << id;
                     });
}
