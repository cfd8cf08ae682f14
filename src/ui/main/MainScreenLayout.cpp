#include "MainScreenLayout.h"

#include <cmath>

namespace NsStrata
{
juce::Rectangle<int> pictureDesignSize(const juce::Image& picture)
{
    return {picture.getWidth() / 2, picture.getHeight() / 2};
}

MainScreenLayout layoutMainScreen(const MainScreenLayoutInput& in)
{
    MainScreenLayout out;
    const auto& user = in.userArea;
    const int maxW = user.getWidth() - 2;
    const int maxH = user.getHeight() - 32;
    out.centre = {user.getX() + user.getWidth() / 2, user.getY() + user.getHeight() / 2};
    out.currentSize = in.currentSize;
    out.scale = in.scale;

    const int w = in.component.getWidth(), h = in.component.getHeight();
    if (w <= 0 || h <= 0)
    {
        out.area = {w, h};
    }
    else if (w >= maxW - 2 && maxH > 0)
    {
        out.scale = (float) maxH / (float) screenDesignHeight;
        out.area = {juce::roundToInt(screenDesignWidth * out.scale), maxH};
        out.currentSize = out.area;
        out.centreWindow = true;
    }
    else if (h < maxH - 2)
    {
        out.area = {w, h};
        out.currentSize = out.area;
        out.scale = (float) w / (float) screenDesignWidth;
    }
    else
    {
        out.area = in.currentSize.withZeroOrigin();
    }
    out.resizeWindow = out.centreWindow ||
                       (w > 0 && h > 0 && out.currentSize.withZeroOrigin() != in.component.withZeroOrigin());

    const float scale = out.scale;
    const auto s = [scale](int designPixels) { return juce::roundToInt((float) designPixels * scale); };
    auto rest = out.area;
    out.menuBar = rest.removeFromTop(juce::jmin(rest.getHeight(), s(24)));
    out.pictureRow = rest.removeFromTop(juce::jmin(rest.getHeight(), s(30)));
    const auto& row = out.pictureRow;

    // The picture is centred under the menu bar at its design size times the scale, and may reach below the
    // row; the logo takes what is left of the row before it.
    const int pictureWidth = juce::roundToInt((float) in.pictureSize.getWidth() * scale);
    const int left = juce::jlimit(0, juce::jmax(0, row.getWidth()),
                                  (int) ((float) (out.currentSize.getWidth() - pictureWidth) * 0.5f));
    out.logo = {row.getX(), row.getY(), juce::jmin(left, s(100)), juce::jmin(row.getHeight(), s(28))};
    out.modelPicture = juce::Rectangle<float>((float) (rest.getX() + left), (float) row.getY(),
                                              (float) in.pictureSize.getWidth() * scale,
                                              (float) in.pictureSize.getHeight() * scale)
                           .getSmallestIntegerContainer();
    auto right = row.withTrimmedLeft(left);
    out.modelChooser = right.removeFromRight(right.getWidth() / 9).reduced(s(3));
    out.pages = rest;
    return out;
}
} // namespace NsStrata
