#pragma once
// A section's title bar: the translated section name, and at the right the section's switch (or the menu
// button of PRESETS and JINGLES). The name dims while the switch is off.
#include "SectionSwitch.h"

#include <memory>

namespace NsStrata
{
class SectionTitle : public juce::Component, private SectionSwitch::Listener
{
public:
    /** The panel's title height, in design pixels. */
    static constexpr int designHeight = 22;

    /** A title with a switch of this component id ("1", "2", "12" ...); an empty id gives no switch. */
    SectionTitle(const juce::String& sectionName, const juce::String& switchId);
    ~SectionTitle() override;

    SectionSwitch* getSwitch() const { return sectionSwitch.get(); }
    juce::Label& label() { return nameLabel; }
    const juce::String& getSectionName() const { return sectionName; }
    /** Where the switch goes; empty without one. */
    juce::Rectangle<int> switchBounds() const;

    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    void sectionSwitched(SectionSwitch& source, bool on) override;
    void refreshTexts();

    juce::String sectionName;
    juce::Label nameLabel;
    std::unique_ptr<SectionSwitch> sectionSwitch;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SectionTitle)
};
} // namespace NsStrata
