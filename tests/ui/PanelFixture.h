#pragma once
// A mixer panel without its timers, on the Host's copy of the shipped preset, bound to a model and mode the
// way the main screen binds it.
#include "UiFixture.h"

#include "model/Modes.h"
#include "ui/controls/BoundNodes.h"
#include "ui/panel/MixerPanel.h"

#include <memory>

class PanelTest : public UiTest
{
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        panel = std::make_unique<NsStrata::MixerPanel>(false);
        NsStrata::Host::getInstance()->settings().setState(shippedPreset());
        panel->setBounds(0, 0, NsStrata::panelDesignWidth, NsStrata::panelDesignHeight);
        bind(NsStrata::ardentModel, 1);
    }

    void TearDown() override
    {
        panel.reset();
        UiTest::TearDown();
    }

    /** What the main screen does: the selection, then the panel with the gate closed, then the mode buttons.
     */
    void bind(int model, int mode)
    {
        NsStrata::selection().selectedModel = model;
        NsStrata::selection().currentMode = mode;
        panel->bindToState(model, mode, 0);
        panel->showMode(mode);
    }

    static juce::ValueTree& state() { return NsStrata::Host::getInstance()->state(); }
    static juce::ValueTree modelOf(int model = NsStrata::ardentModel)
    {
        return NsStrata::modelNode(state(), model);
    }
    /** A node of the live tree, as the panel should have bound it. */
    static juce::ValueTree live(int paramId, int mode = 1, int model = NsStrata::ardentModel)
    {
        const auto group = NsStrata::childWithId(
            modelOf(model), NsStrata::isModeIndependent(paramId) ? NsStrata::modeIndependentGroup : mode);
        return NsStrata::childWithId(group, paramId);
    }
    static double valueOf(const juce::ValueTree& node)
    {
        return NsStrata::readDouble(node, NsStrata::Prop::value, -9999);
    }
    void click(juce::Button& button) { panel->buttonClicked(&button); }

    std::unique_ptr<NsStrata::MixerPanel> panel;
};
