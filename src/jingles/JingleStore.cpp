#include "JingleStore.h"

#include <vector>

namespace NsStrata
{
static const juce::String storeFailedText = "WARNING: Could not store the jingle file!";

int64_t jinglePadding(int64_t size)
{
    if (size <= 0)
        return 0;
    const int64_t rounded = (size + jinglePageBytes - 1) / jinglePageBytes * jinglePageBytes;
    return rounded - size;
}

// Empties folder, sparing keep and the folders on its way if it lies within.
static bool clearFolderSparing(const juce::File& folder, const juce::File& keep)
{
    if (!liesWithin(keep, folder))
    {
        folder.deleteRecursively();
        return folder.createDirectory().wasOk();
    }
    for (const auto& entry : listEntries(folder, juce::File::findFilesAndDirectories, "*"))
    {
        if (sameEntry(entry, keep))
            continue;
        if (liesWithin(keep, entry))
            clearFolderSparing(entry, keep);
        else
            entry.deleteRecursively();
    }
    return true;
}

juce::String memoryLeftText(int32_t left)
{
    return "INFO: " + juce::String::formatted("Memory left: %dK", left / 1024);
}

juce::File jingleCopyFolder(const juce::File& tempFolder)
{
    return tempFolder.getChildFile("jingle-copies");
}

bool preparePaddedCopy(const juce::File& source, const juce::File& temp, PreparedCopy& out,
                       const ProgressFn& progress, int64_t maxBytes)
{
    // Only the library's own copies are cleared away, and the file being loaded survives even there.
    const auto tempFolder = jingleCopyFolder(temp);
    if (!tempFolder.createDirectory() || !clearFolderSparing(tempFolder, source))
        return false;

    juce::FileInputStream in(source);
    if (in.failedToOpen())
        return false;
    auto copy = tempFolder.getChildFile(source.getFileName());
    if (copy.exists())
        copy = tempFolder.getNonexistentChildFile(source.getFileNameWithoutExtension(),
                                                  source.getFileExtension(), true);
    const auto total = in.getTotalLength();
    ContentHasher hasher;
    int64_t done = 0;
    {
        juce::FileOutputStream outStream(copy);
        if (outStream.failedToOpen())
            return false;
        constexpr int chunk = 1 << 16;
        juce::HeapBlock<char> buffer(chunk);
        for (;;)
        {
            const int got = in.read(buffer.get(), chunk);
            if (got <= 0)
                break;
            hasher.update(buffer.get(), (size_t) got);
            if (!outStream.write(buffer.get(), (size_t) got))
                return false;
            done += got;
            // A file that keeps growing is not read without end.
            if (done > maxBytes)
            {
                out.tooLarge = true;
                return false;
            }
            if (progress && total > 0)
                progress(juce::jmin(1.0, (double) done / (double) total));
        }
        // A file that shrank or failed part way through was not read whole; one that grew is measured below.
        if (done < total || in.getStatus().failed())
            return false;
        const auto padding = jinglePadding(done);
        if (padding > 0 && !outStream.writeRepeatedByte((juce::uint8) jinglePadByte, (size_t) padding))
            return false;
        outStream.flush();
        if (outStream.getStatus().failed())
            return false;
        out.padding = padding;
    }
    out.file = copy;
    out.unpadded = done;
    out.sourceHash = hasher.result();
    return true;
}

// Removes everything in folder except keep. Compared on disk: where the file system folds case or drops a
// trailing dot, the listing spells keep otherwise than it was asked for.
static void deleteAllBut(const juce::File& folder, const juce::File& keep, int what)
{
    for (const auto& entry : listEntries(folder, what, "*"))
        if (!sameEntry(entry, keep))
            entry.deleteRecursively();
}

juce::Result storeJingle(const JingleFolders& folders, int slot, const juce::File& source, StoredJingle& out,
                         int32_t memoryLeft, const ProgressFn& progress)
{
    PreparedCopy prepared;
    const bool copied = preparePaddedCopy(source, folders.temp, prepared, progress, memoryLeft);
    // The file may have grown since its size was checked: what counts is the copy that would be stored.
    if (prepared.tooLarge || (copied && prepared.unpadded + prepared.padding > memoryLeft))
        return juce::Result::fail(memoryLeftText(memoryLeft));
    if (!copied)
        return juce::Result::fail(storeFailedText);

    const std::vector<uint8_t> paddingBytes((size_t) prepared.padding, jinglePadByte);
    const auto hash = contentHash(paddingBytes.data(), paddingBytes.size(), (double) prepared.sourceHash);

    const auto name = source.getFileNameWithoutExtension();
    const auto slotFolder = folders.slotFolder(slot);
    const auto nameFolder = slotFolder.getChildFile(name);
    const auto target = nameFolder.getChildFile(hashText(hash) + ".mp3");
    // Written under a name the library does not list, so a failed copy leaves no half-written jingle.
    const auto partial = nameFolder.getChildFile(hashText(hash) + ".mp3.part");

    const bool madeFolder = !nameFolder.isDirectory();
    if (!nameFolder.createDirectory())
        return juce::Result::fail(storeFailedText);
    if (!prepared.file.copyFileTo(partial) || !partial.moveFileTo(target))
    {
        partial.deleteFile();
        if (madeFolder)
            nameFolder.deleteRecursively();
        return juce::Result::fail(storeFailedText);
    }

    // The new jingle is in place; only now does the old content of the slot go.
    deleteAllBut(slotFolder, nameFolder, juce::File::findDirectories);
    deleteAllBut(nameFolder, target, juce::File::findFilesAndDirectories);

    out.name = name;
    out.file = target;
    out.size = (int32_t) (prepared.unpadded + prepared.padding);
    return juce::Result::ok();
}
} // namespace NsStrata
