#pragma once
// The slider inside a parameter knob: drawn as a knob (rings, value arc, marks, pointer) or as a fader
// (track, fill, thumb picture), with its own value texts, hover text, level-display toggle and keyboard
// steps.
#include "FocusRing.h"
#include "ui/look/StrataLookAndFeel.h"

#include <functional>

namespace NsStrata
{
class KnobSlider : public juce::Slider
{
public:
    /** Style codes: the value arc of a knob starts at the top; faders fill from the middle. */
    static constexpr int arcFromTopStyle = 41;
    static bool fillsFromMiddle(int styleCode) { return styleCode >= 19 && styleCode <= 21; }

    /** Proportions of the knob drawing. */
    struct Shape
    {
        float ring = 0.12f;            // ring width, of the radius
        float pointerInset = 0.15f;    // gap between ring and pointer, of the radius
        float pointerLength = 0.28f;   // of the radius
        float arcShare = 0.83f;        // of a full turn
        float pointerThickness = 1.8f; // design pixels
    };

    struct KnobGeometry
    {
        juce::Point<float> centre;
        float radius = 0;
        float startAngle = 0, endAngle = 0, valueAngle = 0; // clockwise from 12 o'clock
        float proportion = 0;
    };

    struct FaderGeometry
    {
        bool vertical = true;
        juce::Rectangle<float> track, fill, thumb;
    };

    KnobSlider();
    ~KnobSlider() override;

    void setMinText(bool enabled, const juce::String& text);
    void setMaxText(bool enabled, const juce::String& text);
    /** A new step; the range stays. */
    void setInterval(double step);
    void setHideText(bool hide);
    /** The colour of the shown value text. */
    void setTextColour(juce::Colour colour);
    void setInverted(bool shouldInvert) { inverted = shouldInvert; }
    bool isInverted() const { return inverted; }
    /** A knob (rotary) or a fader, vertical or horizontal. */
    void setRotary(bool rotary, bool verticalFader = true);
    bool isRotary() const { return rotaryKnob; }
    void setStyleCode(int code);
    int getStyleCode() const { return styleCode; }
    void setMetering(bool on);
    bool isMetering() const { return metering; }
    void setSuffix(const juce::String& text) { suffix = text; }
    void setPointerColour(juce::Colour colour);
    Shape shape;

    /** The slider is at its lowest displayed end: its minimum, or its maximum when inverted. */
    bool isAtLowestDisplayedEnd() const;
    /** True while the value text is visible (always, or on hover and focus with the hide-text flag). */
    bool isValueTextShown() const;

    KnobGeometry knobGeometry() const;
    FaderGeometry faderGeometry() const;
    /** Where the knob or fader is drawn: below the text box. */
    juce::Rectangle<float> drawingArea() const;
    /** The thumb picture of this fader, or a null image when it is missing. */
    juce::Image thumbPicture() const;

    /** Told when a mouse button goes down on the slider (before the value moves) and when it comes up. */
    std::function<void(bool)> onPressedChanged;

    void mouseEnter(const juce::MouseEvent& e) override;
    void mouseExit(const juce::MouseEvent& e) override;
    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void mouseWheelMove(const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;
    bool keyPressed(const juce::KeyPress& key) override;
    void focusGained(FocusChangeType cause) override;
    void focusLost(FocusChangeType cause) override;
    void paint(juce::Graphics& g) override;
    void lookAndFeelChanged() override;
    void enablementChanged() override;
    double getValueFromText(const juce::String& text) override;
    juce::String getTextFromValue(double value) override;

    /** One step of the grid up (+1) or down (-1), through the normal value-change path. */
    void step(int direction);

    /** Shows a level the device reported: the slider takes it as its value, without notification. The
        framework repaints a slider whole when its value changes; a metering knob, whose level moves
        twenty times a second, repaints only what the level moves (ring and pointer). */
    void showLevel(double level);
    /** Where a knob's value is drawn: its ring and the pointer's sweep, at any value. */
    juce::Rectangle<int> valueBounds() const;

private:
    class Look;
    class RepaintFilter;

    void paintKnob(juce::Graphics& g);
    void paintFader(juce::Graphics& g);
    void updateTextVisibility();
    juce::Label* valueBox() const;
    juce::Slider::SliderLayout layout() const;

    juce::String minText{"-oo"}, maxText{"+oo"}, suffix{"dB"};
    bool minTextOn = false, maxTextOn = false, hideText = false, inverted = false;
    bool rotaryKnob = true, metering = true, hovered = false;
    bool showingLevel = false; // a level is being shown: the whole-slider repaint is held back
    int styleCode = 0;
    juce::Colour valueTextColour;
    juce::Colour pointerColour{0xffbbc3cc};
    FocusRing focusRing;
    double lastWheelTime = 0;
    std::unique_ptr<Look> look;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(KnobSlider)
};
} // namespace NsStrata
