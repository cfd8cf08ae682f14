#include "MappableButton.h"

#include "BoundNodes.h"
#include "model/StateTree.h"
#include "ui/look/Dialogs.h"
#include "ui/look/Language.h"
#include "ui/look/Palette.h"

namespace NsStrata
{
namespace
{
constexpr int noiseReductionButtonId = 8;
constexpr double threshold1 = -48, threshold2 = -18;
} // namespace

MappableButton::MappableButton(const juce::String& caption) : juce::TextButton(caption), displayName(caption)
{
    face.outlineThickness = 1.0f;
    face.activeOutlineThickness = 2.0f;
    face.outlineColour = Palette::outline;

    // The caption is drawn from the look's colours, the face from the button's: both get them.
    const std::pair<int, juce::Colour> colours[] = {{juce::TextButton::buttonColourId, Palette::button},
                                                    {juce::TextButton::buttonOnColourId, Palette::button},
                                                    {juce::TextButton::textColourOffId, Palette::text},
                                                    {juce::TextButton::textColourOnId, Palette::on}};
    for (const auto& [id, colour] : colours)
    {
        setColour(id, colour);
        face.setColour(id, colour);
    }
    setLookAndFeel(&face);
    setWantsKeyboardFocus(true);
    refreshText();
}

MappableButton::~MappableButton()
{
    setLookAndFeel(nullptr);
}

void MappableButton::setDisplayName(const juce::String& name)
{
    displayName = name;
    refreshText();
}

void MappableButton::refreshText()
{
    const auto shown = displayText(displayName);
    if (label != nullptr)
        label->setText(shown, juce::dontSendNotification);
    else
        setButtonText(shown);
    if (textAsTooltip)
        setTooltip(shown);
    // The accessible name is the caption a user reads, without its drawing prefixes.
    const auto caption = parseCaption(shown);
    setTitle(caption.raw ? caption.text : TRANS(caption.text));
}

void MappableButton::mouseEnter(const juce::MouseEvent& e)
{
    setMouseCursor(juce::MouseCursor::PointingHandCursor);
    juce::TextButton::mouseEnter(e);
}

void MappableButton::mouseExit(const juce::MouseEvent& e)
{
    setMouseCursor(juce::MouseCursor::NormalCursor);
    juce::TextButton::mouseExit(e);
}

void MappableButton::mouseDown(const juce::MouseEvent& e)
{
    if (takesNoiseReductionPress())
        return;
    juce::TextButton::mouseDown(e);
}

bool MappableButton::keyPressed(const juce::KeyPress& key)
{
    // From the keyboard too, the noise-reduction button opens its popup and never clicks.
    if ((key == juce::KeyPress::returnKey || key == juce::KeyPress::spaceKey) && isEnabled() &&
        takesNoiseReductionPress())
        return true;
    return juce::TextButton::keyPressed(key);
}

void MappableButton::focusGained(FocusChangeType cause)
{
    focusRing.focusGained(*this, cause);
}

void MappableButton::focusLost(FocusChangeType)
{
    focusRing.focusLost(*this);
}

void MappableButton::paintOverChildren(juce::Graphics& g)
{
    focusRing.draw(g, *this, getLocalBounds().toFloat());
}

MappableButton::NoiseSetting MappableButton::noiseSetting() const
{
    if (boundNodes.size() < 2)
        return {};
    return {readInt(boundNodes[0], Prop::value, 0), readDouble(boundNodes[1], Prop::value, 0)};
}

juce::PopupMenu MappableButton::noiseReductionMenu() const
{
    const auto now = noiseSetting();
    juce::PopupMenu menu;
    menu.addItem(noiseOff, TRANS("Off"), true, now.enabled == 0);
    menu.addItem(noiseReduction1, TRANS("Noise Reduction 1"), true,
                 now.enabled != 0 && now.threshold == threshold1);
    menu.addItem(noiseReduction2, TRANS("Noise Reduction 2"), true,
                 now.enabled != 0 && now.threshold == threshold2);
    return menu;
}

bool MappableButton::takesNoiseReductionPress()
{
    if (getComponentID().getIntValue() != noiseReductionButtonId)
        return false;
    juce::Component::SafePointer<MappableButton> safe(this);
    dialogs().showMenu(noiseReductionMenu(), *this, &popup,
                       [safe](int choice)
                       {
                           if (safe != nullptr && choice != 0)
                               safe->applyNoiseReductionChoice(choice);
                       });
    return true;
}

void MappableButton::applyNoiseReductionChoice(int choice)
{
    if (choice < noiseOff || choice > noiseReduction2)
        return;
    const auto before = noiseSetting();
    static const char* const captions[] = {"NOISE REDUCTION", "NOISE REDUCTION 1", "NOISE REDUCTION 2"};
    static const juce::Colour onColours[] = {juce::Colours::transparentBlack, Palette::noiseGreen,
                                             Palette::noiseRed};
    setColour(juce::TextButton::buttonOnColourId, onColours[choice - 1]);
    setDisplayName(captions[choice - 1]);

    NoiseSetting after = before;
    after.enabled = choice == noiseOff ? 0 : 1;
    if (choice == noiseReduction1)
        after.threshold = threshold1;
    else if (choice == noiseReduction2)
        after.threshold = threshold2;

    if (after.enabled != before.enabled || after.threshold != before.threshold)
    {
        if (!boundNodes.isEmpty())
        {
            setNodeValue(boundNodes[0], after.enabled);
            queueForDevice(boundNodes[0], true, false);
        }
        if (after.enabled == 1 && boundNodes.size() > 1)
        {
            setNodeValue(boundNodes[1], after.threshold);
            queueForDevice(boundNodes[1], true, false);
        }
    }
    setToggleState(after.enabled == 1, juce::dontSendNotification);
}
} // namespace NsStrata
