#pragma once
// The 58 parameters: their names on the panel, device addresses, groups and value conversions.
#include <array>
#include <cstdint>

namespace NsStrata
{
constexpr int parameterCount = 58;
/** The largest device value a message can carry (four 7-bit groups). */
constexpr int maxDeviceValue = 0x0FFFFFFF;

/** Well-known parameter ids. */
namespace ParamId
{
enum : int
{
    mic1 = 1,
    mic2 = 2,
    headphones = 3,
    language = 4,
    otg = 5,
    dumpRequest = 6,
    bgm = 7,
    modeSelector = 8,
    noiseReduction = 9,
    noiseThreshold = 10,
    micMonitor = 11,
    levelDisplay = 13,
    ratio = 27,
    boost = 29,
    voiceOverDelay = 51,
    voiceOverTime = 52,
    voiceOverValue = 53,
    micMute = 54,
    identityRequest = 55,
    jingleOn = 56,
    jingleOff = 57,
    jinglePlay = 49,
    jinglePlay2 = 58,
    bgmPitchSwitch = 42,
    bgmShift = 35,
};
}

extern const std::array<const char*, 14> sectionNames;
extern const std::array<const char*, 28> controlNames;
extern const std::array<const char*, 17> buttonTexts;

/** Device address of parameter id (two 7-bit bytes, high first); 0 outside 1..58. */
uint16_t addressOf(int id);
/** Parameter id whose address this is, or 0. */
int idForAddress(int address);
/** True for the addresses that live in the mode-independent group. */
bool isModeIndependentAddress(int address);
/** True for the ids that live in the mode-independent group (group 0); the rest live in the mode nodes. */
bool isModeIndependent(int id);

/** The parameter's own conversion from display units (already times "iunit") to a device value. */
int toDeviceConversion(int id, double x);
/** The parameter's own conversion from a device value to display units; 0 for ids that have none. */
double toDisplayConversion(int id, double d);
/** True when the id has a to-display conversion of its own. */
bool hasDisplayConversion(int id);

/** Rounds for the device: y <= 0 gives 0; mode 0 half away from zero, > 0 up, < 0 down. */
int roundDevice(double y, int mode);
} // namespace NsStrata
