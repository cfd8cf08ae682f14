#include "SectionSwitch.h"

#include "BoundNodes.h"
#include "MappableButton.h"
#include "ParameterKnob.h"
#include "device/LinkTexts.h"
#include "model/StateTree.h"
#include "ui/look/AppFont.h"
#include "ui/look/Dialogs.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
namespace
{
constexpr int vocalTuneParam = 39;
constexpr int harmonyParam = 45;
constexpr int titleHeight = 22;
constexpr int menuItem = 1;
// A VOICE OVER level at or below its "off" shows at this level while the section follows its switch.
constexpr double voiceOverShownAtOff = -24;
} // namespace

SectionSwitch::SectionSwitch(bool initiallyOn, const juce::String& caption, bool shouldShowText)
    : juce::TextButton(caption), on(initiallyOn), showText(shouldShowText)
{
    setLookAndFeel(&look);
    setToggleState(initiallyOn, juce::dontSendNotification);
    setWantsKeyboardFocus(true);
    // The press acts on the way down, once: a release after the mouse moved is no second press.
    setTriggeredOnMouseDown(true);
    setToggleable(true);
}

SectionSwitch::~SectionSwitch()
{
    setLookAndFeel(nullptr);
}

juce::ValueTree SectionSwitch::node(int slot) const
{
    return nodeInSlot(nodes, slot);
}

void SectionSwitch::attach(const juce::ValueTree& newNode, int slot)
{
    if (!placeNode(nodes, newNode, slot))
        return;
    if (slot == 1)
    {
        value = readInt(newNode, Prop::value, 0);
        applyValue();
    }
}

void SectionSwitch::bindNodes(const juce::Array<juce::ValueTree>& newNodes)
{
    nodes = newNodes;
    value = readInt(node(1), Prop::value, 0);
    applyValue();
}

bool SectionSwitch::isMenuButton() const
{
    return getComponentID() == SwitchId::presetsMenu || getComponentID() == SwitchId::jinglesMenu;
}

bool SectionSwitch::isVocalTuneOrHarmony() const
{
    return getComponentID() == SwitchId::vocalTune || getComponentID() == SwitchId::harmony;
}

bool SectionSwitch::enableAllowed() const
{
    return readBool(node(1), Prop::enaQ, true);
}

void SectionSwitch::setSwitchValue(int newValue)
{
    if (newValue == value)
        return;
    value = newValue;
    applyValue();
}

void SectionSwitch::press(bool rightButton)
{
    if (isMenuButton())
    {
        dialogs().showMenu(menuButtonMenu(), *this, &look,
                           [](int choice)
                           {
                               if (choice == menuItem)
                                   dialogs().showMessage(linkTexts().statusText);
                           });
        return;
    }
    if (rightButton)
        return;
    if (!on && !enableAllowed())
        return;
    on = !on;
    setToggleState(on, juce::dontSendNotification);
    setSwitchValue(on ? (isVocalTuneOrHarmony() ? 1 : 127) : 0);
}

juce::PopupMenu SectionSwitch::menuButtonMenu() const
{
    juce::PopupMenu menu;
    menu.addItem(menuItem, getComponentID() == SwitchId::jinglesMenu ? TRANS("Import device jingles")
                                                                     : TRANS("Preset Manager"));
    return menu;
}

bool SectionSwitch::otherOn(const juce::String& otherId, int otherParam) const
{
    if (getComponentID() == otherId)
        return on;
    if (section && section->rival != nullptr)
        return section->rival->isOn();
    const auto other = childWithId(node(1).getParent(), otherParam);
    return other.isValid() && readDouble(other, Prop::value, 0) != 0;
}

void SectionSwitch::applyValue()
{
    on = value != 0 && enableAllowed();

    if (isVocalTuneOrHarmony() && on && section && section->rival != nullptr && section->rival->isOn())
    {
        // The device turns the other one off by itself: that change is not sent.
        section->rival->setSendOnce(false);
        section->rival->setSwitchValue(0);
    }
    if (isVocalTuneOrHarmony())
        updateKeyButtons();

    setToggleState(on, juce::dontSendNotification);
    writeNodes();
    if (section)
        followSection();
    repaint();
    for (auto* l : std::vector<Listener*>(listeners))
        l->sectionSwitched(*this, on);
}

void SectionSwitch::updateKeyButtons()
{
    if (!section)
        return;
    const bool harmonyOn = otherOn(SwitchId::harmony, harmonyParam);
    const bool vocalTuneOn = otherOn(SwitchId::vocalTune, vocalTuneParam);
    const int active = harmonyOn ? 2 : (vocalTuneOn ? 1 : 0);
    for (std::size_t i = 0; i < section->keyButtons.size(); ++i)
    {
        auto* key = section->keyButtons[i];
        if (key == nullptr)
            continue;
        key->setEnabled(active != 0);
        bool toggled = false;
        if (active != 0 && key->boundNodes.size() >= active)
            toggled = (readInt(key->boundNodes[active - 1], Prop::value, 0) & 15) == (int) i + 1;
        key->setToggleState(toggled, juce::dontSendNotification);
    }
}

void SectionSwitch::writeNodes()
{
    for (auto& bound : nodes)
    {
        if (!bound.isValid() || readInt(bound, Prop::value, 0) == value)
            continue;
        setNodeValue(bound, value);
        if (sendOnce)
            queueForDevice(bound, true, false);
    }
    sendOnce = true;
}

void SectionSwitch::followSection()
{
    const bool transition = followedOn.has_value() && *followedOn != on;
    followedOn = on;
    const auto id = getComponentID();

    for (auto* knob : section->knobs)
    {
        if (knob == nullptr)
            continue;
        if (knob->getComponentID() == KnobId::sharedIntensity)
        {
            const bool either =
                otherOn(SwitchId::vocalTune, vocalTuneParam) || otherOn(SwitchId::harmony, harmonyParam);
            knob->setEnabled(either);
            if (either)
                knob->refreshDisplay();
            else
                knob->showValue(readDouble(knob->node(1), Prop::off, 0));
            continue;
        }
        knob->setEnabled(on);
        if (id == SwitchId::bgmPitch)
            moveShift(*knob, transition);
        if (knob->getComponentID() == KnobId::voiceOverLevel)
        {
            const auto level = knob->node(1);
            if (level.isValid() && readDouble(level, Prop::value, 0) <= readDouble(level, Prop::off, 0))
                knob->showValue(voiceOverShownAtOff);
        }
    }
    for (auto* button : section->buttons)
    {
        if (button == nullptr)
            continue;
        button->setEnabled(on);
        if (id != SwitchId::vocalTune)
            moveButton(*button, transition);
    }
}

// Only a change of the switch moves values, so binding the same state again keeps what "last" holds.
void SectionSwitch::moveShift(ParameterKnob& knob, bool transition)
{
    auto shift = knob.node(1);
    if (!transition || !shift.isValid())
        return;
    const double current = readDouble(shift, Prop::value, 0), off = readDouble(shift, Prop::off, 0);
    if (!on && current != off)
    {
        shift.setProperty(Prop::last, shift[Prop::value], nullptr);
        setNodeValue(shift, off);
    }
    else if (on && current == off && shift.hasProperty(Prop::last))
    {
        setNodeValue(shift, readDouble(shift, Prop::last, off));
    }
    knob.refreshDisplay();
}

void SectionSwitch::moveButton(MappableButton& button, bool transition)
{
    if (!transition || button.boundNodes.isEmpty())
        return;
    auto bound = button.boundNodes[0];
    if (!bound.isValid())
        return;
    const double current = readDouble(bound, Prop::value, 0), off = readDouble(bound, Prop::off, 0);
    if (!on && current != off)
    {
        bound.setProperty(Prop::last, bound[Prop::value], nullptr);
        setNodeValue(bound, off);
        queueForDevice(bound, true, false);
    }
    else if (on && current == off && bound.hasProperty(Prop::last) &&
             readDouble(bound, Prop::last, off) != off)
    {
        setNodeValue(bound, readDouble(bound, Prop::last, off));
        queueForDevice(bound, true, false);
    }
}

void SectionSwitch::setSection(Section newSection)
{
    section = std::move(newSection);
    followedOn.reset();
    applyValue();
}

juce::Colour SectionSwitch::textColour() const
{
    return on ? Palette::on : Palette::textOff;
}

void SectionSwitch::clicked(const juce::ModifierKeys& mods)
{
    // Mouse presses on the way down, and keyboard and accessibility presses.
    press(mods.isRightButtonDown());
}

void SectionSwitch::paintButton(juce::Graphics& g, bool highlighted, bool down)
{
    const auto area = getLocalBounds().toFloat();
    const float alpha = isEnabled() ? 1.0f : 0.5f;
    if (isMenuButton())
    {
        juce::TextButton::paintButton(g, highlighted, down);
        const auto triangle = area.withSizeKeepingCentre(area.getWidth() * 0.4f, area.getHeight() * 0.3f);
        juce::Path arrow;
        arrow.addTriangle(triangle.getTopLeft(), triangle.getTopRight(),
                          {triangle.getCentreX(), triangle.getBottom()});
        g.setColour(Palette::text.withMultipliedAlpha(alpha));
        g.fillPath(arrow);
    }
    else if (showText)
    {
        g.setFont(appFont((float) juce::roundToInt(uiScale() * titleHeight * 0.8f)));
        g.setColour(textColour().withMultipliedAlpha(alpha));
        g.drawText(getButtonText(), area, juce::Justification::centred, false);
    }
    focusRing.draw(g, *this, area);
}

void SectionSwitch::focusGained(FocusChangeType cause)
{
    focusRing.focusGained(*this, cause);
}

void SectionSwitch::focusLost(FocusChangeType)
{
    focusRing.focusLost(*this);
}
} // namespace NsStrata
