#pragma once
// The application's push button: a display name shown after the language's display rule (on its face or on a
// label of the owner), a kind and slot the owner dispatches clicks by, the parameter nodes it shows or edits,
// a pointing hand, and for the noise-reduction button ("8") a popup with its three choices.
#include "FocusRing.h"
#include "ui/look/StrataLookAndFeel.h"

#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
class MappableButton : public juce::TextButton
{
public:
    explicit MappableButton(const juce::String& caption = {});
    ~MappableButton() override;

    /** Stores the display name and shows it. */
    void setDisplayName(const juce::String& name);
    juce::String getDisplayName() const { return displayName; }
    /** Shows the display name after the display rule: on the label when one is set, else on the face; with
        the text-as-tooltip flag also as the tooltip. */
    virtual void refreshText();

    int kind = 0;
    int slot = 0;
    int optionIndex = 0;
    juce::Array<juce::ValueTree> boundNodes;
    /** When set, the shown text goes to this label instead of the face. */
    juce::Component::SafePointer<juce::Label> label;
    bool textAsTooltip = true;

    StrataLookAndFeel& faceLook() { return face; }
    StrataLookAndFeel& popupLook() { return popup; }

    /** The three choices of the noise-reduction popup. */
    enum NoiseChoice : int
    {
        noiseOff = 1,
        noiseReduction1 = 2,
        noiseReduction2 = 3
    };
    /** The popup's items: ids 1 to 3, the current setting ticked. */
    juce::PopupMenu noiseReductionMenu() const;
    /** What choosing an item of the noise-reduction popup does: caption, on-colour, nodes (queued when they
        change) and toggle state. */
    void applyNoiseReductionChoice(int choice);

    void mouseEnter(const juce::MouseEvent& e) override;
    void mouseExit(const juce::MouseEvent& e) override;
    void mouseDown(const juce::MouseEvent& e) override;
    bool keyPressed(const juce::KeyPress& key) override;
    void focusGained(FocusChangeType cause) override;
    void focusLost(FocusChangeType cause) override;
    void paintOverChildren(juce::Graphics& g) override;

protected:
    /** Opens the noise-reduction popup when this is the noise-reduction button; false when it declines. */
    bool takesNoiseReductionPress();

private:
    struct NoiseSetting
    {
        int enabled = 0;
        double threshold = 0;
    };
    NoiseSetting noiseSetting() const;

    juce::String displayName;
    StrataLookAndFeel face, popup;
    FocusRing focusRing;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MappableButton)
};
} // namespace NsStrata
