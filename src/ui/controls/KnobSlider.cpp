#include "KnobSlider.h"

#include "ui/AssetImage.h"
#include "ui/look/AppFont.h"
#include "ui/look/Palette.h"
#include "ui/look/ScreenState.h"

#include <cmath>

namespace NsStrata
{
namespace
{
constexpr float pi = juce::MathConstants<float>::pi;
constexpr float twoPi = juce::MathConstants<float>::twoPi;
constexpr double textTolerance = 0.0001;
// Marks closer than this (design pixels along the ring) would run into one another.
constexpr float minMarkSpacing = 5.0f;
} // namespace

// The slider's own look: places the text box and the region the mouse maps onto, and sets the value text in
// the application font.
class KnobSlider::Look : public StrataLookAndFeel
{
public:
    juce::Slider::SliderLayout getSliderLayout(juce::Slider& slider) override
    {
        if (auto* knob = dynamic_cast<KnobSlider*>(&slider))
            return knob->layout();
        return StrataLookAndFeel::getSliderLayout(slider);
    }

    juce::Font getLabelFont(juce::Label& label) override
    {
        const auto height = juce::jmin((float) scaled(13), (float) label.getHeight() * 0.9f);
        return appFont(juce::jmax(1.0f, height));
    }

    juce::Label* createSliderTextBox(juce::Slider& slider) override
    {
        auto* box = StrataLookAndFeel::createSliderTextBox(slider);
        box->setMinimumHorizontalScale(0.7f);
        box->setBorderSize({});
        return box;
    }
};

/** Paints the slider as the framework would, and holds back the whole-slider repaint while a level is
    shown, so that showLevel can repaint only the value's bounds. */
class KnobSlider::RepaintFilter : public juce::CachedComponentImage
{
public:
    explicit RepaintFilter(KnobSlider& s) : slider(s) {}

    void paint(juce::Graphics& g) override { slider.paintEntireComponent(g, false); }
    bool invalidateAll() override { return !slider.showingLevel; }
    bool invalidate(const juce::Rectangle<int>&) override { return true; }
    void releaseResources() override {}

private:
    KnobSlider& slider;
};

KnobSlider::KnobSlider() : look(std::make_unique<Look>())
{
    setCachedComponentImage(new RepaintFilter(*this));
    setLookAndFeel(look.get());
    setSliderStyle(juce::Slider::RotaryVerticalDrag);
    setRange(0.0, 1.0, 1.0);
    setRotaryParameters(twoPi - shape.arcShare * pi, twoPi + shape.arcShare * pi, true);
    setDoubleClickReturnValue(true, 0.0, juce::ModifierKeys::altModifier);
    setWantsKeyboardFocus(true);
    valueTextColour = findColour(juce::Slider::textBoxTextColourId);
}

KnobSlider::~KnobSlider()
{
    setLookAndFeel(nullptr);
}

void KnobSlider::setMinText(bool enabled, const juce::String& text)
{
    minTextOn = enabled;
    minText = text;
    updateText();
}

void KnobSlider::setMaxText(bool enabled, const juce::String& text)
{
    maxTextOn = enabled;
    maxText = text;
    updateText();
}

void KnobSlider::setInterval(double step)
{
    setRange(getMinimum(), getMaximum(), step);
}

void KnobSlider::setHideText(bool hide)
{
    hideText = hide;
    updateTextVisibility();
}

void KnobSlider::setTextColour(juce::Colour colour)
{
    valueTextColour = colour;
    updateTextVisibility();
}

void KnobSlider::setRotary(bool rotary, bool verticalFader)
{
    rotaryKnob = rotary;
    setSliderStyle(rotary ? juce::Slider::RotaryVerticalDrag
                          : (verticalFader ? juce::Slider::LinearVertical : juce::Slider::LinearHorizontal));
}

void KnobSlider::setStyleCode(int code)
{
    styleCode = code;
    repaint();
}

void KnobSlider::setMetering(bool on)
{
    metering = on;
    repaint();
}

void KnobSlider::showLevel(double level)
{
    if (!rotaryKnob || !metering)
    {
        setValue(level, juce::dontSendNotification);
        return;
    }
    const double before = getValue();
    {
        const juce::ScopedValueSetter<bool> onlyTheValue(showingLevel, true);
        setValue(level, juce::dontSendNotification);
    }
    if (getValue() != before)
        repaint(valueBounds());
}

juce::Rectangle<int> KnobSlider::valueBounds() const
{
    if (!rotaryKnob)
        return getLocalBounds();
    const auto k = knobGeometry();
    const float r = k.radius;
    // The ring from its outer edge to the pointer's inner end, over the knob's whole travel.
    const float innermost = juce::jmax(0.0f, 1.0f - shape.ring - shape.pointerInset - shape.pointerLength);
    juce::Path sweep;
    sweep.addPieSegment({k.centre.x - r, k.centre.y - r, 2 * r, 2 * r}, k.startAngle, k.endAngle, innermost);
    const float margin = shape.pointerThickness * uiScale() + 2.0f;
    return sweep.getBounds().expanded(margin).getSmallestIntegerContainer().getIntersection(getLocalBounds());
}

void KnobSlider::setPointerColour(juce::Colour colour)
{
    pointerColour = colour;
    repaint();
}

bool KnobSlider::isAtLowestDisplayedEnd() const
{
    return inverted ? getValue() >= getMaximum() : getValue() <= getMinimum();
}

bool KnobSlider::isValueTextShown() const
{
    return !hideText || hovered || isMouseButtonDown() || focusRing.isShown(*this);
}

juce::Label* KnobSlider::valueBox() const
{
    for (auto* child : getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child))
            return label;
    return nullptr;
}

void KnobSlider::updateTextVisibility()
{
    const auto colour = isValueTextShown() ? valueTextColour : juce::Colours::transparentBlack;
    if (auto* box = valueBox())
    {
        box->setColour(juce::Label::textColourId, colour);
        box->setColour(juce::TextEditor::textColourId, valueTextColour);
    }
}

void KnobSlider::lookAndFeelChanged()
{
    // The slider makes a new text box here; it takes the current text colour.
    juce::Slider::lookAndFeelChanged();
    updateTextVisibility();
}

void KnobSlider::enablementChanged()
{
    juce::Slider::enablementChanged();
    repaint();
}

juce::Rectangle<float> KnobSlider::drawingArea() const
{
    auto area = getLocalBounds();
    if (getTextBoxPosition() == juce::Slider::TextBoxAbove)
        area.removeFromTop(juce::jmin(getTextBoxHeight(), area.getHeight()));
    return area.toFloat();
}

juce::Slider::SliderLayout KnobSlider::layout() const
{
    juce::Slider::SliderLayout result;
    const auto bounds = getLocalBounds();
    if (getTextBoxPosition() != juce::Slider::NoTextBox)
    {
        const int w = juce::jmin(getTextBoxWidth(), bounds.getWidth());
        const int h = juce::jmin(getTextBoxHeight(), bounds.getHeight());
        result.textBoxBounds = {(bounds.getWidth() - w) / 2, 0, w, h};
    }
    if (rotaryKnob)
    {
        result.sliderBounds = drawingArea().toNearestInt();
        return result;
    }
    // The mouse maps onto the thumb's travel, so the thumb follows the pointer exactly.
    const auto fader = faderGeometry();
    const auto area = drawingArea();
    if (fader.vertical)
        result.sliderBounds =
            juce::Rectangle<float>(area.getX(), fader.track.getY() + fader.thumb.getHeight() * 0.5f,
                                   area.getWidth(), fader.track.getHeight() - fader.thumb.getHeight())
                .toNearestInt();
    else
        result.sliderBounds =
            juce::Rectangle<float>(fader.track.getX() + fader.thumb.getWidth() * 0.5f, area.getY(),
                                   fader.track.getWidth() - fader.thumb.getWidth(), area.getHeight())
                .toNearestInt();
    return result;
}

static float proportionOf(const juce::Slider& slider)
{
    const double span = std::abs(slider.getMaximum() - slider.getMinimum());
    if (span <= 0)
        return 0.0f;
    return (float) juce::jlimit(0.0, 1.0, (slider.getValue() - slider.getMinimum()) / span);
}

KnobSlider::KnobGeometry KnobSlider::knobGeometry() const
{
    KnobGeometry k;
    const auto area = drawingArea();
    k.centre = area.getCentre();
    k.radius = juce::jmin(area.getWidth(), area.getHeight()) * 0.5f * 0.62f;
    const auto rotary = getRotaryParameters();
    k.startAngle = rotary.startAngleRadians;
    k.endAngle = rotary.endAngleRadians;
    k.proportion = proportionOf(*this);
    k.valueAngle = k.startAngle + k.proportion * (k.endAngle - k.startAngle);
    return k;
}

juce::Image KnobSlider::thumbPicture() const
{
    const bool vertical = getSliderStyle() != juce::Slider::LinearHorizontal;
    return loadAssetImage(vertical ? "ui/fader/fader.jpg" : "ui/fader/faderHor.jpg", false);
}

KnobSlider::FaderGeometry KnobSlider::faderGeometry() const
{
    FaderGeometry f;
    f.vertical = getSliderStyle() != juce::Slider::LinearHorizontal;
    const auto area = drawingArea();
    const auto picture = thumbPicture();
    const float t = proportionOf(*this);
    const bool middle = fillsFromMiddle(styleCode);

    if (f.vertical)
    {
        const float trackW = area.getWidth() * 0.07f, trackLen = area.getHeight() * 0.7f;
        f.track = {area.getCentreX() - trackW * 0.5f, area.getY() + area.getHeight() * 0.15f, trackW,
                   trackLen};
        const float thumbLen = trackLen * 0.2f;
        const float aspect =
            picture.isValid() ? (float) picture.getWidth() / (float) picture.getHeight() : 1.7f;
        const float thumbW = juce::jmin(thumbLen * aspect, area.getWidth() * 0.8f);
        const float pos = f.track.getBottom() - thumbLen * 0.5f - t * (trackLen - thumbLen);
        f.thumb = juce::Rectangle<float>(thumbW, thumbLen).withCentre({area.getCentreX(), pos});
        const float from = middle ? f.track.getCentreY() : f.track.getBottom();
        f.fill = {f.track.getX(), juce::jmin(from, pos), trackW, std::abs(from - pos)};
    }
    else
    {
        const float trackLen = area.getWidth() * 0.83f, trackH = area.getHeight() * 0.084f;
        f.track = {area.getX() + area.getWidth() * 0.07f, area.getCentreY() - trackH * 0.5f, trackLen,
                   trackH};
        const float thumbLen = trackLen * 0.2f;
        const float aspect =
            picture.isValid() ? (float) picture.getHeight() / (float) picture.getWidth() : 0.6f;
        const float thumbH = juce::jmin(thumbLen * aspect, area.getHeight() * 0.9f);
        const float pos = f.track.getX() + thumbLen * 0.5f + t * (trackLen - thumbLen);
        f.thumb = juce::Rectangle<float>(thumbLen, thumbH).withCentre({pos, area.getCentreY()});
        const float from = middle ? f.track.getCentreX() : f.track.getX();
        f.fill = {juce::jmin(from, pos), f.track.getY(), std::abs(pos - from), trackH};
    }
    return f;
}

void KnobSlider::paint(juce::Graphics& g)
{
    // A disabled control is drawn whole at half alpha, as if seen through a veil.
    const bool disabled = !isEnabled();
    if (disabled)
        g.beginTransparencyLayer(0.5f);
    if (rotaryKnob)
        paintKnob(g);
    else
        paintFader(g);
    if (disabled)
        g.endTransparencyLayer();
    focusRing.draw(g, *this, drawingArea());
}

void KnobSlider::paintKnob(juce::Graphics& g)
{
    const auto k = knobGeometry();
    if (k.radius <= 1.0f)
        return;
    const auto outline = findColour(juce::Slider::rotarySliderOutlineColourId);
    const auto fill = findColour(juce::Slider::rotarySliderFillColourId);
    const float r = k.radius, inner = 1.0f - shape.ring;
    const juce::Rectangle<float> box(k.centre.x - r, k.centre.y - r, 2 * r, 2 * r);

    juce::Path ring;
    ring.addPieSegment(box, k.startAngle, k.endAngle, inner);
    g.setColour(outline);
    g.fillPath(ring);

    const float from = styleCode == arcFromTopStyle ? twoPi : k.startAngle;
    if (std::abs(k.valueAngle - from) > 0.001f)
    {
        juce::Path value;
        value.addPieSegment(box, juce::jmin(from, k.valueAngle), juce::jmax(from, k.valueAngle), inner);
        g.setColour(fill);
        g.fillPath(value);

        if (metering && k.proportion > 0.0f)
        {
            // Short marks across the value ring, as on a segmented meter.
            const float span = k.endAngle - k.startAngle;
            const float midRadius = r * (1.0f - shape.ring * 0.5f);
            const int wanted = juce::roundToInt((float) getWidth() * 0.01f * 200.0f * uiScale());
            const int fitting = (int) (span * midRadius / (minMarkSpacing * uiScale()));
            const int count = juce::jmin(wanted, fitting);
            juce::Path marks;
            const float lo = juce::jmin(from, k.valueAngle), hi = juce::jmax(from, k.valueAngle);
            for (int i = 1; i < count; ++i)
            {
                const float a = k.startAngle + span * (float) i / (float) count;
                if (a <= lo || a >= hi)
                    continue;
                const auto dir = juce::Point<float>(std::sin(a), -std::cos(a));
                marks.startNewSubPath(k.centre + dir * (r * inner));
                marks.lineTo(k.centre + dir * r);
            }
            g.setColour(outline);
            g.strokePath(marks, juce::PathStrokeType(juce::jmax(1.0f, 0.8f * uiScale())));
        }
    }

    const auto dir = juce::Point<float>(std::sin(k.valueAngle), -std::cos(k.valueAngle));
    const float outer = r * (inner - shape.pointerInset);
    const float innerEnd = r * (inner - shape.pointerInset - shape.pointerLength);
    g.setColour(pointerColour);
    g.drawLine(juce::Line<float>(k.centre + dir * outer, k.centre + dir * innerEnd),
               shape.pointerThickness * uiScale());
}

void KnobSlider::paintFader(juce::Graphics& g)
{
    const auto f = faderGeometry();
    const float corner = juce::jmin(f.track.getWidth(), f.track.getHeight()) * 0.5f;
    g.setColour(findColour(juce::Slider::backgroundColourId));
    g.fillRoundedRectangle(f.track, corner);
    g.setColour(findColour(juce::Slider::trackColourId));
    g.fillRoundedRectangle(f.fill, corner);

    if (const auto picture = thumbPicture(); picture.isValid())
    {
        g.drawImage(picture, f.thumb, juce::RectanglePlacement::stretchToFit);
        return;
    }
    // No picture beside the program: a plain fader cap with a centre line.
    const float capCorner = juce::jmin(f.thumb.getWidth(), f.thumb.getHeight()) * 0.2f;
    g.setColour(juce::Colour(0xff3c3f43));
    g.fillRoundedRectangle(f.thumb, capCorner);
    g.setColour(Palette::outline);
    g.drawRoundedRectangle(f.thumb.reduced(0.5f), capCorner, 1.0f);
    g.setColour(Palette::text);
    const float line = juce::jmax(1.0f, uiScale());
    if (f.vertical)
        g.fillRect(f.thumb.withSizeKeepingCentre(f.thumb.getWidth() * 0.8f, line));
    else
        g.fillRect(f.thumb.withSizeKeepingCentre(line, f.thumb.getHeight() * 0.8f));
}

void KnobSlider::mouseEnter(const juce::MouseEvent& e)
{
    hovered = true;
    juce::Slider::mouseEnter(e);
    updateTextVisibility();
}

void KnobSlider::mouseExit(const juce::MouseEvent& e)
{
    hovered = false;
    juce::Slider::mouseExit(e);
    updateTextVisibility();
    if (onPressedChanged)
        onPressedChanged(false);
}

void KnobSlider::mouseDown(const juce::MouseEvent& e)
{
    // The owner must know of the press before the slider moves the value.
    if (onPressedChanged)
        onPressedChanged(true);
    if (e.mods.isRightButtonDown() && e.mods.isCtrlDown() && getParentComponent() != nullptr &&
        getParentComponent()->getComponentID() == "11")
        setMetering(!metering);
    juce::Slider::mouseDown(e);
}

void KnobSlider::mouseUp(const juce::MouseEvent& e)
{
    juce::Slider::mouseUp(e);
    if (onPressedChanged)
        onPressedChanged(false);
}

void KnobSlider::step(int direction)
{
    if (direction == 0 || !isEnabled())
        return;
    const double interval = getInterval() > 0 ? getInterval() : (getMaximum() - getMinimum()) / 100.0;
    setValue(getValue() + (direction > 0 ? interval : -interval), juce::sendNotificationSync);
}

void KnobSlider::mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel)
{
    if (!isEnabled() || e.mods.isAnyMouseButtonDown())
    {
        juce::Component::mouseWheelMove(e, wheel);
        return;
    }
    // The system may deliver one wheel event twice.
    const double time = (double) e.eventTime.toMilliseconds();
    if (time != 0 && time == lastWheelTime)
        return;
    lastWheelTime = time;
    float delta = std::abs(wheel.deltaX) > std::abs(wheel.deltaY) ? -wheel.deltaX : wheel.deltaY;
    if (wheel.isReversed)
        delta = -delta;
    if (delta != 0.0f)
        step(delta > 0.0f ? 1 : -1);
}

bool KnobSlider::keyPressed(const juce::KeyPress& key)
{
    if (key.getModifiers().isAnyModifierKeyDown())
        return false;
    const int code = key.getKeyCode();
    if (code == juce::KeyPress::upKey || code == juce::KeyPress::rightKey ||
        code == juce::KeyPress::pageUpKey)
    {
        step(1);
        return true;
    }
    if (code == juce::KeyPress::downKey || code == juce::KeyPress::leftKey ||
        code == juce::KeyPress::pageDownKey)
    {
        step(-1);
        return true;
    }
    return juce::Slider::keyPressed(key);
}

void KnobSlider::focusGained(FocusChangeType cause)
{
    focusRing.focusGained(*this, cause);
    updateTextVisibility();
}

void KnobSlider::focusLost(FocusChangeType)
{
    focusRing.focusLost(*this);
    updateTextVisibility();
}

juce::String KnobSlider::getTextFromValue(double value)
{
    if (minTextOn && std::abs(value - getMinimum()) < textTolerance)
        return minText;
    if (maxTextOn && std::abs(value - getMaximum()) < textTolerance)
        return maxText;
    const double interval = getInterval();
    const int decimals = interval > 0 ? juce::jmax(0, -juce::roundToInt(std::log10(interval))) : 0;
    double shown = inverted ? -value : value;
    // No "-0": a value that rounds to zero shows as zero.
    if (std::abs(shown) < 0.5 * std::pow(10.0, -decimals))
        shown = 0.0;
    return juce::String::formatted("%.*f ", decimals, shown) + suffix;
}

double KnobSlider::getValueFromText(const juce::String& text)
{
    const auto trimmed = text.trim();
    // The end texts read back as the ends they stand for.
    if (minTextOn && trimmed == minText)
        return getMinimum();
    if (maxTextOn && trimmed == maxText)
        return getMaximum();
    const double number = trimmed.upToFirstOccurrenceOf(" ", false, false).getDoubleValue();
    return inverted ? -number : number;
}
} // namespace NsStrata
