// Pictures from the resources folder: decoded once, kept in the image cache under their key, and a null
// image for anything that is not a readable picture.
#include "ui/AssetImage.h"
#include "store/Assets.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

using namespace NsStrata;

namespace
{
void writePicture(const juce::File& file, int width, int height)
{
    juce::Image image(juce::Image::ARGB, width, height, true);
    image.setPixelAt(0, 0, juce::Colours::red);
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out(file);
    ASSERT_TRUE(out.openedOk());
    ASSERT_TRUE(juce::PNGImageFormat().writeImageToStream(image, out));
}

class AssetImageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        resources = StrataTest::freshFolder("resources");
        setResourcesFolderOverride(resources);
    }
    void TearDown() override { setResourcesFolderOverride({}); }

    juce::File resources;
};
} // namespace

TEST_F(AssetImageTest, DecodesOnceThenServesTheCachedPicture)
{
    const auto file = resources.getChildFile("kestrel/logo-once.png");
    writePicture(file, 7, 3);

    const auto first = loadAssetImage("kestrel/logo-once.png", false);
    ASSERT_TRUE(first.isValid());
    EXPECT_EQ(first.getBounds(), juce::Rectangle<int>(7, 3));
    EXPECT_EQ(first.getPixelAt(0, 0), juce::Colours::red);

    const auto cached = juce::ImageCache::getFromHashCode(
        juce::String("kestrel/logo-once.png@juce_demo_assets").hashCode64());
    EXPECT_TRUE(cached.isValid()) << "the picture is cached under the hash of its path + @juce_demo_assets";

    ASSERT_TRUE(file.deleteFile());
    const auto again = loadAssetImage("kestrel/logo-once.png", false);
    EXPECT_TRUE(again.isValid()) << "a cached picture is not read again";
    EXPECT_EQ(again.getBounds(), first.getBounds());
}

TEST_F(AssetImageTest, TheSameNameInTheAssetsFolderIsAnotherPicture)
{
    writePicture(resources.getChildFile("pads/pad-both.png"), 4, 4);
    writePicture(resources.getChildFile("Assets/pads/pad-both.png"), 9, 2);

    EXPECT_EQ(loadAssetImage("pads/pad-both.png", false).getBounds(), juce::Rectangle<int>(4, 4));
    EXPECT_EQ(loadAssetImage("pads/pad-both.png", true).getBounds(), juce::Rectangle<int>(9, 2));
    EXPECT_NE(assetImageCacheKey("pads/pad-both.png", false), assetImageCacheKey("pads/pad-both.png", true));
    EXPECT_EQ(assetImageCacheKey("pads/pad-both.png", true),
              assetImageCacheKey("Assets/pads/pad-both.png", false));
}

TEST_F(AssetImageTest, AnythingButAReadablePictureGivesANullImageAndIsNotCached)
{
    resources.getChildFile("bad/not-a-picture.png").create();
    resources.getChildFile("bad/not-a-picture.png").replaceWithText("this is text, not a picture");
    resources.getChildFile("bad/a-folder.png").createDirectory();

    for (const char* path : {"bad/missing.png", "bad/not-a-picture.png", "bad/a-folder.png", ""})
        EXPECT_TRUE(loadAssetImage(path, false).isNull()) << path;

    // Once the file is fixed, the picture loads: the failure was not remembered.
    writePicture(resources.getChildFile("bad/not-a-picture.png"), 2, 5);
    EXPECT_EQ(loadAssetImage("bad/not-a-picture.png", false).getBounds(), juce::Rectangle<int>(2, 5));
}
