#include "ScreenState.h"

#include <cmath>

namespace NsStrata
{
ScreenState& screenState()
{
    static ScreenState state;
    return state;
}

float uiScale()
{
    const auto s = screenState().uiScale;
    return std::isfinite(s) && s > 0.0f ? s : 1.0f;
}

void setUiScale(float scale)
{
    screenState().uiScale = scale;
}

int scaled(double designPixels)
{
    return juce::roundToInt(designPixels * uiScale());
}
} // namespace NsStrata
