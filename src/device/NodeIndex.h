#pragma once
// Finds model, group and parameter nodes of the state tree without walking it for every device report: the
// index follows the tree through a listener and starts over when nodes, ids or addresses change. Message
// thread only.
#include "model/Catalogue.h"

#include <juce_data_structures/juce_data_structures.h>

#include <array>
#include <deque>

namespace NsStrata
{
/** The catalogue id of a device address (0 when none), by table. */
int catalogueIdOf(int address);

class NodeIndex : private juce::ValueTree::Listener
{
public:
    /** A parameter node and its conversion properties already read as numbers (XML gives them as text), so
        converting a reported value does not parse text. Reads of the copy give what reads of the node give.
     */
    struct Found
    {
        juce::ValueTree& node;
        const juce::ValueTree& numbers;
    };
    /** Read from numbers: the node's "round" as a flag. */
    static const juce::Identifier roundFlag;

    NodeIndex() = default;
    ~NodeIndex() override;

    // What these return stays valid until the tree's nodes, ids or addresses change, or the next call for
    // another root; handles are returned by reference because copying them is most of the cost of a lookup.

    /** The model node of a model number (as modelNode). */
    juce::ValueTree& model(const juce::ValueTree& root, int modelNumber);
    /** The group of that model node with this id (as childWithId). */
    juce::ValueTree& group(const juce::ValueTree& root, int modelNumber, int groupId);
    /** The first child of group whose "nrpn" is address. */
    Found byAddress(const juce::ValueTree& root, const juce::ValueTree& group, int address);
    /** The first child of group whose "id" is paramId. */
    juce::ValueTree& byId(const juce::ValueTree& root, const juce::ValueTree& group, int paramId);

    /** Forgets everything, the watched tree included. */
    void clear();

private:
    static constexpr int groupCount = 6;
    struct GroupEntry
    {
        juce::ValueTree group;
        std::array<juce::ValueTree, parameterCount + 1> byAddress; // by the catalogue id of the address
        std::array<juce::ValueTree, parameterCount + 1> numbers;
        std::array<juce::ValueTree, parameterCount + 1> byId;
    };
    struct ModelEntry
    {
        bool known = false;
        juce::ValueTree model;
        std::array<bool, groupCount> groupKnown{};
        std::array<juce::ValueTree, groupCount> groups;
    };

    void watch(const juce::ValueTree& root);
    GroupEntry& entryFor(const juce::ValueTree& group);
    void forget();

    void valueTreePropertyChanged(juce::ValueTree&, const juce::Identifier& property) override;
    void valueTreeChildAdded(juce::ValueTree&, juce::ValueTree&) override { forget(); }
    void valueTreeChildRemoved(juce::ValueTree&, juce::ValueTree&, int) override { forget(); }
    void valueTreeChildOrderChanged(juce::ValueTree&, int, int) override { forget(); }
    void valueTreeParentChanged(juce::ValueTree&) override { forget(); }
    void valueTreeRedirected(juce::ValueTree&) override { forget(); }

    juce::ValueTree watched;
    std::array<ModelEntry, 4> models;
    std::deque<GroupEntry> groups;                    // entries stay put while others are added
    juce::ValueTree slowNode, slowNumbers, slowGroup; // answers found without the tables
    juce::ValueTree none;                             // stays invalid: writes to it do nothing
};

/** The index the incoming side uses. */
NodeIndex& nodeIndex();
} // namespace NsStrata
