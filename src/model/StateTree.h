#pragma once
// The device state tree: root -> model nodes -> group nodes -> parameter nodes, each found by its "id".
#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
/** Property names of the state tree. */
namespace Prop
{
#define STRATA_PROP(name, text) inline const juce::Identifier name{text};
STRATA_PROP(id, "id")
STRATA_PROP(nrpn, "nrpn")
STRATA_PROP(value, "value")
STRATA_PROP(defa, "defa")
STRATA_PROP(keep, "keep")
STRATA_PROP(off, "off")
STRATA_PROP(last, "last")
STRATA_PROP(kind, "kind")
STRATA_PROP(linear, "linear")
STRATA_PROP(start, "start")
STRATA_PROP(end, "end")
STRATA_PROP(st, "st")
STRATA_PROP(ed, "ed")
STRATA_PROP(iunit, "iunit")
STRATA_PROP(round, "round")
STRATA_PROP(type, "type")
STRATA_PROP(chan, "chan")
STRATA_PROP(enaQ, "enaQ")
STRATA_PROP(ver, "ver")
STRATA_PROP(mode, "mode")
STRATA_PROP(current, "current")
STRATA_PROP(name, "name")
STRATA_PROP(comment, "comment")
STRATA_PROP(basedOnId, "basedOnId")
STRATA_PROP(pid, "pid")
#undef STRATA_PROP
} // namespace Prop

/** Layout stamp of the trees this program writes. */
inline const juce::String stateVersion{"2025.042913"};
/** The "id" of the mode-independent group. */
constexpr int modeIndependentGroup = 0;

/** Property read with the reader's default; numbers stored as text (from XML) are converted. */
double readDouble(const juce::ValueTree& node, const juce::Identifier& prop, double fallback);
int readInt(const juce::ValueTree& node, const juce::Identifier& prop, int fallback);
bool readBool(const juce::ValueTree& node, const juce::Identifier& prop, bool fallback);

/** First child whose "id" equals id; invalid when there is none. */
juce::ValueTree childWithId(const juce::ValueTree& parent, int id);
/** The model node of a model number (supported or not: unknown numbers map to the first model). */
juce::ValueTree modelNode(const juce::ValueTree& root, int modelNumber);
/** The group a parameter id lives in: 0 for mode-independent ids, else the mode id. */
int groupIdFor(int paramId, int mode);
/** The parameter node of id in the model node, looked up in its group for the given mode. */
juce::ValueTree parameterNode(const juce::ValueTree& model, int paramId, int mode);
/** A tree the program can work with: valid, with at least three model nodes. */
bool isUsableTree(const juce::ValueTree& root);

/** Calls fn(modelNode, groupNode, parameterNode) for every parameter node of the tree. */
template <typename Fn> void forEachParameter(const juce::ValueTree& root, Fn&& fn)
{
    for (auto model : root)
        for (auto group : model)
            for (auto param : group)
                fn(model, group, param);
}
} // namespace NsStrata
