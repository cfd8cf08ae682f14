#pragma once
// Strata's drawing style for buttons, menus and tooltips: flat buttons with configurable corners, outline and
// highlight, captions in the scaled application font with prefixes for rotation and untranslated text.
#include <juce_gui_basics/juce_gui_basics.h>

namespace NsStrata
{
/** A caption after its prefixes: a leading "`" is dropped (and hides the other prefixes), up to three leading
    "@" turn it by a quarter each, then a leading "#" marks it raw (shown untranslated in the current font).
 */
struct Caption
{
    juce::String text;
    int quarterTurns = 0;
    bool raw = false;
};
Caption parseCaption(const juce::String& buttonText);

class StrataLookAndFeel : public juce::LookAndFeel_V4
{
public:
    StrataLookAndFeel();
    ~StrataLookAndFeel() override;

    bool fillActiveWithHighlight = false;
    float cornerSize = 4.0f;
    float outlineThickness = 1.0f;
    float activeOutlineThickness = 2.0f;
    juce::Colour outlineColour;
    juce::Colour highlightColour{0xff87ceeb};
    juce::Image buttonImage;

    void drawButtonBackground(juce::Graphics& g, juce::Button& button, const juce::Colour& backgroundColour,
                              bool highlighted, bool down) override;
    void drawButtonText(juce::Graphics& g, juce::TextButton& button, bool highlighted, bool down) override;

    juce::Font getPopupMenuFont() override;
    juce::Font getMenuBarFont(juce::MenuBarComponent& menuBar, int itemIndex,
                              const juce::String& itemText) override;

    void drawTooltip(juce::Graphics& g, const juce::String& text, int width, int height) override;
    juce::Rectangle<int> getTooltipBounds(const juce::String& tipText, juce::Point<int> screenPos,
                                          juce::Rectangle<int> parentArea) override;

    /** The caption font's scale and line count for a button's component id. */
    static float captionFontScale(const juce::Component& button);
    static int captionMaxLines(const juce::Component& button);
    /** Drawn as pressed, hovered or toggled on. */
    static bool isActive(const juce::Button& button, bool highlighted, bool down);
    /** The face colour before the fill choice: saturation by focus, alpha by enablement, then contrast by
        press or hover. */
    static juce::Colour faceColour(const juce::Button& button, juce::Colour background, bool highlighted,
                                   bool down);

private:
    juce::TextLayout tooltipLayout(const juce::String& text);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(StrataLookAndFeel)
};
} // namespace NsStrata
