#include "PresetRestore.h"

#include "ProjectFile.h"
#include "model/Models.h"
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/Assets.h"

#include <map>

namespace NsStrata
{
void keepModeIndependentValues(juce::ValueTree& preset, const juce::ValueTree& kept)
{
    for (const auto& model : preset)
    {
        const int id = readInt(model, Prop::id, 1);
        const auto keptModel = childWithId(kept, id);
        if (id == 0 || !keptModel.isValid())
            continue;
        // The first node of each address counts, as in every lookup of the tree.
        std::map<int, juce::ValueTree> byAddress;
        for (const auto& old : childWithId(keptModel, modeIndependentGroup))
            if (old.hasProperty(Prop::nrpn))
                byAddress.emplace(readInt(old, Prop::nrpn, -1), old);
        for (auto param : childWithId(model, modeIndependentGroup))
        {
            if (!param.hasProperty(Prop::nrpn))
                continue;
            const auto found = byAddress.find(readInt(param, Prop::nrpn, -1));
            if (found == byAddress.end())
                continue;
            const auto& old = found->second;
            for (const auto& prop : {Prop::value, Prop::last})
                if (old.hasProperty(prop))
                    param.setProperty(prop, old[prop], nullptr);
        }
    }
}

juce::Result restorePreset(juce::ValueTree& state, const juce::ValueTree& preset, ImportLink& link,
                           const std::function<void()>& switchPadsOff)
{
    // Restoring from nothing would wipe every setting and send empty modes to the device.
    if (!isUsableTree(preset))
        return juce::Result::fail(TRANS("The preset file could not be read!"));

    auto restored = preset.createCopy();
    keepModeIndependentValues(restored, state);
    state.copyPropertiesAndChildrenFrom(restored, nullptr);
    writeModesIntoDevice(state, selectedModelId(), selection().currentMode, link, switchPadsOff);
    return juce::Result::ok();
}

juce::Result restoreShippedPreset(juce::ValueTree& state, ImportLink& link,
                                  const std::function<void()>& switchPadsOff)
{
    return restorePreset(state, treeFromXmlText(loadAssetText(presetAssetPath, false)), link, switchPadsOff);
}
} // namespace NsStrata
