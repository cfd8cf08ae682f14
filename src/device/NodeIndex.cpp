#include "NodeIndex.h"

#include "model/Models.h"
#include "model/StateTree.h"

namespace NsStrata
{
namespace
{
// The properties the conversions read, and how each reader takes them.
const juce::Identifier* const intProps[] = {&Prop::id, &Prop::type, &Prop::iunit, &Prop::round};
const juce::Identifier* const doubleProps[] = {&Prop::start, &Prop::end, &Prop::st, &Prop::ed};

juce::ValueTree numbersOf(const juce::ValueTree& node)
{
    juce::ValueTree numbers{"numbers"};
    for (const auto* prop : intProps)
        if (node.hasProperty(*prop))
            numbers.setProperty(*prop, readInt(node, *prop, 0), nullptr);
    for (const auto* prop : doubleProps)
        if (node.hasProperty(*prop))
            numbers.setProperty(*prop, readDouble(node, *prop, 0), nullptr);
    if (node.hasProperty(Prop::linear))
        numbers.setProperty(Prop::linear, readBool(node, Prop::linear, false), nullptr);
    if (node.hasProperty(Prop::round))
        numbers.setProperty(NodeIndex::roundFlag, readBool(node, Prop::round, false), nullptr);
    if (node.hasProperty(Prop::kind))
        numbers.setProperty(Prop::kind, node[Prop::kind], nullptr);
    return numbers;
}

bool isReadByConversions(const juce::Identifier& property)
{
    for (const auto* prop : intProps)
        if (*prop == property)
            return true;
    for (const auto* prop : doubleProps)
        if (*prop == property)
            return true;
    return property == Prop::linear || property == Prop::kind || property == Prop::nrpn;
}

std::array<uint8_t, 0x8000> makeCatalogueTable()
{
    std::array<uint8_t, 0x8000> table{};
    for (int id = parameterCount; id >= 1; --id) // the first id of an address wins, as in idForAddress
        if (addressOf(id) < table.size())
            table[addressOf(id)] = uint8_t(id);
    return table;
}
} // namespace

const juce::Identifier NodeIndex::roundFlag{"roundFlag"};

int catalogueIdOf(int address)
{
    static const auto table = makeCatalogueTable();
    return (address >= 0 && address < (int) table.size()) ? table[(std::size_t) address] : 0;
}

NodeIndex::~NodeIndex()
{
    clear();
}

void NodeIndex::clear()
{
    watched.removeListener(this);
    watched = {};
    forget();
}

void NodeIndex::forget()
{
    models = {};
    groups.clear();
}

void NodeIndex::watch(const juce::ValueTree& root)
{
    if (watched == root)
        return;
    clear();
    watched = root;
    watched.addListener(this);
}

void NodeIndex::valueTreePropertyChanged(juce::ValueTree&, const juce::Identifier& property)
{
    if (isReadByConversions(property))
        forget();
}

juce::ValueTree& NodeIndex::model(const juce::ValueTree& root, int modelNumber)
{
    watch(root);
    auto& entry = models[(std::size_t) modelIndexOf(modelNumber)];
    if (!entry.known)
    {
        entry.model = modelNode(root, modelNumber);
        entry.known = true;
    }
    return entry.model;
}

juce::ValueTree& NodeIndex::group(const juce::ValueTree& root, int modelNumber, int groupId)
{
    const auto& modelTree = model(root, modelNumber);
    if (groupId < 0 || groupId >= groupCount)
    {
        slowGroup = childWithId(modelTree, groupId);
        return slowGroup;
    }
    auto& entry = models[(std::size_t) modelIndexOf(modelNumber)];
    if (!entry.groupKnown[(std::size_t) groupId])
    {
        entry.groups[(std::size_t) groupId] = childWithId(modelTree, groupId);
        entry.groupKnown[(std::size_t) groupId] = true;
    }
    return entry.groups[(std::size_t) groupId];
}

NodeIndex::GroupEntry& NodeIndex::entryFor(const juce::ValueTree& group)
{
    for (auto& entry : groups)
        if (entry.group == group)
            return entry;
    GroupEntry entry;
    entry.group = group;
    for (const auto& child : group)
    {
        const auto slot = (std::size_t) catalogueIdOf(readInt(child, Prop::nrpn, -1));
        if (!entry.byAddress[slot].isValid())
        {
            entry.byAddress[slot] = child;
            entry.numbers[slot] = numbersOf(child);
        }
        const int id = readInt(child, Prop::id, 0);
        if (id >= 1 && id <= parameterCount && !entry.byId[(std::size_t) id].isValid())
            entry.byId[(std::size_t) id] = child;
    }
    groups.push_back(std::move(entry));
    return groups.back();
}

NodeIndex::Found NodeIndex::byAddress(const juce::ValueTree& root, const juce::ValueTree& group, int address)
{
    if (!group.isValid())
        return {none, none};
    const int id = catalogueIdOf(address);
    if (id == 0)
    {
        // Addresses outside the catalogue are rare enough to look up the slow way.
        for (const auto& child : group)
            if (readInt(child, Prop::nrpn, -1) == address)
            {
                slowNode = child;
                slowNumbers = numbersOf(child);
                return {slowNode, slowNumbers};
            }
        return {none, none};
    }
    watch(root);
    auto& entry = entryFor(group);
    return {entry.byAddress[(std::size_t) id], entry.numbers[(std::size_t) id]};
}

juce::ValueTree& NodeIndex::byId(const juce::ValueTree& root, const juce::ValueTree& group, int paramId)
{
    if (!group.isValid())
        return none;
    if (paramId < 1 || paramId > parameterCount)
    {
        slowNode = childWithId(group, paramId);
        return slowNode;
    }
    watch(root);
    return entryFor(group).byId[(std::size_t) paramId];
}

NodeIndex& nodeIndex()
{
    static NodeIndex index;
    return index;
}
} // namespace NsStrata
