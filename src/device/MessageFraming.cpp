#include "MessageFraming.h"

#include "model/Conversions.h"
#include "model/StateTree.h"

namespace NsStrata
{
MidiBytes sysexHeader(int modelNumber)
{
    MidiBytes bytes(sysexHeaderTemplate.begin(), sysexHeaderTemplate.end());
    bytes[4] = uint8_t((modelNumber >> 7) & 0x7F);
    bytes[5] = uint8_t(modelNumber & 0x7F);
    return bytes;
}

bool isSentType(int type)
{
    return type == 6 || type == 9 || type == 10 || type == 12 || type == 14;
}

bool lightsSendIndicator(int type)
{
    return isSentType(type) && type != 9;
}

int pauseAfterType(int type)
{
    switch (type)
    {
    case 9:
    case 12:
    case 14:
        return 2;
    case 6:
    case 10:
        return 1;
    default:
        return -1;
    }
}

int spacingAfterType(int type)
{
    return isSentType(type) ? pauseAfterType(type) + 50 : 0;
}

int quietTimeAfter(const MidiBytes& message)
{
    const auto poll = meterPoll(message.size() == 9 ? message[4] * 128 + message[5] : 0);
    return message == poll ? 2 : 50;
}

bool hasValidAddress(const juce::ValueTree& entry)
{
    // Without this check a missing address would go out as 00 7F and reach whatever lives there.
    const int nrpn = readInt(entry, Prop::nrpn, -1);
    return nrpn >= 0 && nrpn <= 0x7F7F && (nrpn & 0x80) == 0;
}

MidiBytes frameEntry(const juce::ValueTree& entry, int selectedModel, int deviceModel)
{
    const int type = readInt(entry, Prop::type, -1);
    if (!isSentType(type) || !hasValidAddress(entry))
        return {};
    const int nrpn = readInt(entry, Prop::nrpn, -1);
    const auto a1 = uint8_t((nrpn >> 8) & 0x7F), a0 = uint8_t(nrpn & 0x7F);

    if (type == 6)
        return {0xF0, 0x7E, 0x7F, a1, a0, 0xF7};

    MidiBytes bytes = sysexHeader(type == 9 ? deviceModel : selectedModel);
    bytes.push_back(a1);
    bytes.push_back(a0);

    const uint32_t g = type == 9 ? 0 : messageValue(entry, selectedModel);
    const auto group = [g](int k) { return uint8_t((g >> (8 * k)) & 0x7F); };
    if (type == 12)
        bytes.insert(bytes.end(), {0x02, group(1), group(0)});
    else if (type == 14)
        bytes.insert(bytes.end(), {0x04, group(3), group(2), group(1), group(0)});
    else if (type == 10)
        bytes.push_back(group(0));
    bytes.push_back(0xF7);
    return bytes;
}

MidiBytes meterPoll(int deviceModel)
{
    MidiBytes bytes = sysexHeader(deviceModel);
    bytes.insert(bytes.end(), {0x7F, 0x00, 0xF7});
    return bytes;
}

juce::String toHex(const MidiBytes& bytes)
{
    juce::String text;
    for (const auto b : bytes)
    {
        if (text.isNotEmpty())
            text << ' ';
        text << juce::String::toHexString((int) b).paddedLeft('0', 2).toUpperCase();
    }
    return text;
}

bool parseHex(const juce::String& text, MidiBytes& out)
{
    out.clear();
    juce::StringArray tokens;
    tokens.addTokens(text, " \t\r\n", "");
    tokens.removeEmptyStrings();
    for (const auto& token : tokens)
    {
        if (token.length() % 2 != 0 || !token.containsOnly("0123456789abcdefABCDEF"))
            return false;
        for (int i = 0; i < token.length(); i += 2)
            out.push_back(uint8_t(token.substring(i, i + 2).getHexValue32()));
    }
    return true;
}
} // namespace NsStrata
