#pragma once
// A labelled knob or fader bound to parameter nodes of the state tree: shows the node's value, and turns the
// user's moves into edits on the grid of the parameter, queued for the device.
#include "KnobSlider.h"

#include <juce_data_structures/juce_data_structures.h>

#include <functional>

namespace NsStrata
{
struct KnobLayout;

class ParameterKnob : public juce::Component
{
public:
    /** Where the label, value text and slider go, as fractions of the knob's size. */
    struct Fractions
    {
        float labelHeight = 0.1f;
        float textBoxWidth = 0.54f, textBoxHeight = 0.12f;
        float sliderLeft = 0.0f;   // the slider's left edge moves right by this share of the width
        float sliderHeight = 0.0f; // when set, the slider's height as a share of the knob's height
        float shrinkX = 0.0f;      // taken off each side, as a share of the width
        float shrinkY = 0.0f;      // taken off top and bottom, as a share of the height
    };

    ParameterKnob(const juce::String& name, double minimum, double maximum);
    ~ParameterKnob() override;

    /** Range, step, direction and component id from the panel's knob table. */
    void configure(const KnobLayout& layout);

    /** Places node in slot (1-based; replaces, or appends when slot is one past the last) and shows it when
        the slot is the active one. */
    void attach(const juce::ValueTree& node, int slot);
    /** The node in slot (1-based), or an invalid tree. */
    juce::ValueTree node(int slot) const;
    int nodeCount() const { return nodes.size(); }

    /** The value as it is stored in nodes: the slider's value (negated when inverted), or the first node's
        "off" for the level knobs at their lowest end. */
    double getValue() const;
    /** The slot the knob shows: 1, or for the shared Intensity knob 2 while HARMONY is on, 1 while VOCAL TUNE
        is on and 0 while neither is. */
    int activeSlot() const;
    /** Shows the active slot's node (the attach display). */
    void refreshDisplay();
    /** Puts a value in display units on the slider without editing anything. */
    void showValue(double value);
    /** Shows a level the device reported (the level display), repainting only what it moves. */
    void showLevel(double level);

    /** The parameter's conversions; without a parameter, rounding to the device and the value itself. */
    void setConversions(int paramId);
    std::function<int(double)> toDevice;
    std::function<double(double)> toDisplay;

    const juce::String& getName() const { return name; }
    KnobSlider& slider() { return knobSlider; }
    const KnobSlider& slider() const { return knobSlider; }
    juce::Label& label() { return nameLabel; }
    const juce::Label& label() const { return nameLabel; }
    bool isPressed() const { return pressed; }
    void setLabelOnTop(bool onTop);
    void setFractions(const Fractions& newFractions);
    const Fractions& fractions() const { return layoutFractions; }

    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseExit(const juce::MouseEvent& e) override;
    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    void edit();
    void setPressed(bool isDown) { pressed = isDown; }
    void refreshTexts();
    bool isHarmonyOn() const;
    bool isVocalTuneOn() const;

    juce::String name;
    juce::Label nameLabel;
    KnobSlider knobSlider;
    juce::Array<juce::ValueTree> nodes;
    bool pressed = false;
    bool labelOnTop = false;
    Fractions layoutFractions;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ParameterKnob)
};

/** Component ids of the knobs with a rule of their own. */
namespace KnobId
{
inline const juce::String levelDisplay{"11"};
inline const juce::String sharedIntensity{"38"};
inline const juce::String voiceOverLevel{"46"};
} // namespace KnobId

/** The knobs that store their node's "off" at their lowest end: the mixer levels and VOICE OVER's level. */
bool storesOffAtLowestEnd(const juce::String& componentId);
} // namespace NsStrata
