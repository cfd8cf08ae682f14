#include "AssetImage.h"

#include "store/Assets.h"

namespace NsStrata
{
juce::int64 assetImageCacheKey(const juce::String& path, bool inAssets)
{
    // The assets folder lies inside the resources folder; keying on the path from there keeps a picture in
    // each folder apart when both carry the same name.
    const auto fromResources = inAssets ? "Assets/" + path : path;
    return (fromResources + "@juce_demo_assets").hashCode64();
}

juce::Image loadAssetImage(const juce::String& path, bool inAssets)
{
    const auto key = assetImageCacheKey(path, inAssets);
    if (auto cached = juce::ImageCache::getFromHashCode(key); cached.isValid())
        return cached;

    auto stream = openAsset(path, inAssets);
    if (stream == nullptr)
        return {};

    auto image = juce::ImageFileFormat::loadFrom(*stream);
    // A failed decode is not cached, so a picture that is fixed later still loads.
    if (image.isValid())
        juce::ImageCache::addImageToCache(image, key);
    return image;
}
} // namespace NsStrata
