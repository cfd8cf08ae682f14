#pragma once
// Where the main screen puts its parts, and what becomes of the window when it is resized: the screen keeps
// one scale (current width / design width) for everything it draws, snaps to the full usable height in the
// design proportion when dragged wider than the display, and returns to its last size when dragged taller.
#include <juce_graphics/juce_graphics.h>

namespace NsStrata
{
/** The size at which every layout constant and font size of the screen is given. */
constexpr int screenDesignWidth = 1069;
constexpr int screenDesignHeight = 691;

/** The size a model picture takes on the screen at scale 1. The pictures are rendered at twice their design
    size, so that they stay sharp at scale 2: the design size is half the pixel size. */
juce::Rectangle<int> pictureDesignSize(const juce::Image& picture);

struct MainScreenLayoutInput
{
    juce::Rectangle<int> component;   // the screen's own size (its local bounds)
    juce::Rectangle<int> userArea;    // the primary display's usable area, in screen coordinates
    juce::Rectangle<int> currentSize; // the size the screen was last laid out at
    juce::Rectangle<int> pictureSize; // the Brio Max picture's design size (the same for every model)
    float scale = 1.0f;               // the UI scale now
};

struct MainScreenLayout
{
    juce::Rectangle<int> area;        // what is laid out, from (0, 0)
    juce::Rectangle<int> currentSize; // the new current size
    float scale = 1.0f;               // the new UI scale
    bool resizeWindow = false;        // the window must take currentSize
    bool centreWindow = false;        // ... and be centred on centre afterwards
    juce::Point<int> centre;          // the user area's centre

    juce::Rectangle<int> menuBar, pictureRow, logo, modelPicture, modelChooser, pages;
};

/** The layout for a screen of in.component's size:
    - wider than the display (width at least its usable width - 4): the full usable height (user area height
      - 32) in the design proportion, the window resized and centred;
    - taller than that height (height at least usable height - 2): back to the current size and scale;
    - otherwise: any size, the scale following the width.
    A screen with no area yet keeps the current size and scale. */
MainScreenLayout layoutMainScreen(const MainScreenLayoutInput& in);
} // namespace NsStrata
