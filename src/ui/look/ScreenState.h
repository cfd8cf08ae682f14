#pragma once
// The process-wide screen values every scaled layout reads: the UI scale (current width / design width) and
// the page the tab container shows. The main screen sets them.
#include <juce_core/juce_core.h>

namespace NsStrata
{
struct ScreenState
{
    float uiScale = 1.0f;
    int currentPage = -1;

    void reset()
    {
        uiScale = 1.0f;
        currentPage = -1;
    }
};

ScreenState& screenState();

/** The UI scale; a scale that is not a positive finite number reads as 1. */
float uiScale();
void setUiScale(float scale);
/** A length given in design pixels, scaled and rounded to the nearest integer. */
int scaled(double designPixels);
} // namespace NsStrata
