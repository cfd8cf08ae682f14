// Loading a file into a slot: the checks in their order with their messages, padding and storing, replacing
// the old jingle, the drop checks, a failed store, and the same load done on a worker thread.
#include "JingleFixture.h"
#include "jingles/JingleName.h"

#include <filesystem>

using namespace NsStrata;

namespace
{
const juce::String memoryFull = "INFO: Memory left: 0K";
const juce::String mp3Please = "WARNING: MP3 file please!";
const juce::String invalidFile = "WARNING: Invalid file!";
const juce::String invalidName = "WARNING: Invalid jingle name!";
const juce::String storeFailed = "WARNING: Could not store the jingle file!";
const juce::String tooLarge = "WARNING: Your jingle file is larger than 15 MB, unable to import!";

juce::String messageOf(const juce::Result& r)
{
    return r.wasOk() ? juce::String("ok") : r.getErrorMessage();
}

// A file of the given size without writing its bytes (sparse where the file system allows).
juce::File sizedFile(const juce::File& file, juce::int64 size)
{
    file.getParentDirectory().createDirectory();
    file.create();
    std::filesystem::resize_file(file.getFullPathName().toStdString(), (std::uintmax_t) size);
    return file;
}
} // namespace

TEST(JingleSizes, MemoryLeftIsWhatTheOtherSlotsDoNotTake)
{
    auto& sizes = jingleSizes();
    sizes.reset();
    sizes.set(1, 4096);
    sizes.set(9, 1048576);
    EXPECT_EQ(sizes.memoryLeft(5), jingleMemoryBytes - 4096 - 1048576);
    EXPECT_EQ(sizes.memoryLeft(1), jingleMemoryBytes - 1048576) << "the slot's own size does not count";
    sizes.set(10, 123);
    sizes.set(0, 123);
    EXPECT_EQ(sizes.size(10), 0) << "slots outside 1..9 hold nothing";
    for (int s = 1; s <= jingleSlotCount; ++s)
        sizes.set(s, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(sizes.memoryLeft(1), std::numeric_limits<int32_t>::min())
        << "a hand-made library must not wrap";
    sizes.reset();
    EXPECT_EQ(sizes.memoryLeft(3), jingleMemoryBytes);
}

TEST_F(JingleTest, RefusedFilesGetTheirMessageAndChangeNothing)
{
    putStored(3, "Old", "111.mp3", 4096);
    library->readFromDisk();
    listener.told.clear();

    struct Case
    {
        const char* what;
        juce::String fileName;
        size_t size;
        int32_t left;
        juce::String expected;
    };
    const Case cases[] = {
        {"wav is not accepted", "clip.wav", 5000, jingleMemoryBytes, mp3Please},
        {"no extension", "clip", 5000, jingleMemoryBytes, mp3Please},
        {"the extension comes before the memory", "clip.wav", 5000, 0, mp3Please},
        {"one byte with the other slots full", "clip.mp3", 1, 0, memoryFull},
        {"the memory left shown in whole K", "clip.mp3", 6000, 5000, "INFO: Memory left: 4K"},
        {"an empty file passes the memory check first", "clip.mp3", 0, 0, invalidFile},
        {"an empty file", "clip.mp3", 0, jingleMemoryBytes, invalidFile},
        {"a name that climbs out of the slot", "...mp3", 5000, jingleMemoryBytes, invalidName},
        {"a name that points at the slot folder", "..mp3", 5000, jingleMemoryBytes, invalidName},
        // The name becomes a folder: what a rename refuses, a load refuses too.
        {"a trailing full stop, which Windows drops", "clip..mp3", 5000, jingleMemoryBytes, invalidName},
        {"a trailing blank", "clip .mp3", 5000, jingleMemoryBytes, invalidName},
        {"a reserved device name", "CON.mp3", 5000, jingleMemoryBytes, invalidName},
        {"a control character", "tab\there.mp3", 5000, jingleMemoryBytes, invalidName},
        {"a backslash", "a\\b.mp3", 5000, jingleMemoryBytes, invalidName},
        {"a character Windows keeps out of names", "what?.mp3", 5000, jingleMemoryBytes, invalidName},
    };
    const auto before = treeSnapshot(folders.root);
    for (const auto& c : cases)
    {
        leaveMemory(3, c.left);
        const auto sizeBefore = jingleSizes().size(3);
        const auto file = source(c.fileName, c.size);
        EXPECT_EQ(messageOf(library->loadJingleFile(3, file)), c.expected) << c.what;
        EXPECT_EQ(messageOf(library->checkJingleFile(3, file)), c.expected) << c.what;
        EXPECT_EQ(treeSnapshot(folders.root), before) << c.what;
        EXPECT_EQ(library->name(3), "Old") << c.what;
        EXPECT_EQ(jingleSizes().size(3), sizeBefore) << c.what;
        file.deleteFile();
    }
    EXPECT_EQ(messageOf(library->loadJingleFile(3, sources.getChildFile("missing.mp3"))), invalidFile);
    EXPECT_TRUE(listener.told.isEmpty());
}

TEST_F(JingleTest, SizesBeyondThirtyTwoBitsAreInvalid)
{
    // 4 GiB and a little: cut to 32 bits it would look like a small file.
    const auto huge = sizedFile(sources.getChildFile("huge.mp3"), (juce::int64(1) << 32) + 100);
    EXPECT_EQ(messageOf(library->loadJingleFile(1, huge)), invalidFile);
    EXPECT_FALSE(folders.root.exists());
}

TEST_F(JingleTest, StoredCopyIsPaddedToWholePages)
{
    struct Case
    {
        size_t size;
        int32_t stored;
    };
    const Case cases[] = {{5000, 8192}, {8192, 8192}, {1, 4096}, {4096, 4096}, {4097, 8192}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(juce::String((int) c.size) + " bytes");
        const auto file = source("Clip " + juce::String((int) c.size) + ".MP3", c.size, (juce::int64) c.size);
        ASSERT_TRUE(library->loadJingleFile(2, file).wasOk());

        const auto stored = library->storedFile(2);
        const auto bytes = readBytes(stored);
        const auto original = readBytes(file);
        ASSERT_EQ((int32_t) bytes.getSize(), c.stored);
        EXPECT_EQ(memcmp(bytes.getData(), original.getData(), c.size), 0) << "the file's own bytes first";
        size_t padBytes = 0;
        for (size_t i = c.size; i < bytes.getSize(); ++i)
            padBytes += (uint8_t) bytes[i] == 0x55 ? 1 : 0;
        EXPECT_EQ(padBytes, (size_t) c.stored - c.size) << "then 0x55 up to the page";

        const auto padding = paddingBytes((size_t) c.stored - c.size);
        EXPECT_EQ(stored.getFileName(),
                  hashText(contentHash(padding, (double) fileContentHash(file))) + ".mp3");
        EXPECT_EQ(stored.getParentDirectory().getFileName(), file.getFileNameWithoutExtension());
        EXPECT_EQ(jingleSizes().size(2), c.stored);
        EXPECT_EQ(library->name(2), file.getFileNameWithoutExtension());
        EXPECT_EQ(readBytes(jingleCopyFolder(folders.temp).getChildFile(file.getFileName())), bytes)
            << "the padded copy stays";
    }
    EXPECT_EQ(listener.told.size(), 5);
    EXPECT_EQ(listener.told[4], "2=Clip 4097");
}

TEST_F(JingleTest, LoadingReplacesTheSlotsOldContent)
{
    putStored(5, "Old", "111.mp3", 4096);
    putStored(5, "Older", "222.mp3", 4096);
    writeBytes(folders.slotFolder(6).getChildFile("Neighbour").getChildFile("333.mp3"), 4096);

    ASSERT_TRUE(library->loadJingleFile(5, source("New.mp3", 5000)).wasOk());
    EXPECT_EQ(entryNames(folders.slotFolder(5), juce::File::findDirectories), juce::StringArray("New"));
    EXPECT_EQ(entryNames(folders.slotFolder(6), juce::File::findDirectories), juce::StringArray("Neighbour"));

    // The same name again: the folder keeps one stored file, the new one.
    const auto newer = source("New.mp3", 9000, 2);
    ASSERT_TRUE(library->loadJingleFile(5, newer).wasOk());
    const auto nameFolder = folders.slotFolder(5).getChildFile("New");
    EXPECT_EQ(entryNames(nameFolder, juce::File::findFilesAndDirectories).size(), 1);
    EXPECT_EQ(library->storedFile(5).getSize(), 12288);
}

TEST_F(JingleTest, FailedStoreIsReportedAndKeepsTheOldJingle)
{
    putStored(4, "Old", "111.mp3", 4096);
    library->readFromDisk();
    listener.told.clear();

    // A plain file where the new name folder must go: the folder cannot be made.
    const auto blocker = folders.slotFolder(4).getChildFile("Clip");
    blocker.replaceWithText("in the way");
    const auto before = treeSnapshot(folders.root);
    EXPECT_EQ(messageOf(library->loadJingleFile(4, source("Clip.mp3", 5000))), storeFailed);
    EXPECT_EQ(treeSnapshot(folders.root), before);
    blocker.deleteFile();

    // The old jingle's own name, with the place of the new stored file taken by a folder: the copy fails.
    const auto file = source("Old.mp3", 5000);
    const auto stored = hashText(contentHash(paddingBytes(3192), (double) fileContentHash(file))) + ".mp3";
    writeBytes(folders.slotFolder(4).getChildFile("Old").getChildFile(stored + ".part").getChildFile("x"),
               10);
    const auto withObstacle = treeSnapshot(folders.root);
    EXPECT_EQ(messageOf(library->loadJingleFile(4, file)), storeFailed);
    EXPECT_EQ(treeSnapshot(folders.root), withObstacle);

    EXPECT_EQ(library->name(4), "Old");
    EXPECT_EQ(jingleSizes().size(4), 4096);
    EXPECT_TRUE(listener.told.isEmpty());
}

TEST_F(JingleTest, TheUsersFileSurvivesALoadFromTheTemporaryFolder)
{
    // The library clears its own copies for every load; the file being loaded may lie anywhere there.
    const auto copies = jingleCopyFolder(folders.temp);
    const auto outside = sources.getChildFile("link.mp3");
    sources.createDirectory();
    struct Case
    {
        const char* what;
        juce::File file;  // the file as it is written
        juce::File named; // the file as it is loaded
        bool library;     // it lies among the library's own copies, which the next load clears
    };
    const Case cases[] = {
        {"directly in the temporary folder", folders.temp.getChildFile("mine.mp3"),
         folders.temp.getChildFile("mine.mp3"), false},
        {"in a folder below it", folders.temp.getChildFile("deeper/mine.mp3"),
         folders.temp.getChildFile("deeper/mine.mp3"), false},
        {"among the library's own copies", copies.getChildFile("mine.mp3"), copies.getChildFile("mine.mp3"),
         true},
        {"reached through a link from elsewhere", folders.temp.getChildFile("linked.mp3"), outside, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const auto bytes = writeBytes(c.file, 5000, 9);
        if (c.named != c.file)
        {
            ASSERT_TRUE(c.file.createSymbolicLink(c.named, true));
        }
        writeBytes(copies.getChildFile("leftover.mp3"), 100);

        ASSERT_TRUE(library->loadJingleFile(3, c.named).wasOk());
        EXPECT_EQ(readBytes(c.named), bytes) << "the user's file is unchanged";
        const auto stored = readBytes(library->storedFile(3));
        ASSERT_EQ(stored.getSize(), 8192u);
        EXPECT_EQ(memcmp(stored.getData(), bytes.getData(), bytes.getSize()), 0);
        EXPECT_EQ(library->name(3), c.named.getFileNameWithoutExtension());
        EXPECT_FALSE(copies.getChildFile("leftover.mp3").exists()) << "an earlier copy of the library's goes";

        // The next load, of another file, leaves it alone too.
        if (c.library)
            continue;
        const auto other = sources.getChildFile("other.mp3");
        writeBytes(other, 3000, 2);
        ASSERT_TRUE(library->loadJingleFile(4, other).wasOk());
        EXPECT_EQ(readBytes(c.named), bytes) << "the user's file survives the next load";
        outside.deleteFile();
    }
}

TEST_F(JingleTest, AFileThatGrowsWhileItIsCopiedIsMeasuredAgain)
{
    putStored(4, "Old", "111.mp3", 4096);
    library->readFromDisk();
    listener.told.clear();
    struct Case
    {
        const char* what;
        size_t growth;
        juce::String expected;
        int32_t stored;
    };
    const Case cases[] = {
        {"past the memory left", 100 * 1024, "INFO: Memory left: 128K", 0},
        {"still within it", 10 * 1024, "ok", 112 * 1024},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        leaveMemory(4, 128 * 1024);
        const auto sizeBefore = jingleSizes().size(4);
        const auto file = source("Growing.mp3", 100 * 1024);
        const auto before = treeSnapshot(folders.root);
        bool grown = false;
        // Passed the size check at 100 KiB; grows as soon as the copy has begun.
        const auto result = library->loadJingleFile(4, file,
                                                    [&](double)
                                                    {
                                                        if (grown)
                                                            return;
                                                        grown = true;
                                                        juce::FileOutputStream out(file);
                                                        out.writeRepeatedByte(0x11, c.growth);
                                                    });
        ASSERT_TRUE(grown);
        EXPECT_EQ(messageOf(result), c.expected);
        if (c.stored == 0)
        {
            EXPECT_EQ(treeSnapshot(folders.root), before);
            EXPECT_EQ(library->name(4), "Old");
            EXPECT_EQ(jingleSizes().size(4), sizeBefore);
        }
        else
        {
            EXPECT_EQ(library->storedFile(4).getSize(), c.stored);
            EXPECT_EQ(jingleSizes().size(4), c.stored);
            EXPECT_EQ(library->name(4), "Growing");
        }
    }
}

TEST(JingleFolders, EntriesAreComparedByWhatTheFileSystemHolds)
{
    const auto base = StrataTest::freshFolder("same");
    const auto folder = base.getChildFile("clip");
    const auto file = folder.getChildFile("1.mp3");
    writeBytes(file, 10);
    const auto alias = base.getChildFile("Clip"); // another spelling of the same folder
    ASSERT_TRUE(folder.createSymbolicLink(alias, true));

    EXPECT_TRUE(sameEntry(folder, alias));
    EXPECT_TRUE(sameEntry(file, alias.getChildFile("1.mp3")));
    EXPECT_FALSE(sameEntry(folder, file));
    EXPECT_FALSE(sameEntry(folder, base.getChildFile("missing")));
    EXPECT_TRUE(sameEntry(base.getChildFile("missing"), base.getChildFile("missing")));

    EXPECT_TRUE(liesWithin(file, folder));
    EXPECT_TRUE(liesWithin(alias.getChildFile("1.mp3"), base));
    EXPECT_FALSE(liesWithin(folder, folder)) << "a folder is not within itself";
    EXPECT_FALSE(liesWithin(base, folder));
    base.deleteRecursively();
}

TEST_F(JingleTest, TheNewNameFolderIsKeptWhateverItsSpelling)
{
    // On a file system that folds case, "Clip" and "clip" are one folder; a link stands in for that here.
    putStored(5, "clip", "111.mp3", 4096);
    ASSERT_TRUE(folders.slotFolder(5).getChildFile("clip").createSymbolicLink(
        folders.slotFolder(5).getChildFile("Clip"), true));
    const auto file = source("Clip.mp3", 5000, 4);
    ASSERT_TRUE(library->loadJingleFile(5, file).wasOk());

    const auto stored = library->storedFile(5);
    ASSERT_TRUE(stored.existsAsFile()) << "the folder just written was deleted";
    const auto bytes = readBytes(stored);
    EXPECT_EQ(memcmp(bytes.getData(), readBytes(file).getData(), 5000), 0);
    EXPECT_EQ(jingleSizes().size(5), 8192);
}

TEST_F(JingleTest, DropChecksComeBeforeTheLoad)
{
    const auto small = source("Small.mp3", 5000);
    const auto big = sizedFile(sources.getChildFile("Big.mp3"), 16000000);
    const auto atLimit = sizedFile(sources.getChildFile("Limit.mp3"), jingleMemoryBytes);
    struct Case
    {
        const char* what;
        juce::StringArray paths;
        juce::String expected;
    };
    const Case cases[] = {
        {"nothing dropped", {}, "WARNING: You dragged 0 files in!"},
        {"two files",
         {small.getFullPathName(), small.getFullPathName()},
         "WARNING: Too many files! Only one file for once please."},
        {"larger than the whole memory", {big.getFullPathName()}, tooLarge},
        {"exactly the whole memory passes", {atLimit.getFullPathName()}, "ok"},
        {"a small file passes", {small.getFullPathName()}, "ok"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageOf(JingleLibrary::checkDroppedFiles(c.paths)), c.expected) << c.what;

    leaveMemory(7, 0);
    EXPECT_EQ(messageOf(library->dropFiles(7, {big.getFullPathName()})), tooLarge)
        << "never reaches the memory";
    EXPECT_EQ(messageOf(library->dropFiles(7, {small.getFullPathName()})), memoryFull);
    jingleSizes().reset();
    EXPECT_TRUE(library->dropFiles(7, {small.getFullPathName()}).wasOk());
    EXPECT_EQ(library->name(7), "Small");
}

TEST_F(JingleTest, LoadOnAWorkerThreadGivesTheSameResult)
{
    const auto file = source("Long Clip.mp3", 300000, 5);
    ASSERT_TRUE(library->loadJingleFile(1, file).wasOk());
    const auto expected = readBytes(library->storedFile(1));
    const auto expectedName = library->storedFile(1).getFileName();

    std::atomic<double> lastProgress{0};
    bool finished = false, onMessageThread = false;
    juce::Result outcome = juce::Result::fail("not called");
    const auto started = library->loadJingleFileInBackground(
        8, file, [&](double f) { lastProgress = f; },
        [&](juce::Result r)
        {
            outcome = r;
            finished = true;
            onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
        });
    ASSERT_TRUE(started.wasOk());
    EXPECT_TRUE(library->isLoading());
    EXPECT_EQ(messageOf(library->loadJingleFile(2, file)), "WARNING: Another jingle is still being stored!");
    EXPECT_EQ(messageOf(library->loadJingleFileInBackground(2, file, {}, {})),
              "WARNING: Another jingle is still being stored!");

    for (int i = 0; i < 600 && !finished; ++i)
        juce::MessageManager::getInstance()->runDispatchLoopUntil(50);
    ASSERT_TRUE(finished);
    EXPECT_TRUE(outcome.wasOk());
    EXPECT_TRUE(onMessageThread);
    EXPECT_DOUBLE_EQ(lastProgress.load(), 1.0);
    EXPECT_FALSE(library->isLoading());
    EXPECT_EQ(readBytes(library->storedFile(8)), expected);
    EXPECT_EQ(library->storedFile(8).getFileName(), expectedName);
    EXPECT_EQ(library->name(8), "Long Clip");
    EXPECT_EQ(jingleSizes().size(8), jingleSizes().size(1));

    // Refusals come back at once and start nothing.
    EXPECT_EQ(messageOf(library->loadJingleFileInBackground(8, source("x.wav", 10), {}, {})), mp3Please);
    EXPECT_FALSE(library->isLoading());
}

TEST_F(JingleTest, StoredFilePathOfThisInstallation)
{
    JingleLibrary installed; // the library under STRATA_HOME
    ASSERT_TRUE(installed.loadJingleFile(6, source("Cheer.mp3", 5000)).wasOk());
    EXPECT_EQ(jingleFilePath(6), installed.storedFile(6).getFullPathName());
    EXPECT_TRUE(jingleFilePath(6).startsWith(StrataTest::testHome().getFullPathName()));
    EXPECT_EQ(jingleFilePath(5), "") << "an empty slot";
    installed.folders().root.deleteRecursively();
}
