#include "Catalogue.h"

#include <cmath>

namespace NsStrata
{
const std::array<const char*, 14> sectionNames = {
    "PRESETS", "JINGLES",    "MIXER",  "MASTER CONTROL", "DE-ESSER", "FILTERS",   "EQ",
    "EXCITER", "COMPRESSOR", "REVERB", "VOCAL TUNE",     "HARMONY",  "BGM PITCH", "VOICE OVER"};

const std::array<const char*, 28> controlNames = {
    "MIC1",  "MIC2",  "HP",        "OTG",   "BGM",       "Freq",  "Gain",  "LC Freq", "HC Freq", "RVB Time",
    "Value", "Pitch", "Intensity", "Type",  "Shift",     "Delay", "Time",  "Value",   "",        "Low",
    "Mid",   "Hi",    "Intensity", "Ratio", "Threshold", "Boost", "PreLC", "PreHC"};

const std::array<const char*, 17> buttonTexts = {"NOISE REDUCTION",
                                                 "MIC MUTE",
                                                 "MIC MONITOR",
                                                 "SC",
                                                 "C",
                                                 "Db",
                                                 "D",
                                                 "Eb",
                                                 "E",
                                                 "F",
                                                 "Gb",
                                                 "G",
                                                 "Ab",
                                                 "A",
                                                 "Bb",
                                                 "B",
                                                 "VR"};

static const std::array<uint16_t, parameterCount> addressList = {
    0x7B71, 0x7B72, 0x7B0F, 0x7B7A, 0x7B0E, 0x7B7B, 0x7B0C, 0x7B7F, 0x7B10, 0x7B23, // 1-10
    0x7B1C, 0x7B7C, 0x7F00, 0x0745, 0x7B24, 0x0741, 0x0746, 0x7B1D, 0x7B2F, 0x7B1F, // 11-20
    0x7B09, 0x7B08, 0x7B07, 0x7B20, 0x7B25, 0x7B21, 0x7B27, 0x7B26, 0x7B28, 0x7B22, // 21-30
    0x7B01, 0x7B02, 0x2105, 0x2104, 0x7B04, 0x7B2E, 0x7A7F, 0x7B7E, 0x7B15, 0x7B74, // 31-40
    0x7B73, 0x7B77, 0x7B16, 0x7B1E, 0x7B14, 0x7B7D, 0x7B76, 0x7B75, 0x7B1B, 0x7B13, // 41-50
    0x7B29, 0x7B2A, 0x7B2D, 0x7B12, 0x0601, 0x7F7D, 0x7F7E, 0x7B18};                // 51-58

uint16_t addressOf(int id)
{
    return (id >= 1 && id <= parameterCount) ? addressList[(size_t) id - 1] : 0;
}

int idForAddress(int address)
{
    for (size_t i = 0; i < addressList.size(); ++i)
        if (addressList[i] == address)
            return (int) i + 1;
    return 0;
}

bool isModeIndependent(int id)
{
    return (id >= 1 && id <= 13) || id == 19 || id == 35 || id == 36 || id == 42 || (id >= 49 && id <= 58);
}

bool isModeIndependentAddress(int address)
{
    const int id = idForAddress(address);
    return id != 0 && isModeIndependent(id);
}

int roundDevice(double y, int mode)
{
    // NaN and values past 28 bits (the widest a message carries) would make the cast undefined.
    if (!(y > 0))
        return 0;
    if (y >= double(maxDeviceValue))
        return maxDeviceValue;
    const float f = (float) y;
    if (mode == 0)
        return (int) std::round(f);
    return (int) (mode > 0 ? std::ceil(f) : std::floor(f));
}

// Half away from zero in double precision, for the conversions that ask for it.
static int roundAway(double y)
{
    if (!(y > 0))
        return 0;
    return y >= double(maxDeviceValue) ? maxDeviceValue : (int) std::round(y);
}

static int gainToDevice(double x)
{
    return roundAway(64.0 * std::pow(10.0, x / 20.0));
}

// Level in dB of a gain device value. A device value of 0 is off: its level has no finite value, so it shows
// as this floor, which lies below every knob.
constexpr double offLevelDb = -100.0;

int toDeviceConversion(int id, double x)
{
    const auto R = [](double y) { return roundDevice(y, 0); };
    switch (id)
    {
    case 1:
    case 2:
        return R(x + 19);
    case 3:
    case 5:
    case 7:
        return gainToDevice(x);
    case 4:
    case 6:
    case 8:
    case 11:
    case 12:
        return R((x - 12) * 128 + 16383);
    case 10:
        return R(x * 128 + 16383);
    case 13:
        return x <= -46 ? 0 : R(x + 46);
    case 15:
        return R(-2 * x);
    case 18:
    case 20:
    case 21:
    case 22:
    case 23:
        return R(2 * x + 64);
    case 19:
        return R(x * 127 / 100);
    case 25:
    case 32:
    case 38:
        return R(x * 16383 / 100);
    case 27:
        if (x >= 11)
            x = 128;
        return R(128 - 128 / x);
    case 28:
        return R(x * 128 + 16383);
    case 29:
        return R(x * 16383 / 18);
    case 31:
        return R(x * 16383 / 200);
    case 33:
        return R(x * 16383 / 1000);
    case 34:
        return R((x - 480) * 16383 / 13520);
    case 35:
        return R(x + 64);
    case 37:
        return R(x * 16383 / 500);
    case 41:
        return roundAway(x * 1.27);
    case 42:
        return R(x + 1);
    case 51:
        return R(159 - 16000 / x);
    case 52:
        return R(135 - 16000 / x);
    case 53:
        if (x <= -54)
            x = -119;
        return roundAway(127 - 256 * std::pow(10.0, x / 20.0));
    case 55:
        return 0;
    default:
        return id >= 1 && id <= parameterCount ? R(x) : 0;
    }
}

bool hasDisplayConversion(int id)
{
    switch (id)
    {
    case 1:
    case 2:
    case 3:
    case 5:
    case 7:
    case 14:
    case 27:
    case 51:
    case 52:
    case 53:
        return true;
    default:
        return false;
    }
}

double toDisplayConversion(int id, double d)
{
    switch (id)
    {
    case 1:
    case 2:
        return d <= 0 ? -30 : d - 19;
    case 3:
    case 5:
    case 7:
        return d <= 0 ? offLevelDb : 20 * std::log10(d / 64);
    case 14:
        return d;
    case 27:
        return d >= 128 ? 128 : 128 / (128 - d);
    case 51:
        return d >= 159 ? 16000 : 256000 / ((159 - d) * 16);
    case 52:
        return d >= 135 ? 16000 : 256000 / ((135 - d) * 16);
    case 53:
    {
        if (d >= 127)
            return -119;
        const double y = std::round(20 * std::log10((127 - d) / 256));
        return y <= -54 ? -119 : y;
    }
    default:
        return 0;
    }
}
} // namespace NsStrata
