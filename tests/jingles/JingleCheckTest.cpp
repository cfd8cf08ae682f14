// The rebuild at start on a worker thread: names and sizes at once, the same library on disk as the rebuild
// on the message thread, and each slot closed to loads, renames and sends until its own check ends.
#include "JingleFixture.h"

using namespace NsStrata;

namespace
{
/** A library in need of every kind of repair, with a factory set for slots 1 to 8. */
void makeMessyLibrary(const JingleFolders& f)
{
    for (int s = 1; s <= 8; ++s)
        writeBytes(f.factoryFolder(s).getChildFile("Factory " + juce::String(s) + ".mp3"), (size_t) s * 1000,
                   100 + s);
    const auto put = [&](int slot, const char* name, const char* file, size_t size, juce::int64 seed)
    { writeBytes(f.slotFolder(slot).getChildFile(name).getChildFile(file), size, seed); };
    writeBytes(f.root.getChildFile("stray.mp3"), 100);
    put(1, "Alpha", "1.mp3", 4096, 1); // two name folders
    put(1, "Beta", "2.mp3", 4096, 2);
    put(2, "Pair", "a.mp3", 8192, 3); // two MP3s in one folder
    put(2, "Pair", "b.mp3", 4096, 4);
    put(3, "Loud", "clip.MP3", 300000, 5); // named otherwise than by its hash
    writeBytes(f.slotFolder(4).getChildFile("Empty").getChildFile("readme.txt"), 10); // no MP3: factory
    // Slot 5 has no folder and slots 6 to 8 are empty (all filled from the factory set); slot 9 has no
    // factory jingle, only its own.
    put(9, "Mine", "0.mp3", 4096, 9);
}

JingleFolders foldersIn(const juce::File& base)
{
    return {base.getChildFile("library"), base.getChildFile("temp"), base.getChildFile("factory")};
}

/** Runs the message loop until done is set, for at most 30 s. */
void runUntil(const bool& done)
{
    for (int i = 0; i < 600 && !done; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
}

juce::String messageOf(const juce::Result& r)
{
    return r.wasOk() ? juce::String("ok") : r.getErrorMessage();
}

const juce::String checkingText =
    "WARNING: The jingles are still being checked, please try again in a moment!";
} // namespace

TEST_F(JingleTest, TheCheckAtStartShowsNamesAtOnceAndEndsAsTheRebuildDoes)
{
    // The same library, rebuilt on the message thread, is what the check must arrive at.
    const auto other = foldersIn(base.getChildFile("other"));
    makeMessyLibrary(other);
    JingleLibrary rebuilt(other);
    ASSERT_TRUE(rebuilt.rebuildJingleLibrary(false));
    juce::StringArray expected;
    for (int s = 1; s <= jingleSlotCount; ++s)
        expected.add(rebuilt.name(s) + " " + juce::String(jingleSizes().size(s)));
    jingleSizes().reset();

    makeMessyLibrary(folders);
    writeBytes(folders.temp.getChildFile("in use.mp3"), 10);
    bool done = false, doneOnMessageThread = false;
    ASSERT_TRUE(library->checkLibraryInBackground(
        [&]
        {
            done = true;
            doneOnMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        }));

    // Before the message loop has run once: the pads can show every name, the memory is accounted for.
    juce::StringArray atOnce;
    for (int s = 1; s <= jingleSlotCount; ++s)
    {
        atOnce.add(library->name(s) + " " + juce::String(jingleSizes().size(s)));
        EXPECT_TRUE(library->isChecking(s)) << s;
    }
    EXPECT_EQ(atOnce, expected);
    EXPECT_EQ(listener.told.size(), jingleSlotCount);
    EXPECT_FALSE(done);

    runUntil(done);
    ASSERT_TRUE(done);
    EXPECT_TRUE(doneOnMessageThread);
    EXPECT_FALSE(library->isChecking());
    EXPECT_EQ(treeSnapshot(folders.root), treeSnapshot(other.root));
    for (int s = 1; s <= jingleSlotCount; ++s)
        EXPECT_EQ(library->storedFile(s).getFileName(), rebuilt.storedFile(s).getFileName()) << s;
    juce::StringArray after;
    for (int s = 1; s <= jingleSlotCount; ++s)
        after.add(library->name(s) + " " + juce::String(jingleSizes().size(s)));
    EXPECT_EQ(after, expected);
    EXPECT_EQ(listener.told.size(), jingleSlotCount) << "names already shown are not told again";
    EXPECT_EQ(listener.checks, juce::StringArray({"1+", "2+", "3+", "4+", "5+", "6+", "7+", "8+", "9+", "1-",
                                                  "2-", "3-", "4-", "5-", "6-", "7-", "8-", "9-"}));
    EXPECT_TRUE(folders.temp.getChildFile("in use.mp3").existsAsFile())
        << "the check leaves the scratch folder of a load alone";
}

TEST_F(JingleTest, ASlotTakesNoLoadRenameOrSendUntilItsOwnCheckEnds)
{
    makeMessyLibrary(folders);
    const auto mp3 = source("New.mp3", 5000);
    bool done = false;
    ASSERT_TRUE(library->checkLibraryInBackground([&] { done = true; }));

    const juce::StringArray refusedAtOnce{
        messageOf(library->loadJingleFile(1, mp3)),
        messageOf(library->loadJingleFileInBackground(1, mp3, {}, {})),
        messageOf(library->dropFiles(1, {mp3.getFullPathName()})),
        messageOf(library->renameJingle(1, "Other")),
        messageOf(library->checkCanSend(1)),
        messageOf(library->checkCanChange()),
    };
    for (const auto& refusal : refusedAtOnce)
        EXPECT_EQ(refusal, checkingText);
    EXPECT_FALSE(library->rebuildJingleLibrary(true));
    EXPECT_FALSE(library->checkLibraryInBackground());

    // Once slot 1 is checked it takes a load and may be sent, while slot 9 still waits for its check.
    juce::StringArray whenOneIsDone;
    listener.onCheck = [&](int slot, bool checking)
    {
        if (slot != 1 || checking)
            return;
        whenOneIsDone.add(messageOf(library->loadJingleFile(1, mp3)));
        whenOneIsDone.add(messageOf(library->checkCanSend(1)));
        whenOneIsDone.add(messageOf(library->checkCanSend(9)));
        whenOneIsDone.add(messageOf(library->renameJingle(9, "Other")));
    };
    runUntil(done);
    ASSERT_TRUE(done);
    EXPECT_EQ(whenOneIsDone,
              juce::StringArray(juce::String("ok"), juce::String("ok"), checkingText, checkingText));
    EXPECT_EQ(library->name(1), "New");
    EXPECT_TRUE(library->renameJingle(9, "Other").wasOk());
    EXPECT_TRUE(library->checkCanChange().wasOk());
}

TEST_F(JingleTest, ALibraryGoneBeforeItsCheckEndsIsToldNothing)
{
    makeMessyLibrary(folders);
    bool done = false;
    ASSERT_TRUE(library->checkLibraryInBackground([&] { done = true; }));
    const auto checksBefore = listener.checks;
    library.reset();
    juce::MessageManager::getInstance()->runDispatchLoopUntil(300);
    EXPECT_FALSE(done);
    EXPECT_EQ(listener.checks, checksBefore);

    // Whatever the check reached is whole; a later rebuild finishes the rest.
    library = std::make_unique<JingleLibrary>(folders);
    ASSERT_TRUE(library->rebuildJingleLibrary(false));
    EXPECT_EQ(library->name(1), "Alpha");
    EXPECT_EQ(library->name(5), "Factory 5");
}

TEST_F(JingleTest, NoCheckStartsWhenTheRootIsNoFolder)
{
    folders.root.replaceWithText("not a folder");
    EXPECT_FALSE(library->checkLibraryInBackground());
    EXPECT_FALSE(library->isChecking());
    EXPECT_TRUE(listener.checks.isEmpty());
}
