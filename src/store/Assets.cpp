#include "Assets.h"

namespace NsStrata
{
static juce::File& resourcesOverride()
{
    static juce::File folder;
    return folder;
}

void setResourcesFolderOverride(const juce::File& folder)
{
    resourcesOverride() = folder;
}

juce::File findResourcesFolderFrom(juce::File f)
{
    if (auto beside = f.getParentDirectory().getChildFile("resources"); beside.exists())
        return beside;
    for (int i = 0; i < 15; ++i)
    {
        if (f.getFileName() == "resources")
            break;
        f = f.getParentDirectory();
    }
    return f;
}

juce::File findResourcesFolder()
{
    if (resourcesOverride() != juce::File())
        return resourcesOverride();
    static const juce::File found =
        findResourcesFolderFrom(juce::File::getSpecialLocation(juce::File::currentExecutableFile));
    return found;
}

juce::File getAssetFile(const juce::String& relativePath, bool inAssets)
{
    const auto root = findResourcesFolder();
    return (inAssets ? root.getChildFile("Assets") : root).getChildFile(relativePath);
}

std::unique_ptr<juce::InputStream> openAsset(const juce::String& relativePath, bool inAssets)
{
    const auto file = getAssetFile(relativePath, inAssets);
    if (!file.existsAsFile())
        return nullptr;
    auto stream = file.createInputStream();
    if (stream == nullptr || stream->failedToOpen())
        return nullptr;
    return stream;
}

juce::String loadAssetText(const juce::String& relativePath, bool inAssets)
{
    if (auto stream = openAsset(relativePath, inAssets))
        return stream->readEntireStreamAsString();
    return {};
}
} // namespace NsStrata
