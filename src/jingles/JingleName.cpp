#include "JingleName.h"

namespace NsStrata
{
// Not empty, not "." or "..", and no path separator: anything else would move the jingle out of its slot.
static bool keepsLibraryLayout(const juce::String& name)
{
    return name.isNotEmpty() && name != "." && name != ".." && !name.containsAnyOf("/\\");
}

// Names Windows keeps for devices, with or without an extension.
static bool isReservedDeviceName(const juce::String& name)
{
    const auto stem = name.upToFirstOccurrenceOf(".", false, false).trimEnd().toUpperCase();
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    return stem.length() == 4 && (stem.startsWith("COM") || stem.startsWith("LPT")) &&
           juce::CharacterFunctions::isDigit(stem[3]) && stem[3] != '0';
}

bool isValidJingleName(const juce::String& name)
{
    if (!keepsLibraryLayout(name) || name.containsAnyOf("<>:\"|?*"))
        return false;
    for (auto p = name.getCharPointer(); !p.isEmpty(); ++p)
        if (*p < 0x20 || *p == 0x7F)
            return false;
    const auto last = name.getLastCharacter();
    if (last == ' ' || last == '.')
        return false;
    // Folder entries are limited to 255 bytes on the common file systems.
    return !isReservedDeviceName(name) && name.getNumBytesAsUTF8() <= 255;
}
} // namespace NsStrata
