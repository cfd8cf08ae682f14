// Renaming a jingle moves its name folder; names that are no plain folder name are refused and change
// nothing.
#include "JingleFixture.h"
#include "jingles/JingleName.h"

using namespace NsStrata;

TEST_F(JingleTest, RenameMovesOnlyTheNameFolder)
{
    const auto stored = putStored(2, "Applause", "123.mp3", 8192);
    library->readFromDisk();
    const auto bytes = readBytes(stored);

    const juce::StringArray names{"Big Finish", "Drum, Roll #2 (long)",
                                  juce::String::fromUTF8("Beifall – laut"), "Big Finish"};
    for (const auto& name : names)
    {
        listener.told.clear();
        ASSERT_TRUE(library->renameJingle(2, name).wasOk()) << name;
        EXPECT_EQ(entryNames(folders.slotFolder(2), juce::File::findDirectories), juce::StringArray(name));
        EXPECT_EQ(library->name(2), name);
        EXPECT_EQ(listener.told, juce::StringArray("2=" + name));
        EXPECT_EQ(library->storedFile(2).getFileName(), "123.mp3");
        EXPECT_EQ(readBytes(library->storedFile(2)), bytes);
        EXPECT_EQ(jingleSizes().size(2), 8192);
    }
}

TEST_F(JingleTest, RenameRefusesNamesThatAreNoPlainFolderName)
{
    putStored(2, "Applause", "123.mp3", 8192);
    library->readFromDisk();
    listener.told.clear();
    const auto before = treeSnapshot(base);

    const juce::String refused[] = {
        "",
        ".",
        "..",
        "../../x",
        "a/b",
        "a\\b",
        "tab\there",
        "line\n",
        "what?",
        "a:b",
        "star*",
        "pipe|",
        "<angle>",
        "quote\"",
        "CON",
        "nul.txt",
        "com1",
        "trailing blank ",
        "trailing dot.",
        juce::String::repeatedString("x", 256),
    };
    for (const auto& name : refused)
    {
        EXPECT_FALSE(isValidJingleName(name)) << name;
        EXPECT_EQ(library->renameJingle(2, name).getErrorMessage(), "WARNING: Invalid jingle name!") << name;
    }
    EXPECT_EQ(treeSnapshot(base), before);
    EXPECT_EQ(library->name(2), "Applause");
    EXPECT_TRUE(listener.told.isEmpty());

    for (const juce::String name : {"Con Brio", "COM0", ".hidden", "a.b", "x"})
        EXPECT_TRUE(isValidJingleName(name)) << name;
}

TEST_F(JingleTest, RenameOfAnEmptySlotFails)
{
    EXPECT_EQ(library->renameJingle(9, "Anything").getErrorMessage(),
              "WARNING: Could not rename the jingle!");
    EXPECT_EQ(library->name(9), "");
    EXPECT_FALSE(folders.slotFolder(9).exists());
}
