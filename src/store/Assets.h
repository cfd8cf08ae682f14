#pragma once
// Read-only access to the resources shipped beside the program (pictures, preset, translations, jingles).
#include <juce_core/juce_core.h>

#include <memory>

namespace NsStrata
{
/** The "resources" folder beside the executable, or the nearest one above it (at most 15 levels). */
juce::File findResourcesFolder();
/** The same search, starting from a given executable file. */
juce::File findResourcesFolderFrom(juce::File executable);
/** Overrides the folder findResourcesFolder answers (tests, the CLI's --resources); empty restores it. */
void setResourcesFolderOverride(const juce::File& folder);

juce::File getAssetFile(const juce::String& relativePath, bool inAssets);
std::unique_ptr<juce::InputStream> openAsset(const juce::String& relativePath, bool inAssets);
/** The whole text of an asset; empty when it cannot be read. */
juce::String loadAssetText(const juce::String& relativePath, bool inAssets);
} // namespace NsStrata
