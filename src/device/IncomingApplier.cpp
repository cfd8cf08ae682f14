#include "IncomingApplier.h"

#include "BlockLayouts.h"
#include "LinkFlags.h"
#include "LinkListener.h"
#include "LinkTexts.h"
#include "NodeIndex.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/DeviceValues.h"
#include "model/Models.h"
#include "model/Modes.h"
#include "model/StateTree.h"

#include <cmath>

namespace NsStrata
{
namespace
{
constexpr int jinglePadCount = 9;

// Device units to display units by the node's linear map or the parameter's own conversion.
double toDisplay(const juce::ValueTree& entry, int address, double raw, double unit)
{
    if (readBool(entry, Prop::linear, true))
    {
        const double start = readDouble(entry, Prop::start, 0) * unit,
                     end = readDouble(entry, Prop::end, 1) * unit;
        const double st = readDouble(entry, Prop::st, 0), ed = readDouble(entry, Prop::ed, 1);
        const double span = (ed - st) == 0 ? 1 : (ed - st);
        return (start + (raw - st) * (end - start) / span) / unit;
    }
    return toDisplayConversion(catalogueIdOf(address), raw) / unit;
}

double unitOf(const juce::ValueTree& entry)
{
    const int unit = readInt(entry, Prop::iunit, 1);
    return unit == 0 ? 1 : unit; // a unit of 0 would store infinity
}

bool isGlobalAddress(int address)
{
    const int id = catalogueIdOf(address);
    return id != 0 && isModeIndependent(id);
}

// The nodes one message works on, found through the index.
struct Groups
{
    const juce::ValueTree& root;
    int modelNumber;
    juce::ValueTree& group0;
    juce::ValueTree& modeGroup;

    NodeIndex::Found find(const juce::ValueTree& group, int address) const
    {
        return nodeIndex().byAddress(root, group, address);
    }
    juce::ValueTree& param(const juce::ValueTree& group, int paramId) const
    {
        return nodeIndex().byId(root, group, paramId);
    }
    juce::ValueTree& modeNode(int mode) const { return nodeIndex().group(root, modelNumber, mode); }
    const juce::ValueTree& groupFor(int address) const
    {
        return isGlobalAddress(address) ? group0 : modeGroup;
    }
};

void markEdited()
{
    linkFlags().sendingGate = false;
    linkFlags().deviceEdited = true;
}

bool applyIdentity(const IncomingMessage& m, LinkListener* listener)
{
    if (m.model != selection().selectedModel)
        return false;
    juce::String version;
    for (const auto c : m.version)
        if (c != 0)
            version += juce::String::charToString((juce::juce_wchar) c);
    linkTexts().firmwareVersion = version;
    if (listener != nullptr)
        listener->showFirmwareVersion(version);
    return true;
}

bool applyValue7(const IncomingMessage& m, const Groups& groups, LinkListener* listener)
{
    const auto found = groups.find(groups.groupFor(m.address), m.address);
    auto& entry = found.node;
    const auto& numbers = found.numbers;
    if (!entry.isValid())
        return false;
    const int id = readInt(numbers, Prop::id, 0);
    const auto b8 = (uint8_t) m.raw;

    double raw = b8;
    if (id == ParamId::mic1 || id == ParamId::mic2)
        raw = tableEntry(levelTable, b8);
    else if (id == ParamId::bgm && selection().selectedModel == ardentModel)
        raw = b8 == 0 ? 0 : tableEntry(gainTable, nearestEntryIndex(b8, bgmGainTable) + 1);

    // Units apply here as in every other report: without them a knob counted in tenths would show ten times
    // the value the device holds.
    double v = toDisplay(numbers, m.address, raw, unitOf(numbers));
    if (!readBool(numbers, NodeIndex::roundFlag, true))
        v = std::floor(v);

    if (id == ParamId::modeSelector)
    {
        const int whole = std::isfinite(v) ? (int) juce::jlimit(-1.0e9, 1.0e9, v) : 0;
        const int code = whole < 3 ? whole : (whole & 0x0C);
        const int mode = modeIdForCode(code);
        selection().currentMode = mode != 0 ? mode : 2;
        v = code;
    }
    else if ((id == ParamId::jingleOn || id == ParamId::jingleOff) && listener != nullptr)
    {
        // Nine pads: a position past the last one names no pad.
        if (b8 < jinglePadCount)
            listener->setJinglePad(b8, id == ParamId::jingleOn);
    }

    if (readDouble(entry, Prop::value, -999) != v)
    {
        entry.setProperty(Prop::value, v, nullptr);
        markEdited();
    }
    return true;
}

bool applyWideValue(const IncomingMessage& m, const Groups& groups)
{
    const auto found = groups.find(groups.modeGroup, m.address);
    auto& entry = found.node;
    if (entry.isValid())
        entry.setProperty(Prop::value, toDisplay(found.numbers, m.address, m.raw, unitOf(found.numbers)),
                          nullptr);
    markEdited();
    return true;
}

// Reads the fields of a block against a layout; the block's own parameters go to blockGroup.
template <std::size_t N>
void readBlockFields(const IncomingMessage& m, const std::array<int, N>& layout, const Groups& groups,
                     const juce::ValueTree& blockGroup)
{
    const auto& bytes = m.fields;
    int64_t pos = 0;
    for (const int id : layout)
    {
        if (id == 0)
        {
            ++pos;
            continue;
        }
        const int address = addressOf(id);
        if (address > 0x7F7F)
        {
            ++pos;
            continue;
        }
        const auto found = groups.find(isGlobalAddress(address) ? groups.group0 : blockGroup, address);
        auto& target = found.node;
        const int64_t width = DeviceBlocks::fieldWidth(readInt(found.numbers, Prop::type, 0));
        if (width > 4)
        {
            pos += width;
            continue;
        }
        if (pos > m.fieldCount)
            return;
        int64_t d = 0;
        for (int64_t k = 0; k < width; ++k)
        {
            // A block cut short (no end byte where the count says) stops like one that ends early.
            const auto at = (std::size_t)(pos + k);
            if (at >= bytes.size() || bytes[at] >= 0xF7)
                return;
            d = d * 128 + bytes[at];
        }
        target.setProperty(Prop::value, displayValue(found.numbers, (double) d), nullptr);
        pos += width;
    }
}

bool applyStatusBlock(const IncomingMessage& m, const Groups& groups)
{
    const auto modeByte = decodeModeByte(m.fields[0]);
    selection().currentMode = modeByte.mode;
    linkFlags().statusReceived = true;
    if (modeByte.basedOn != 0)
        groups.modeNode(modeByte.mode).setProperty(Prop::basedOnId, modeByte.basedOn, nullptr);

    readBlockFields(m, DeviceBlocks::statusLayout, groups, groups.group0);

    constexpr int switchField = DeviceBlocks::statusSwitchByte - 9;
    if (m.fieldCount + 9 > DeviceBlocks::statusSwitchByte && switchField < (int) m.fields.size())
    {
        const auto switches = m.fields[switchField];
        for (const auto& s : DeviceBlocks::statusSwitches)
            groups.param(groups.group0, s.paramId)
                .setProperty(Prop::value, (switches & s.bit) != 0 ? s.bit : 0, nullptr);
    }
    markEdited();
    return true;
}

bool applyModeBlock(const IncomingMessage& m, const Groups& groups)
{
    const auto modeByte = decodeModeByte(m.fields[0]);
    auto& modeNode = groups.modeNode(modeByte.mode);
    if (modeByte.basedOn != 0)
    {
        modeNode.setProperty(Prop::basedOnId, modeByte.basedOn, nullptr);
        // Sections a user mode takes over from a factory mode other than CHAT can be switched on.
        const int enabled = modeByte.basedOn != 1 ? 1 : 0;
        for (const auto& [first, last] : {std::pair{30, 34}, std::pair{38, 41}, std::pair{45, 48}})
            for (int id = first; id <= last; ++id)
                groups.param(modeNode, id).setProperty(Prop::enaQ, enabled, nullptr);
    }
    readBlockFields(m, DeviceBlocks::modeLayout, groups, modeNode);
    markEdited();
    linkFlags().modeReceived[(std::size_t) modeByte.mode] = true;
    return true;
}
} // namespace

void applyMeterReply(const IncomingMessage& m)
{
    if (m.kind != IncomingKind::meterReply || m.model != selection().selectedModel ||
        m.model != selection().deviceModel)
        return;
    const int b18 = (int) m.raw;
    const double level = b18 > 0 ? b18 + 12 - 58 : -48;
    auto& meter = pendingMeterLevel();
    meter.level = (float) std::round(level);
    meter.fresh = true; // after the level: whoever sees the flag sees this level or a newer one
}

bool applyIncoming(const IncomingMessage& m, juce::ValueTree& root, LinkListener* listener)
{
    bool handled = false;
    if (m.kind == IncomingKind::identityReply)
    {
        handled = applyIdentity(m, listener);
    }
    else if (m.kind != IncomingKind::ignored && m.model == selection().selectedModel)
    {
        const int model = selection().selectedModel;
        auto& index = nodeIndex();
        const Groups groups{root, model, index.group(root, model, modeIndependentGroup),
                            index.group(root, model, selection().currentMode)};

        // A BGM pitch report counts only while the BGM pitch section is on.
        const bool mutedShift =
            catalogueIdOf(m.address) == ParamId::bgmShift &&
            readDouble(groups.param(groups.group0, ParamId::bgmPitchSwitch), Prop::value, 0) == 0;
        if (mutedShift)
            return false;

        switch (m.kind)
        {
        case IncomingKind::value7:
            handled = applyValue7(m, groups, listener);
            break;
        case IncomingKind::value14:
        case IncomingKind::value28:
            handled = applyWideValue(m, groups);
            break;
        case IncomingKind::meterReply:
            applyMeterReply(m);
            break;
        case IncomingKind::statusBlock:
            handled = applyStatusBlock(m, groups);
            break;
        case IncomingKind::modeBlock:
            handled = applyModeBlock(m, groups);
            break;
        default:
            break;
        }
    }
    if (handled)
        linkFlags().receiveIndicator = true;
    return handled;
}
} // namespace NsStrata
