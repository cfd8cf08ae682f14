#include "Conversions.h"

#include "Catalogue.h"
#include "DeviceValues.h"
#include "Models.h"
#include "StateTree.h"

#include <cmath>

namespace NsStrata
{
bool isConvertedKind(const juce::String& kind)
{
    return kind == "knob" || kind == "fader" || kind == "button";
}

// Linear map in single precision; an empty range divides by 1.
static float linearMap(float y, float a, float b, float s, float e)
{
    const float span = (b - a) == 0.0f ? 1.0f : (b - a);
    return s + (e - s) * (y - a) / span;
}

uint32_t deviceValue(const juce::ValueTree& node, double v)
{
    const int id = readInt(node, Prop::id, 0);
    if (id < 1)
        return 0;
    if (v == ownValue)
        v = readDouble(node, Prop::value, 0);
    const int u = readInt(node, Prop::iunit, 1);
    const double x = u * v;

    int d = 0;
    if (isConvertedKind(node[Prop::kind].toString()))
    {
        if (readBool(node, Prop::linear, true))
        {
            const float y =
                linearMap((float) x, float(readDouble(node, Prop::start, 0) * u),
                          float(readDouble(node, Prop::end, 1) * u), (float) readDouble(node, Prop::st, 0),
                          (float) readDouble(node, Prop::ed, 1));
            d = roundDevice(y, readInt(node, Prop::round, 1) == 0 ? 1 : 0);
        }
        else
        {
            d = toDeviceConversion(id, x);
        }
    }
    else
    {
        d = roundDevice(x, 0);
    }
    return pack7BitGroups((uint32_t) d);
}

uint32_t messageValue(const juce::ValueTree& node)
{
    return messageValue(node, selection().selectedModel.load());
}

uint32_t messageValue(const juce::ValueTree& node, int modelNumber)
{
    const int id = readInt(node, Prop::id, 0);
    const double iunit = readDouble(node, Prop::iunit, 1);
    const float v = float(readDouble(node, Prop::value, 0) * iunit);

    int64_t n = 0;
    if (!isConvertedKind(node[Prop::kind].toString()))
    {
        // Negative or huge values would wrap when packed; the device takes 0 to 28 bits.
        n = std::isfinite(v) ? juce::jlimit<int64_t>(0, maxDeviceValue, (int64_t) v) : 0;
        return pack7BitGroups((uint32_t) n);
    }

    if (readBool(node, Prop::linear, false))
    {
        const float y = linearMap(
            v, float(readDouble(node, Prop::start, 0) * iunit), float(readDouble(node, Prop::end, 0) * iunit),
            (float) readDouble(node, Prop::st, 0), (float) readDouble(node, Prop::ed, 0));
        n = roundDevice(y, readInt(node, Prop::round, 1) == 0 ? 1 : 0);
    }
    else
    {
        n = toDeviceConversion(id, v);
    }

    const auto lowByte = uint8_t(n & 0xFF);
    if (id == 1 || id == 2)
        n = nearestEntryIndex(lowByte, levelTable);
    else if (id == 7 && modelNumber == ardentModel)
        n = juce::jlimit(0, 127, nearestEntryIndex(lowByte, bgmGainTable) - 1);
    else if (id == 3 || id == 5 || id == 7)
        n = nearestEntryIndex(lowByte, gainTable);

    return pack7BitGroups((uint32_t) n);
}

double displayValue(const juce::ValueTree& node, double d)
{
    const bool linear = readBool(node, Prop::linear, true);
    const int round = readInt(node, Prop::round, 1);
    int iunit = readInt(node, Prop::iunit, 1);
    const int id = readInt(node, Prop::id, 0);
    if (id < 1)
        return 0;
    if (iunit == 0)
        iunit = 1; // a unit factor of 0 would divide by zero

    double input = d;
    if (id == 1 || id == 2)
        input = tableEntry(levelTable, (int) d);
    else if (id == 3 || id == 5 || id == 7)
        input = tableEntry(gainTable, (int) d);

    double result;
    if (linear)
    {
        const double a = readDouble(node, Prop::start, 0) * iunit, b = readDouble(node, Prop::end, 1) * iunit;
        const double s = readDouble(node, Prop::st, 0), e = readDouble(node, Prop::ed, 1);
        result = a + (input - s) * (b - a) / ((e - s) == 0 ? 1 : (e - s));
    }
    else
    {
        result = toDisplayConversion(id, input);
    }
    if (round == 0)
        result = std::floor(result);
    return result / iunit;
}

// The rounding a knob applies: nearest when pressed, else toward the direction of the move.
static double knobRound(double x, bool nearest, double previous, double v)
{
    if (nearest)
        return std::round(x); // half away from zero
    return previous > v ? std::floor(x) : std::ceil(x);
}

static bool notMultiple(double a, int step)
{
    return step != 0 && ((int64_t) a) % step != 0;
}

double editStep(const juce::ValueTree& node, double v, double previous, bool nearest, double knobMaximum)
{
    const int id = readInt(node, Prop::id, 0);
    const double p = previous;
    const auto rnd = [&](double x) { return knobRound(x, nearest, p, v); };

    switch (id)
    {
    case 1:
    case 2:
        if (v < -18 && notMultiple(-18 - v, 12))
            v = rnd((v + 18) / 12) * 12 - 18;
        return v;
    case 3:
    case 5:
    case 7:
        if (v < -18)
        {
            const int step = v >= -30 ? 3 : 30;
            if (notMultiple(v, step))
                v = rnd(v / step) * step;
        }
        return v;
    case 53:
        if (v < -30)
        {
            const double base = v < -42 ? -42 : -30;
            const int step = v >= -42 ? 3 : 6;
            if (notMultiple(base - v, step))
                v = rnd(v / step) * step;
        }
        return v;
    case 27:
    {
        double base = 9.8, step = 0.1;
        if (v >= 10.6)
            base = 10.7, step = 0.3;
        else if (v > 9.8)
            base = 9.8, step = 0.9;
        if (v > base && notMultiple((v - base) * 10, (int) (step * 10)))
            v = rnd((v - base) / step) * step + base;
        v = toDisplayConversion(27, toDeviceConversion(27, v));
        if (v >= knobMaximum)
            return readDouble(node, Prop::end, -1);
        return v;
    }
    case 29:
        // deviceValue packs into 7-bit groups; displayValue wants the device value itself.
        return displayValue(node, (double) unpack7BitGroups(deviceValue(node, v)));
    case 51:
        return toDisplayConversion(51, toDeviceConversion(51, v));
    case 52:
        if (v >= 1455)
        {
            const double base = v >= 1778 ? 1778 : 1455;
            const int step = v >= 1778 ? 222 : 145;
            if (notMultiple(v - base, step))
                v = rnd((v - base) / step) * step + base;
        }
        return toDisplayConversion(52, toDeviceConversion(52, v));
    default:
        return v;
    }
}
} // namespace NsStrata
