#pragma once
// A section of the panel: an optional title bar on top and up to six child places below it, each given as a
// rectangle relative to the area under the title.
#include "SectionTitle.h"

#include <array>
#include <optional>

namespace NsStrata
{
class SectionFrame : public juce::Component
{
public:
    static constexpr int maxChildren = 6;
    static constexpr int margin = 1;

    /** A section with this name; with a title, switchId names its switch ("" for none). */
    SectionFrame(const juce::String& name, bool hasTitle, const juce::String& switchId = {});
    ~SectionFrame() override;

    /** Sets child place index (0..5) as fractions of the area under the title. */
    void setChildRect(int index, float x, float y, float w, float h);
    /** The pixel rectangle of child place index; empty when it is not set or out of range. */
    juce::Rectangle<int> childRect(int index) const;

    SectionTitle* getTitle() const { return title.get(); }
    SectionSwitch* getSwitch() const { return title != nullptr ? title->getSwitch() : nullptr; }
    /** The title height in pixels at the current scale; 0 without a title. */
    int titleHeight() const;

    void paint(juce::Graphics& g) override;
    void resized() override;

private:
    std::unique_ptr<SectionTitle> title;
    std::array<std::optional<juce::Rectangle<float>>, maxChildren> places;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(SectionFrame)
};
} // namespace NsStrata
