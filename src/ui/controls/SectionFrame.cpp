#include "SectionFrame.h"

#include "ui/look/ScreenState.h"

namespace NsStrata
{
SectionFrame::SectionFrame(const juce::String& name, bool hasTitle, const juce::String& switchId)
{
    setName(name);
    if (hasTitle)
    {
        title = std::make_unique<SectionTitle>(name, switchId);
        addAndMakeVisible(*title);
    }
}

SectionFrame::~SectionFrame() = default;

void SectionFrame::setChildRect(int index, float x, float y, float w, float h)
{
    if (index < 0 || index >= maxChildren)
        return;
    places[(std::size_t) index] = juce::Rectangle<float>(x, y, w, h);
}

int SectionFrame::titleHeight() const
{
    return title != nullptr ? scaled(SectionTitle::designHeight) : 0;
}

juce::Rectangle<int> SectionFrame::childRect(int index) const
{
    if (index < 0 || index >= maxChildren || !places[(std::size_t) index].has_value())
        return {};
    const auto& r = *places[(std::size_t) index];
    const float W = (float) getWidth(), H = (float) getHeight(), m = (float) margin,
                T = (float) titleHeight();
    return {juce::roundToInt(r.getX() * (W - 4 * m) + 3 * m),
            juce::roundToInt(r.getY() * (H - 4 * m - T) + T + 3 * m),
            juce::roundToInt(r.getWidth() * (W - 4 * m) - 2 * m),
            juce::roundToInt(r.getHeight() * (H - 4 * m - T) - 2 * m)};
}

void SectionFrame::paint(juce::Graphics&) {}

void SectionFrame::resized()
{
    if (title != nullptr)
        title->setBounds(getLocalBounds().reduced(margin).removeFromTop(titleHeight()));
}
} // namespace NsStrata
