#include "ParameterKnob.h"

#include "BoundNodes.h"
#include "LabelText.h"
#include "model/Catalogue.h"
#include "model/Conversions.h"
#include "model/KnobTable.h"
#include "model/StateTree.h"
#include "ui/look/AppFont.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

namespace NsStrata
{
namespace
{
constexpr int vocalTuneParam = 39;
constexpr int harmonyParam = 45;
// The VOICE OVER level at its "off" shows at the knob's lowest end.
constexpr double voiceOverOffShown = -54;

bool isOn(const juce::ValueTree& node)
{
    return node.isValid() && readDouble(node, Prop::value, 0) != 0;
}
} // namespace

bool storesOffAtLowestEnd(const juce::String& componentId)
{
    const int id = componentId.getIntValue();
    return componentId.containsOnly("0123456789") && ((id >= 3 && id <= 7) || id == 46);
}

ParameterKnob::ParameterKnob(const juce::String& knobName, double minimum, double maximum) : name(knobName)
{
    nameLabel.setColour(juce::Label::textColourId, Palette::text);
    nameLabel.setJustificationType(juce::Justification::centred);
    nameLabel.setMinimumHorizontalScale(0.6f);
    nameLabel.setBorderSize({});
    nameLabel.setInterceptsMouseClicks(false, false);
    addAndMakeVisible(nameLabel);

    knobSlider.setRange(minimum, maximum, 1.0);
    knobSlider.setTextBoxStyle(juce::Slider::TextBoxAbove, false, 40, 14);
    knobSlider.setColour(juce::Slider::textBoxOutlineColourId, juce::Colours::transparentBlack);
    knobSlider.setColour(juce::Slider::textBoxHighlightColourId, Palette::valueArc);
    knobSlider.setColour(juce::Slider::thumbColourId, juce::Colours::transparentBlack);
    knobSlider.setColour(juce::Slider::rotarySliderFillColourId, Palette::valueArc);
    knobSlider.setColour(juce::Slider::rotarySliderOutlineColourId, Palette::ringBack);
    knobSlider.setColour(juce::Slider::backgroundColourId, Palette::ringBack);
    knobSlider.setColour(juce::Slider::trackColourId, Palette::faderFill);
    knobSlider.setTextColour(Palette::valueArc);
    knobSlider.onPressedChanged = [this](bool isDown) { setPressed(isDown); };
    knobSlider.onValueChange = [this] { edit(); };
    addAndMakeVisible(knobSlider);

    setConversions(0);
    refreshTexts();
}

ParameterKnob::~ParameterKnob() = default;

void ParameterKnob::configure(const KnobLayout& layout)
{
    knobSlider.setRange(layout.minimum, layout.maximum, layout.step);
    knobSlider.setInverted(layout.inverted);
    setComponentID(layout.componentId);
    setConversions(layout.paramId != 0 ? layout.paramId : ParamId::levelDisplay);
}

void ParameterKnob::setConversions(int paramId)
{
    if (paramId >= 1 && paramId <= parameterCount)
    {
        toDevice = [paramId](double x) { return toDeviceConversion(paramId, x); };
        toDisplay = [paramId](double d) { return toDisplayConversion(paramId, d); };
        return;
    }
    toDevice = [](double x) { return roundDevice(x, 0); };
    toDisplay = [](double d) { return d; };
}

juce::ValueTree ParameterKnob::node(int slot) const
{
    return nodeInSlot(nodes, slot);
}

void ParameterKnob::attach(const juce::ValueTree& newNode, int slot)
{
    if (!placeNode(nodes, newNode, slot))
        return;
    if (slot == activeSlot())
        refreshDisplay();
}

bool ParameterKnob::isHarmonyOn() const
{
    return isOn(childWithId(node(1).getParent(), harmonyParam));
}

bool ParameterKnob::isVocalTuneOn() const
{
    return isOn(childWithId(node(1).getParent(), vocalTuneParam));
}

int ParameterKnob::activeSlot() const
{
    if (getComponentID() != KnobId::sharedIntensity)
        return 1;
    // HARMONY before VOCAL TUNE, as the edit and the key buttons decide.
    if (isHarmonyOn())
        return 2;
    return isVocalTuneOn() ? 1 : 0;
}

void ParameterKnob::showValue(double value)
{
    knobSlider.setValue(knobSlider.isInverted() ? -value : value, juce::dontSendNotification);
}

void ParameterKnob::showLevel(double level)
{
    knobSlider.showLevel(knobSlider.isInverted() ? -level : level);
}

void ParameterKnob::refreshDisplay()
{
    const auto shown = node(activeSlot());
    if (!shown.isValid())
        return;
    double value = readDouble(shown, Prop::value, 0);
    if (getComponentID() == KnobId::voiceOverLevel && value == readDouble(shown, Prop::off, 0))
        value = voiceOverOffShown;
    if (shown.hasProperty(Prop::defa))
    {
        const double defa = readDouble(shown, Prop::defa, 0);
        knobSlider.setDoubleClickReturnValue(true, knobSlider.isInverted() ? -defa : defa,
                                             juce::ModifierKeys::altModifier);
    }
    showValue(value);
}

double ParameterKnob::getValue() const
{
    if (knobSlider.isAtLowestDisplayedEnd() && storesOffAtLowestEnd(getComponentID()))
        return readDouble(node(1), Prop::off, 0);
    const double v = knobSlider.getValue();
    return knobSlider.isInverted() ? -v : v;
}

void ParameterKnob::edit()
{
    if (nodes.isEmpty())
        return;
    const int slot = getComponentID() == KnobId::sharedIntensity && isHarmonyOn() ? 2 : 1;
    auto target = node(slot);
    if (!target.isValid())
        return;

    double v = getValue();
    const double previous = readDouble(target, Prop::value, 0);
    // The "off" a level knob stores at its lowest end is not a point of the grid: it is stored as it is.
    const bool storesOff = knobSlider.isAtLowestDisplayedEnd() && storesOffAtLowestEnd(getComponentID());
    if (!storesOff)
    {
        const double stepped = editStep(target, v, previous, pressed, knobSlider.getMaximum());
        if (stepped != v)
        {
            v = stepped;
            showValue(v);
        }
    }
    setNodeValue(target, v);
    queueForDevice(target, true, true);
    knobSlider.setTooltip({});
}

void ParameterKnob::mouseDown(const juce::MouseEvent&)
{
    pressed = true;
}

void ParameterKnob::mouseUp(const juce::MouseEvent&)
{
    pressed = false;
}

void ParameterKnob::mouseExit(const juce::MouseEvent&)
{
    pressed = false;
}

void ParameterKnob::setLabelOnTop(bool onTop)
{
    labelOnTop = onTop;
    nameLabel.setJustificationType(onTop ? juce::Justification::centredLeft : juce::Justification::centred);
    resized();
}

void ParameterKnob::setFractions(const Fractions& newFractions)
{
    layoutFractions = newFractions;
    resized();
}

void ParameterKnob::refreshTexts()
{
    const auto shownName = TRANS(name);
    updateLabel(nameLabel, shownName, scaledAppFont(12.0f));
    if (getTitle() != shownName)
    {
        setTitle(shownName);
        knobSlider.setTitle(shownName);
    }
}

void ParameterKnob::paint(juce::Graphics&)
{
    // Texts follow the language at the next repaint.
    refreshTexts();
}

void ParameterKnob::resized()
{
    const auto& f = layoutFractions;
    auto area = getLocalBounds();
    const int w = area.getWidth(), h = area.getHeight();
    const int labelH = juce::roundToInt((float) h * f.labelHeight);
    nameLabel.setBounds(labelOnTop ? area.removeFromTop(labelH) : area.removeFromBottom(labelH));
    refreshTexts();

    area.removeFromLeft(juce::roundToInt((float) w * f.sliderLeft));
    if (f.sliderHeight > 0.0f)
        area.setHeight(juce::jmin(area.getHeight(), juce::roundToInt((float) h * f.sliderHeight)));
    area.reduce(juce::roundToInt((float) w * f.shrinkX), juce::roundToInt((float) h * f.shrinkY));

    knobSlider.setTextBoxStyle(juce::Slider::TextBoxAbove, !knobSlider.isTextBoxEditable(),
                               juce::roundToInt((float) w * f.textBoxWidth),
                               juce::roundToInt((float) h * f.textBoxHeight));
    knobSlider.setBounds(area);
}
} // namespace NsStrata
