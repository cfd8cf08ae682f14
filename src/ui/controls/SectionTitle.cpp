#include "SectionTitle.h"

#include "LabelText.h"
#include "ui/look/AppFont.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
SectionTitle::SectionTitle(const juce::String& name, const juce::String& switchId) : sectionName(name)
{
    nameLabel.setColour(juce::Label::textColourId, Palette::text);
    nameLabel.setJustificationType(juce::Justification::centredLeft);
    nameLabel.setBorderSize({});
    nameLabel.setMinimumHorizontalScale(0.5f);
    nameLabel.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(nameLabel);

    if (switchId.isNotEmpty())
    {
        const bool menu = switchId == SwitchId::presetsMenu || switchId == SwitchId::jinglesMenu;
        sectionSwitch =
            std::make_unique<SectionSwitch>(false, menu ? juce::String() : juce::String("G"), !menu);
        sectionSwitch->setComponentID(switchId);
        sectionSwitch->addListener(this);
        addAndMakeVisible(*sectionSwitch);
        sectionSwitched(*sectionSwitch, sectionSwitch->isOn());
    }
    refreshTexts();
}

SectionTitle::~SectionTitle()
{
    if (sectionSwitch != nullptr)
        sectionSwitch->removeListener(this);
}

void SectionTitle::sectionSwitched(SectionSwitch& source, bool on)
{
    const bool menu =
        source.getComponentID() == SwitchId::presetsMenu || source.getComponentID() == SwitchId::jinglesMenu;
    nameLabel.setColour(juce::Label::textColourId, on || menu ? Palette::text : Palette::textOff);
}

void SectionTitle::refreshTexts()
{
    const auto shown = TRANS(sectionName);
    updateLabel(nameLabel, shown, scaledAppFont(14.0f));
    if (sectionSwitch != nullptr && sectionSwitch->getTitle() != shown)
        sectionSwitch->setTitle(shown);
}

void SectionTitle::paint(juce::Graphics&)
{
    refreshTexts();
}

juce::Rectangle<int> SectionTitle::switchBounds() const
{
    if (sectionSwitch == nullptr)
        return {};
    const auto s = uiScale();
    const auto id = sectionSwitch->getComponentID();
    const bool menu = id == SwitchId::presetsMenu || id == SwitchId::jinglesMenu;
    const int side = juce::roundToInt(s * designHeight * (menu ? 0.89f : 1.38f));
    auto square =
        juce::Rectangle<int>(side, side).withCentre(getLocalBounds().getCentre()).withRightX(getWidth());
    if (!menu)
        square = square.reduced(juce::roundToInt(3.0f * s), juce::roundToInt(s));
    return square;
}

void SectionTitle::resized()
{
    auto area = getLocalBounds();
    const auto switchArea = switchBounds();
    if (sectionSwitch != nullptr)
        sectionSwitch->setBounds(switchArea);
    area.removeFromLeft(juce::roundToInt(designHeight * 0.3f * uiScale()));
    if (!switchArea.isEmpty())
        area.setRight(switchArea.getX());
    nameLabel.setBounds(area);
    refreshTexts();
}
} // namespace NsStrata
