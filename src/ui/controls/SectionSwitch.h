#pragma once
// A section's on/off switch (and the menu buttons of PRESETS and JINGLES). Its value runs the section logic:
// the bound nodes follow it (sent once per change, or kept back when the device made the change itself),
// VOCAL TUNE and HARMONY exclude each other and drive the key buttons, and the section's controls follow it.
#include "FocusRing.h"
#include "ui/look/StrataLookAndFeel.h"

#include <juce_data_structures/juce_data_structures.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace NsStrata
{
class ParameterKnob;
class MappableButton;

/** Component ids of the switches. */
namespace SwitchId
{
inline const juce::String presetsMenu{"1"};
inline const juce::String jinglesMenu{"2"};
inline const juce::String deEsser{"12"};
inline const juce::String filters{"15"};
inline const juce::String eq{"18"};
inline const juce::String exciter{"22"};
inline const juce::String compressor{"24"};
inline const juce::String reverb{"28"};
inline const juce::String vocalTune{"33"};
inline const juce::String harmony{"37"};
inline const juce::String bgmPitch{"40"};
inline const juce::String voiceOver{"43"};
} // namespace SwitchId

class SectionSwitch : public juce::TextButton
{
public:
    /** What the panel tells a switch once it is complete; from then on these controls follow the switch. */
    struct Section
    {
        std::vector<ParameterKnob*> knobs; // enabled while on (the shared Intensity by its own rule)
        std::vector<MappableButton*>
            buttons; // enabled while on; outside VOCAL TUNE their node moves to "off"
        std::vector<MappableButton*> keyButtons; // VOCAL TUNE and HARMONY: the twelve keys, C first
        SectionSwitch* rival = nullptr;          // VOCAL TUNE <-> HARMONY
    };

    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void sectionSwitched(SectionSwitch& source, bool on) = 0;
    };

    SectionSwitch(bool initiallyOn, const juce::String& caption, bool showText);
    ~SectionSwitch() override;

    /** Places node in slot (1-based); a node placed in slot 1 is shown (its "value" becomes the switch's).
        Place slot 2 before slot 1, or use bindNodes. */
    void attach(const juce::ValueTree& node, int slot);
    /** Replaces every slot, then shows slot 1's value. */
    void bindNodes(const juce::Array<juce::ValueTree>& newNodes);
    juce::ValueTree node(int slot) const;
    int nodeCount() const { return nodes.size(); }

    bool isOn() const { return on; }
    int getSwitchValue() const { return value; }
    /** Sets the value; a change runs the section logic. */
    void setSwitchValue(int newValue);
    /** Runs the section logic for the current value. */
    void applyValue();

    /** The press rule: a menu for the menu buttons, else a flip (a switch whose node may not be enabled can
        only be turned off). A press with the right button changes nothing. */
    void press(bool rightButton = false);

    /** Clear: the next change is not sent (the device made it), then the flag returns to set. */
    void setSendOnce(bool send) { sendOnce = send; }
    bool sendsNextChange() const { return sendOnce; }
    bool showsText() const { return showText; }

    void setSection(Section newSection);
    bool followsSection() const { return section.has_value(); }

    /** The text drawn for the switch state: orange when on. */
    juce::Colour textColour() const;
    /** The popup of a menu button: one item, which shows the device-link status. */
    juce::PopupMenu menuButtonMenu() const;

    void addListener(Listener* l) { listeners.push_back(l); }
    void removeListener(Listener* l)
    {
        listeners.erase(std::remove(listeners.begin(), listeners.end(), l), listeners.end());
    }

    void clicked(const juce::ModifierKeys& mods) override;
    void paintButton(juce::Graphics& g, bool highlighted, bool down) override;
    void focusGained(FocusChangeType cause) override;
    void focusLost(FocusChangeType cause) override;

private:
    bool isMenuButton() const;
    bool isVocalTuneOrHarmony() const;
    bool enableAllowed() const;
    bool otherOn(const juce::String& otherId, int otherParam) const;
    void updateKeyButtons();
    void writeNodes();
    void followSection();
    void moveShift(ParameterKnob& knob, bool transition);
    void moveButton(MappableButton& button, bool transition);

    bool on = false;
    int value = 0;
    bool showText = true;
    bool sendOnce = true;
    juce::Array<juce::ValueTree> nodes;
    std::optional<Section> section;
    std::optional<bool> followedOn; // the state the section last followed; unknown until the first run
    StrataLookAndFeel look;
    FocusRing focusRing;
    std::vector<Listener*> listeners;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SectionSwitch)
};
} // namespace NsStrata
