#include "JingleRepair.h"

#include "JingleName.h"
#include "JingleStore.h"

#include <cstring>
#include <limits>

namespace NsStrata
{
int32_t recordedJingleSize(const juce::File& file)
{
    // A stored file put into the library by hand may be larger than 32 bits can say; it counts as full.
    return (int32_t) juce::jmin<juce::int64>(file.getSize(), std::numeric_limits<int32_t>::max());
}

bool prepareLibraryRoot(const JingleFolders& folders)
{
    if (!folders.root.exists())
        folders.root.createDirectory();
    return folders.root.isDirectory();
}

void removeStrayJingles(const JingleFolders& folders)
{
    for (const auto& stray : listEntries(folders.root, juce::File::findFiles, "?*.mp3"))
        stray.deleteFile();
}

// The slot's factory jingle, when there is one whose name can name a folder.
static juce::File factoryJingle(const JingleFolders& folders, int slot)
{
    const auto files = listEntries(folders.factoryFolder(slot), juce::File::findFiles, "?*.mp3");
    if (files.isEmpty() || !isValidJingleName(files.getFirst().getFileNameWithoutExtension()))
        return {};
    return files.getFirst();
}

SlotContent previewSlot(const JingleFolders& folders, int slot)
{
    const auto stored = storedJingleFile(folders, slot);
    if (stored != juce::File())
        return {stored.getParentDirectory().getFileName(), recordedJingleSize(stored)};
    const auto factory = factoryJingle(folders, slot);
    if (factory == juce::File())
        return {};
    const auto size = factory.getSize();
    return {
        factory.getFileNameWithoutExtension(),
        (int32_t) juce::jmin<juce::int64>(size + jinglePadding(size), std::numeric_limits<int32_t>::max())};
}

// Factory jingles are small: the padded copy is made in memory and written into the name folder under a name
// the library does not list, then renamed, so the scratch folder a load may be using is left alone.
static SlotContent fillFromFactory(const JingleFolders& folders, int slot)
{
    const auto source = factoryJingle(folders, slot);
    juce::MemoryBlock bytes;
    if (source == juce::File() || !source.loadFileAsData(bytes))
        return {};
    const auto hash = contentHash(bytes, 0.0);
    const auto unpadded = bytes.getSize();
    const auto padding = (size_t) jinglePadding((int64_t) unpadded);
    bytes.setSize(unpadded + padding, false);
    std::memset(static_cast<char*>(bytes.getData()) + unpadded, jinglePadByte, padding);

    // A slot keeps one name folder: whatever was left of its old content goes.
    const auto slotFolder = folders.slotFolder(slot);
    for (const auto& old : listEntries(slotFolder, juce::File::findDirectories, "*"))
        old.deleteRecursively();

    const auto nameFolder = slotFolder.getChildFile(source.getFileNameWithoutExtension());
    const auto target = nameFolder.getChildFile(hashText(hash) + source.getFileExtension());
    const auto partial = nameFolder.getChildFile(target.getFileName() + ".part");
    if (!nameFolder.createDirectory() || !partial.replaceWithData(bytes.getData(), bytes.getSize()) ||
        !partial.moveFileTo(target))
    {
        nameFolder.deleteRecursively();
        return {};
    }
    return {nameFolder.getFileName(), recordedJingleSize(target)};
}

SlotContent repairSlot(const JingleFolders& folders, int slot, bool resetToFactory)
{
    const auto slotFolder = folders.slotFolder(slot);
    const auto nameFolders = listEntries(slotFolder, juce::File::findDirectories, "?*");
    for (int i = resetToFactory ? 0 : 1; i < nameFolders.size(); ++i)
        nameFolders[i].deleteRecursively();

    const auto files = (nameFolders.isEmpty() || resetToFactory)
                           ? juce::Array<juce::File>()
                           : listEntries(nameFolders.getFirst(), juce::File::findFiles, "?*.mp3");
    if (files.isEmpty())
        return fillFromFactory(folders, slot);

    for (int i = 1; i < files.size(); ++i)
        files[i].deleteFile();
    auto stored = files.getFirst();
    const auto target = stored.getSiblingFile(hashText(fileContentHash(stored)) + stored.getFileExtension());
    if (stored.moveFileTo(target))
        stored = target;
    return {nameFolders.getFirst().getFileName(), recordedJingleSize(stored)};
}
} // namespace NsStrata
