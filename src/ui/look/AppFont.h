#pragma once
// The application font: the first font file of the resources' "font/" folder, or the system's sans-serif face
// when there is none. Every scaled text of the screen is drawn in it, so Chinese glyphs render everywhere.
#include <juce_graphics/juce_graphics.h>

#include <optional>

namespace NsStrata
{
/** The font file to use from a folder: "chinese.ttf", else the first *.ttf, else *.otf, else *.ttc (font
    collections; the first face is used), by name order. An invalid File when there is none. */
juce::File findFontFile(const juce::File& folder);

/** A font of height 12 made from a font file; nothing when the file is not a readable font. */
std::optional<juce::Font> fontFromFile(const juce::File& file);

/** The platform's default sans-serif face at height 12 (on Linux what fontconfig matches for "sans-serif",
    preferring a face that covers Chinese when one is installed). */
juce::Font systemSansSerifFont();

/** The application font built from a fonts folder (the file found there, else the system's sans-serif). */
juce::Font makeAppFont(const juce::File& fontFolder);

/** The application font, height 12; loaded once, on first use. */
const juce::Font& appFont();
/** The application font at a height in pixels. */
juce::Font appFont(float height);
/** The application font at a design height, scaled by the UI scale and rounded. */
juce::Font scaledAppFont(float designHeight);

/** Makes the application font's typeface the default sans-serif of the framework's default look and feel,
    so that message boxes and menus drawn in it show Chinese too. */
void useAppFontAsDefault();
} // namespace NsStrata
