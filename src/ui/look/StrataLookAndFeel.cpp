#include "StrataLookAndFeel.h"

#include "AppFont.h"
#include "Palette.h"
#include "ScreenState.h"

namespace NsStrata
{
Caption parseCaption(const juce::String& buttonText)
{
    Caption caption{buttonText};
    auto& text = caption.text;
    if (text.length() < 2)
        return caption;
    if (text.startsWithChar('`'))
    {
        text = text.substring(1);
        return caption;
    }
    while (caption.quarterTurns < 3 && text.startsWithChar('@'))
    {
        text = text.substring(1);
        ++caption.quarterTurns;
    }
    if (text.length() > 1 && text.startsWithChar('#'))
    {
        text = text.substring(1);
        caption.raw = true;
    }
    return caption;
}

StrataLookAndFeel::StrataLookAndFeel()
{
    outlineColour = findColour(juce::ComboBox::outlineColourId);
    setColour(juce::TreeView::selectedItemBackgroundColourId, juce::Colours::white.withAlpha(0.6f));
    // The tooltip is light: its text and outline must be dark to be read.
    setColour(juce::TooltipWindow::textColourId, Palette::outline);
    setColour(juce::TooltipWindow::outlineColourId, Palette::outline);
    if (auto typeface = appFont().getTypefacePtr())
        setDefaultSansSerifTypeface(typeface);
}

StrataLookAndFeel::~StrataLookAndFeel() = default;

bool StrataLookAndFeel::isActive(const juce::Button& button, bool highlighted, bool down)
{
    return down || highlighted || button.getToggleState();
}

juce::Colour StrataLookAndFeel::faceColour(const juce::Button& button, juce::Colour background,
                                           bool highlighted, bool down)
{
    auto base = background.withMultipliedSaturation(button.hasKeyboardFocus(true) ? 1.3f : 0.9f)
                    .withMultipliedAlpha(button.isEnabled() ? 1.0f : 0.5f);
    if (down)
        base = base.contrasting(0.2f);
    else if (highlighted)
        base = base.contrasting(0.05f);
    return base;
}

void StrataLookAndFeel::drawButtonBackground(juce::Graphics& g, juce::Button& button,
                                             const juce::Colour& backgroundColour, bool highlighted,
                                             bool down)
{
    const bool active = isActive(button, highlighted, down);
    const auto bounds = button.getLocalBounds().toFloat().reduced(
        (active ? activeOutlineThickness : outlineThickness) * 0.5f);
    const auto base = faceColour(button, backgroundColour, highlighted, down);
    const auto fill = fillActiveWithHighlight && active ? highlightColour : base;

    const bool left = button.isConnectedOnLeft(), right = button.isConnectedOnRight();
    const bool top = button.isConnectedOnTop(), bottom = button.isConnectedOnBottom();
    if (left || right || top || bottom)
    {
        juce::Path path;
        path.addRoundedRectangle(bounds.getX(), bounds.getY(), bounds.getWidth(), bounds.getHeight(),
                                 cornerSize, cornerSize, !(left || top), !(right || top), !(left || bottom),
                                 !(right || bottom));
        g.setColour(fill);
        g.fillPath(path);
        g.setColour(active ? highlightColour : outlineColour);
        g.strokePath(path, juce::PathStrokeType(active ? activeOutlineThickness : outlineThickness));
    }
    else
    {
        g.setColour(fill);
        g.fillRoundedRectangle(bounds, cornerSize);
        if (active)
            g.setColour(fillActiveWithHighlight ? base : highlightColour);
        else
            g.setColour(outlineColour);
        g.drawRoundedRectangle(bounds, cornerSize, active ? activeOutlineThickness : outlineThickness);
    }

    if (buttonImage.isValid())
    {
        const auto innerW = juce::jmax(0.0f, (float) button.getWidth() - 2.0f * outlineThickness);
        const auto innerH = juce::jmax(0.0f, (float) button.getHeight() - 2.0f * outlineThickness);
        const int size = juce::roundToInt(innerW * 0.52f);
        const juce::Rectangle<int> square(juce::roundToInt((innerW - (float) size) * 0.5f),
                                          juce::roundToInt((innerH - (float) size) * 0.5f), size, size);
        g.drawImageWithin(buttonImage, square.getX(), square.getY(), square.getWidth(), square.getHeight(),
                          juce::RectanglePlacement::centred);
    }
}

float StrataLookAndFeel::captionFontScale(const juce::Component& button)
{
    switch (button.getComponentID().getIntValue())
    {
    case 8:
    case 9:
    case 10:
    case 42:
        return 0.85f;
    default:
        return 1.0f;
    }
}

int StrataLookAndFeel::captionMaxLines(const juce::Component& button)
{
    return button.getComponentID().getIntValue() == 8 ? 3 : 2;
}

void StrataLookAndFeel::drawButtonText(juce::Graphics& g, juce::TextButton& button, bool highlighted,
                                       bool down)
{
    auto caption = parseCaption(button.getButtonText());
    const float h = g.getCurrentFont().getHeight() * captionFontScale(button);
    if (!caption.raw)
    {
        g.setFont(appFont((float) juce::roundToInt(uiScale() * h)));
        caption.text = TRANS(caption.text);
    }
    // A disabled button's caption fades with its face, so a key that cannot be pressed does not look ready.
    g.setColour(findColour(highlighted || down ? juce::TextButton::textColourOnId
                                               : juce::TextButton::textColourOffId)
                    .withMultipliedAlpha(button.isEnabled() ? 1.0f : 0.5f));

    const auto area = button.getLocalBounds();
    if (caption.quarterTurns != 0)
        g.addTransform(
            juce::AffineTransform::rotation(juce::MathConstants<float>::halfPi * (float) caption.quarterTurns,
                                            area.toFloat().getCentreX(), area.toFloat().getCentreY()));
    g.drawFittedText(caption.text, area, juce::Justification::centred, captionMaxLines(button), 1.0f);
}

juce::Font StrataLookAndFeel::getPopupMenuFont()
{
    return scaledAppFont(18.0f);
}

juce::Font StrataLookAndFeel::getMenuBarFont(juce::MenuBarComponent&, int, const juce::String&)
{
    return scaledAppFont(16.0f);
}

juce::TextLayout StrataLookAndFeel::tooltipLayout(const juce::String& text)
{
    juce::AttributedString string;
    string.setJustification(juce::Justification::centred);
    string.append(TRANS(text), scaledAppFont(13.0f), findColour(juce::TooltipWindow::textColourId));
    juce::TextLayout layout;
    layout.createLayoutWithBalancedLineLengths(string, 400.0f);
    return layout;
}

juce::Rectangle<int> StrataLookAndFeel::getTooltipBounds(const juce::String& tipText,
                                                         juce::Point<int> screenPos,
                                                         juce::Rectangle<int> parentArea)
{
    // Sized for the scaled text it shows, so a larger scale never cuts the text off.
    const auto layout = tooltipLayout(tipText);
    const int w = (int) std::ceil(layout.getWidth()) + scaled(14);
    const int h = (int) std::ceil(layout.getHeight()) + scaled(6);
    return juce::Rectangle<int>(
               screenPos.x > parentArea.getCentreX() - w / 2 ? screenPos.x - (w + 12) : screenPos.x + 24,
               screenPos.y > parentArea.getCentreY() - h / 2 ? screenPos.y - (h + 6) : screenPos.y + 6, w, h)
        .constrainedWithin(parentArea);
}

void StrataLookAndFeel::drawTooltip(juce::Graphics& g, const juce::String& text, int width, int height)
{
    const juce::Rectangle<int> area(width, height);
    // The tooltip window is opaque: a dark base keeps the light veil the same on every system.
    g.setColour(Palette::graphite);
    g.fillRect(area);
    g.setColour(juce::Colours::white.withAlpha(0.6f));
    g.fillRect(area);
    g.setColour(findColour(juce::TooltipWindow::outlineColourId));
    g.drawRect(area, 1);
    tooltipLayout(text).draw(g, area.toFloat());
}
} // namespace NsStrata
