// The resources folder is found beside the program or above it, and assets are read from it or its
// assets folder; what cannot be read gives nothing rather than an error.
#include "store/Assets.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>
#include <optional>

using namespace NsStrata;

namespace
{
struct ScopedResourcesOverride
{
    explicit ScopedResourcesOverride(const juce::File& folder) { setResourcesFolderOverride(folder); }
    ~ScopedResourcesOverride() { setResourcesFolderOverride({}); }
};
} // namespace

TEST(Assets, TheResourcesFolderIsFoundBesideTheProgramOrUpToFifteenLevelsAbove)
{
    const auto root = StrataTest::freshFolder("find");
    root.getChildFile("beside/bin/resources").createDirectory();
    root.getChildFile("above/resources/a/b").createDirectory();
    root.getChildFile("nearer/resources/x/resources").createDirectory();

    juce::File deep = root.getChildFile("deep");
    for (int i = 0; i < 20; ++i)
        deep = deep.getChildFile("d" + juce::String(i));
    juce::File fifteenUp = deep.getChildFile("Strata");
    for (int i = 0; i < 15; ++i)
        fifteenUp = fifteenUp.getParentDirectory();

    const struct
    {
        const char* what;
        juce::File executable, expected;
    } cases[] = {
        {"beside the program", root.getChildFile("beside/bin/Strata"),
         root.getChildFile("beside/bin/resources")},
        {"two folders above", root.getChildFile("above/resources/a/b/Strata"),
         root.getChildFile("above/resources")},
        {"the one beside wins", root.getChildFile("nearer/resources/x/Strata"),
         root.getChildFile("nearer/resources/x/resources")},
        {"none: where fifteen steps lead", deep.getChildFile("Strata"), fifteenUp},
    };
    for (auto& c : cases)
        EXPECT_EQ(findResourcesFolderFrom(c.executable), c.expected) << c.what;

    // The build lays the shipped resources out beside the test programs.
    EXPECT_EQ(findResourcesFolder(), StrataTest::binDir().getChildFile("resources"));
    EXPECT_TRUE(getAssetFile("Strata/preset/preset.xml", false).existsAsFile());
}

TEST(Assets, AssetsAreReadFromTheResourcesOrTheAssetsFolder)
{
    const auto resources = StrataTest::freshFolder("resources");
    resources.getChildFile("Strata/trans/words.txt").create();
    resources.getChildFile("Strata/trans/words.txt").replaceWithText("top level");
    resources.getChildFile("Assets/Strata/trans/words.txt").create();
    resources.getChildFile("Assets/Strata/trans/words.txt").replaceWithText("in assets");
    resources.getChildFile("Strata/folder.txt").createDirectory();
    std::optional<ScopedResourcesOverride> useResources(resources);

    EXPECT_EQ(getAssetFile("Strata/trans/words.txt", false),
              resources.getChildFile("Strata/trans/words.txt"));
    EXPECT_EQ(getAssetFile("Strata/trans/words.txt", true),
              resources.getChildFile("Assets/Strata/trans/words.txt"));
    EXPECT_EQ(getAssetFile("", false), resources);
    EXPECT_EQ(loadAssetText("Strata/trans/words.txt", false), "top level");
    EXPECT_EQ(loadAssetText("Strata/trans/words.txt", true), "in assets");

    for (const char* missing : {"Strata/none.txt", "Strata/folder.txt", ""})
    {
        EXPECT_EQ(openAsset(missing, false), nullptr) << missing;
        EXPECT_EQ(loadAssetText(missing, false), "") << missing;
    }

    useResources.reset();
    EXPECT_EQ(findResourcesFolder(), StrataTest::binDir().getChildFile("resources"));
}
