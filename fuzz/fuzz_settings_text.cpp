// libFuzzer target: any bytes as the content of the settings file, read the way the program reads it at
// start-up (the content check, the parse, the choice of the start-up state, with a preset and without) and
// written back, all in memory. What is written must read back as the same state.
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/SettingsFileContent.h"

#include <cstdint>
#include <cstdlib>

namespace
{
// A small usable preset: four models, each with its mode-independent group and five mode nodes, holding a
// user setting (keep 1), a transient one (keep 0) and one without keep.
juce::ValueTree smallPreset()
{
    juce::ValueTree root("STRATA");
    root.setProperty(NsStrata::Prop::mode, 1, nullptr);
    for (int model = 1; model <= 4; ++model)
    {
        juce::ValueTree m("MODEL");
        m.setProperty(NsStrata::Prop::id, model, nullptr);
        for (int group = 0; group <= 5; ++group)
        {
            juce::ValueTree g(group == 0 ? "GROUP" : "MODE");
            g.setProperty(NsStrata::Prop::id, group, nullptr);
            for (int id = 1; id <= 3; ++id)
            {
                juce::ValueTree p("PARAM");
                p.setProperty(NsStrata::Prop::id, group == 0 ? id : id + 13, nullptr);
                p.setProperty(NsStrata::Prop::value, id, nullptr);
                p.setProperty(NsStrata::Prop::defa, 0, nullptr);
                if (id < 3)
                    p.setProperty(NsStrata::Prop::keep, 2 - id, nullptr);
                g.appendChild(p, nullptr);
            }
            m.appendChild(g, nullptr);
        }
        root.appendChild(m, nullptr);
    }
    return root;
}

void checkChoice(const NsStrata::LoadedState& loaded)
{
    if (loaded.tree.isValid() && !NsStrata::isUsableTree(loaded.tree))
        std::abort(); // an unusable tree must never be taken
    if (loaded.mode < 0 || loaded.mode > 5)
        std::abort();
}

// Saved at exit, beside whatever else the file held, and read at the next start, the state comes back as
// it was written.
void checkRoundTrip(const juce::ValueTree& tree, const NsStrata::SettingsFileContent& content)
{
    const auto xml = tree.createXml();
    const auto written = NsStrata::settingsDocumentWithState(content.document.get(), *xml)->toString();
    const auto again = NsStrata::readSettingsFileContent(
        juce::MemoryBlock(written.toRawUTF8(), written.getNumBytesAsUTF8()));
    if (!again.readable || !again.holdsState(*xml))
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const juce::ValueTree preset = smallPreset();

    const auto content = NsStrata::readSettingsFileContent(juce::MemoryBlock(data, size));
    if (!content.readable && (content.document != nullptr || content.stateValue != nullptr))
        std::abort(); // what is not safe text is never parsed

    // With a usable preset the stored tree is merged into it (and left as it is); without one it is taken
    // on its own rules.
    const auto stored = content.storedTree();
    if (NsStrata::isUsableTree(stored))
    {
        const auto merged = NsStrata::chooseStartStateFromTrees(preset.createCopy(), stored);
        checkChoice(merged);
        if (merged.tree.getNumChildren() != preset.getNumChildren() ||
            merged.tree[NsStrata::Prop::ver].toString() != NsStrata::stateVersion)
            std::abort(); // the preset's layout is kept, stamped with this version
    }
    const auto alone = NsStrata::chooseStartStateFromTrees(juce::ValueTree(), stored);
    checkChoice(alone);
    // The stored tree carries all that came from the input; without one, the file's other content does,
    // beside any small state; without either, nothing written depends on the input.
    static const juce::ValueTree smallest(
        "STRATA", {}, {juce::ValueTree("MODEL"), juce::ValueTree("MODEL"), juce::ValueTree("MODEL")});
    if (alone.tree.isValid())
        checkRoundTrip(alone.tree, content);
    else if (content.document != nullptr)
        checkRoundTrip(smallest, content);
    return 0;
}
