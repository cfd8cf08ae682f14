#include "PortNames.h"

#include "model/Models.h"

#include <array>

namespace NsStrata
{
namespace
{
struct PortPattern
{
    const char* pattern;
    int model;
};

// First match wins. Narrow patterns of other products come first (some mapping to the unidentified number
// so that a broader pattern below does not catch them), then the supported models, narrow before broad.
constexpr std::array<PortPattern, 11> portPatterns = {{
    {"*kestrel*loop*", 4090},
    {"*kestrel*duet*", 4091},
    {"*brio*dock*", unidentifiedModel},
    {"*ardent*dock*", unidentifiedModel},
    {"*kestrel*pocket*", 4105},
    {"*ardent*max*", 4141},
    {"*brio*max*", 4141},
    {"*brio*solo*", 4114},
    {"*ardent*", 4142},
    {"*brio*", 4115},
    {"*kestrel*", 4099},
}};

struct ModelName
{
    int model;
    const char* name;
};

constexpr std::array<ModelName, 8> modelNames = {{
    {4142, "Ardent"},
    {4115, "Brio"},
    {4141, "Brio Max"},
    {4114, "Brio Solo"},
    {4090, "Kestrel Loop"},
    {4091, "Kestrel Duet"},
    {4105, "Kestrel Pocket"},
    {4099, "Kestrel Link"},
}};

bool isDigit(juce::juce_wchar c)
{
    return c >= '0' && c <= '9';
}
} // namespace

int modelIdForPortName(const juce::String& portName)
{
    const auto name = portName.toLowerCase().trim();
    for (const auto& row : portPatterns)
        if (name.matchesWildcard(row.pattern, true))
            return row.model;
    return unidentifiedModel;
}

juce::String modelNameForId(int modelNumber)
{
    for (const auto& row : modelNames)
        if (row.model == modelNumber)
            return row.name;
    return "Unknown";
}

int portNumberOf(const juce::String& portName)
{
    if (portName.matchesWildcard("MIDIOUT? (*", false))
        return isDigit(portName[7]) ? portName[7] - '0' : -1;
    if (portName.matchesWildcard("MIDIIN? (*", false))
        return isDigit(portName[6]) ? portName[6] - '0' : -1;

    // ALSA names a device's ports "Name MIDI 1", "Name MIDI 2", ...
    const auto last = portName.fromLastOccurrenceOf(" MIDI ", false, false);
    if (portName.contains(" MIDI ") && last.isNotEmpty() && last.containsOnly("0123456789") &&
        last.length() <= 3)
        return last.getIntValue();
    return 1;
}

juce::String counterpartPortName(const juce::String& inputName)
{
    if (inputName.matchesWildcard("MIDIIN? (*)", false))
        return inputName.replace("MIDIIN", "MIDIOUT");
    return inputName;
}
} // namespace NsStrata
