#pragma once
// The shipped preset, loaded once per test process.
#include "model/StateLoader.h"
#include "model/StateTree.h"
#include "store/Assets.h"

#include <gtest/gtest.h>

inline juce::ValueTree shippedPreset()
{
    static const juce::ValueTree preset =
        NsStrata::treeFromXmlText(NsStrata::loadAssetText("Strata/preset/preset.xml", false));
    return preset.createCopy();
}

/** A parameter node of the shipped preset (model Ardent unless given, mode 1 unless given). */
inline juce::ValueTree presetNode(int paramId, int mode = 1, int model = 4142)
{
    return NsStrata::parameterNode(NsStrata::modelNode(shippedPreset(), model), paramId, mode);
}
