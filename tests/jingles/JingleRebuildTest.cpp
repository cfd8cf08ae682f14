// Rebuilding the library at start and resetting it to the factory set: the invariants it restores, which
// jingle each slot keeps, and the shipped factory set itself.
#include "JingleFixture.h"

using namespace NsStrata;

namespace
{
// No MP3 in the root; at most one name folder per slot; in it exactly one MP3 named by a decimal number.
void expectInvariants(const JingleFolders& folders)
{
    EXPECT_TRUE(listEntries(folders.root, juce::File::findFiles, "?*.mp3").isEmpty());
    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        const auto nameFolders = listEntries(folders.slotFolder(slot), juce::File::findDirectories, "*");
        ASSERT_LE(nameFolders.size(), 1) << "slot " << slot;
        if (nameFolders.isEmpty())
            continue;
        const auto mp3s = listEntries(nameFolders[0], juce::File::findFiles, "?*.mp3");
        ASSERT_EQ(mp3s.size(), 1) << "slot " << slot;
        const auto base = mp3s[0].getFileNameWithoutExtension();
        EXPECT_EQ(juce::String(base.getIntValue()), base) << "slot " << slot;
    }
}
} // namespace

class JingleRebuildTest : public JingleTest
{
protected:
    /** A small factory set: slot s holds "Factory s.mp3" of s * 1000 bytes. */
    void makeFactory(int fromSlot = 1, int toSlot = jingleSlotCount)
    {
        for (int s = fromSlot; s <= toSlot; ++s)
            writeBytes(folders.factoryFolder(s).getChildFile("Factory " + juce::String(s) + ".mp3"),
                       (size_t) s * 1000, 100 + s);
    }

    juce::File factoryFile(int s) const
    {
        return folders.factoryFolder(s).getChildFile("Factory " + juce::String(s) + ".mp3");
    }

    /** The slot holds the factory jingle: its name, padded bytes, named by the unpadded file's hash. */
    void expectFactoryJingle(int s)
    {
        SCOPED_TRACE("slot " + juce::String(s));
        EXPECT_EQ(library->name(s), "Factory " + juce::String(s));
        const auto stored = library->storedFile(s);
        const auto original = readBytes(factoryFile(s));
        const auto bytes = readBytes(stored);
        EXPECT_EQ(stored.getFileName(), hashText(fileContentHash(factoryFile(s))) + ".mp3");
        ASSERT_EQ(bytes.getSize(), original.getSize() + (size_t) jinglePadding((int64_t) original.getSize()));
        EXPECT_EQ(memcmp(bytes.getData(), original.getData(), original.getSize()), 0);
        EXPECT_EQ(jingleSizes().size(s), (int32_t) bytes.getSize());
        EXPECT_EQ(entryNames(stored.getParentDirectory(), juce::File::findFiles),
                  juce::StringArray(stored.getFileName()))
            << "the plain copy is gone";
    }
};

TEST_F(JingleRebuildTest, EmptyLibraryIsFilledFromTheFactorySet)
{
    makeFactory();
    ASSERT_TRUE(library->rebuildJingleLibrary(false));
    for (int s = 1; s <= jingleSlotCount; ++s)
        expectFactoryJingle(s);
    expectInvariants(folders);
    EXPECT_EQ(listener.told.size(), jingleSlotCount);
    EXPECT_EQ(listener.told[0], "1=Factory 1");
}

TEST_F(JingleRebuildTest, MessyLibraryIsPutInOrder)
{
    makeFactory();
    writeBytes(folders.root.getChildFile("stray.mp3"), 100);
    writeBytes(folders.root.getChildFile("STRAY2.MP3"), 100);
    writeBytes(folders.root.getChildFile("notes.txt"), 10);
    // Slot 1: two name folders; the first by name stays.
    const auto keptA = putStored(1, "Alpha", "1.mp3", 4096, 1);
    putStored(1, "Beta", "2.mp3", 4096, 2);
    // Slot 2: two MP3s in one folder; the first stays, renamed to its hash.
    const auto keptB = putStored(2, "Pair", "a.mp3", 8192, 3);
    putStored(2, "Pair", "b.mp3", 4096, 4);
    // Slot 3: a wrongly named file keeps its own extension.
    const auto wrong = putStored(3, "Loud", "clip.MP3", 4096, 5);
    // Slot 4: a name folder without an MP3 gives way to the factory jingle.
    writeBytes(folders.slotFolder(4).getChildFile("Empty").getChildFile("readme.txt"), 10);
    // Slot 5: no slot folder at all. Slot 6: already in order.
    const auto good = putStored(6, "Good", "0.mp3", 4096, 6);
    const auto goodName = hashText(fileContentHash(good)) + ".mp3";
    good.moveFileTo(good.getSiblingFile(goodName));

    const auto hashA = hashText(fileContentHash(keptA));
    const auto hashB = hashText(fileContentHash(keptB));
    const auto hashWrong = hashText(fileContentHash(wrong));
    ASSERT_TRUE(library->rebuildJingleLibrary(false));

    EXPECT_EQ(entryNames(folders.root, juce::File::findFiles), juce::StringArray("notes.txt"));
    EXPECT_EQ(entryNames(folders.slotFolder(1), juce::File::findDirectories), juce::StringArray("Alpha"));
    EXPECT_EQ(library->storedFile(1).getFileName(), hashA + ".mp3");
    EXPECT_EQ(library->name(1), "Alpha");
    EXPECT_EQ(entryNames(folders.slotFolder(2).getChildFile("Pair"), juce::File::findFiles),
              juce::StringArray(hashB + ".mp3"));
    EXPECT_EQ(jingleSizes().size(2), 8192);
    EXPECT_EQ(library->storedFile(3).getFileName(), hashWrong + ".MP3");
    EXPECT_EQ(library->name(3), "Loud");
    EXPECT_EQ(entryNames(folders.slotFolder(4), juce::File::findDirectories), juce::StringArray("Factory 4"));
    expectFactoryJingle(4);
    expectFactoryJingle(5);
    EXPECT_EQ(library->storedFile(6).getFileName(), goodName);
    EXPECT_EQ(library->name(6), "Good");
    for (int s : {7, 8, 9})
        expectFactoryJingle(s);
    expectInvariants(folders);
}

TEST_F(JingleRebuildTest, ResetToFactoryReplacesEverySlot)
{
    makeFactory(1, 8);
    putStored(1, "Alpha", "1.mp3", 4096, 1);
    putStored(1, "Beta", "2.mp3", 4096, 2);
    putStored(9, "Mine", "3.mp3", 4096, 3);
    ASSERT_TRUE(library->rebuildJingleLibrary(false));
    ASSERT_EQ(library->name(9), "Mine");

    ASSERT_TRUE(library->rebuildJingleLibrary(true));
    EXPECT_EQ(entryNames(folders.slotFolder(1), juce::File::findDirectories), juce::StringArray("Factory 1"));
    for (int s = 1; s <= 8; ++s)
        expectFactoryJingle(s);
    // Slot 9 has no factory jingle: it is left empty, and neither shows a name nor takes memory.
    EXPECT_TRUE(entryNames(folders.slotFolder(9), juce::File::findDirectories).isEmpty());
    EXPECT_EQ(library->name(9), "");
    EXPECT_EQ(jingleSizes().size(9), 0);
    EXPECT_EQ(library->storedFile(9), juce::File());
    expectInvariants(folders);
}

TEST_F(JingleRebuildTest, WithoutFactoryFilesEmptySlotsStayEmpty)
{
    ASSERT_TRUE(library->rebuildJingleLibrary(false));
    EXPECT_TRUE(folders.root.isDirectory());
    for (int s = 1; s <= jingleSlotCount; ++s)
        EXPECT_EQ(jingleSizes().size(s), 0);
    EXPECT_TRUE(treeSnapshot(folders.root).isEmpty());
}

TEST_F(JingleRebuildTest, RootThatIsAFileFails)
{
    folders.root.replaceWithText("not a folder");
    EXPECT_FALSE(library->rebuildJingleLibrary(false));
    EXPECT_TRUE(folders.root.existsAsFile());
}

TEST_F(JingleRebuildTest, ReadingFromDiskMatchesTheRebuild)
{
    makeFactory();
    ASSERT_TRUE(library->rebuildJingleLibrary(false));
    ASSERT_TRUE(library->loadJingleFile(3, source("Mine.mp3", 5000)).wasOk());
    std::array<int32_t, jingleSlotCount> sizes{};
    for (int s = 1; s <= jingleSlotCount; ++s)
        sizes[(size_t) s - 1] = jingleSizes().size(s);

    jingleSizes().reset();
    JingleLibrary fresh(folders);
    fresh.readFromDisk();
    for (int s = 1; s <= jingleSlotCount; ++s)
    {
        EXPECT_EQ(fresh.name(s), library->name(s)) << s;
        EXPECT_EQ(jingleSizes().size(s), sizes[(size_t) s - 1]) << s;
    }
}

TEST(FactoryJingles, ShippedSetHasOneSmallMp3PerSlot)
{
    const auto origin = StrataTest::sourceDir().getChildFile("resources/Assets/Strata/jingles/origin");
    for (int s = 1; s <= jingleSlotCount; ++s)
    {
        const auto mp3s = listEntries(origin.getChildFile(juce::String(s)), juce::File::findFiles, "?*.mp3");
        ASSERT_EQ(mp3s.size(), 1) << "slot " << s;
        const auto bytes = readBytes(mp3s[0]);
        EXPECT_GT(bytes.getSize(), 4096u) << mp3s[0].getFileName();
        EXPECT_LT(bytes.getSize(), 100u * 1024u) << mp3s[0].getFileName();
        const auto* b = static_cast<const uint8_t*>(bytes.getData());
        const bool id3 = b[0] == 'I' && b[1] == 'D' && b[2] == '3';
        const bool frameSync = b[0] == 0xFF && (b[1] & 0xE0) == 0xE0;
        EXPECT_TRUE(id3 || frameSync) << mp3s[0].getFileName() << " does not start like an MP3";
    }
}
