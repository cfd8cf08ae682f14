#pragma once
// Pictures from the resources folder, decoded once and then served from the image cache.
#include <juce_graphics/juce_graphics.h>

namespace NsStrata
{
/** The picture at path below the resources folder (or its assets folder when inAssets); a null image when
    the file is missing or is not a picture. */
juce::Image loadAssetImage(const juce::String& path, bool inAssets);

/** The image-cache key of a picture: the hash of its path below the resources folder + "@juce_demo_assets".
 */
juce::int64 assetImageCacheKey(const juce::String& path, bool inAssets);
} // namespace NsStrata
