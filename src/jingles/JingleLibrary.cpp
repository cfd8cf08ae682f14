#include "JingleLibrary.h"

#include "JingleName.h"
#include "JingleTransfer.h"

#include <algorithm>
#include <limits>

namespace NsStrata
{
namespace
{
const juce::String mp3PleaseText = "WARNING: MP3 file please!";
const juce::String invalidFileText = "WARNING: Invalid file!";
const juce::String invalidNameText = "WARNING: Invalid jingle name!";
const juce::String busyText = "WARNING: Another jingle is still being stored!";
const juce::String sendingText = "WARNING: A jingle is being sent to the device!";
const juce::String renameFailedText = "WARNING: Could not rename the jingle!";

bool validSlot(int slot)
{
    return slot >= 1 && slot <= jingleSlotCount;
}

// Sizes are kept in 32 bits; a size beyond that range reads as -1, which no check lets through.
int32_t size32(juce::int64 size)
{
    return (size >= 0 && size <= std::numeric_limits<int32_t>::max()) ? (int32_t) size : -1;
}

// A stored file put into the library by hand may be larger than 32 bits can say; it counts as full.
int32_t recordedSize(const juce::File& file)
{
    return (int32_t) juce::jmin<juce::int64>(file.getSize(), std::numeric_limits<int32_t>::max());
}
} // namespace

JingleLibrary::JingleLibrary(JingleFolders folders) : dirs(std::move(folders)) {}

JingleLibrary::~JingleLibrary()
{
    if (worker.joinable())
        worker.join();
}

juce::String JingleLibrary::name(int slot) const
{
    return validSlot(slot) ? names[(size_t) slot - 1] : juce::String();
}

juce::File JingleLibrary::storedFile(int slot) const
{
    return storedJingleFile(dirs, slot);
}

void JingleLibrary::addListener(Listener* l)
{
    if (l != nullptr && std::find(listeners.begin(), listeners.end(), l) == listeners.end())
        listeners.push_back(l);
}

void JingleLibrary::removeListener(Listener* l)
{
    listeners.erase(std::remove(listeners.begin(), listeners.end(), l), listeners.end());
}

void JingleLibrary::setName(int slot, const juce::String& newName)
{
    names[(size_t) slot - 1] = newName;
    // A copy, so a listener may remove itself while it is told.
    const auto toTell = listeners;
    for (auto* l : toTell)
        if (std::find(listeners.begin(), listeners.end(), l) != listeners.end())
            l->jingleNameChanged(slot, newName);
}

void JingleLibrary::setSlot(int slot, const juce::String& newName, int32_t size)
{
    jingleSizes().set(slot, size);
    setName(slot, newName);
}

juce::Result JingleLibrary::checkCanChange() const
{
    // The transfer runs the message loop while it waits, so the screen can ask for any of these meanwhile.
    if (isJingleTransferRunning())
        return juce::Result::fail(sendingText);
    if (loading)
        return juce::Result::fail(busyText);
    return juce::Result::ok();
}

juce::Result JingleLibrary::checkJingleFile(int slot, const juce::File& file) const
{
    if (!validSlot(slot))
        return juce::Result::fail(invalidFileText);
    const auto size = size32(file.getSize());
    if (!file.getFileExtension().equalsIgnoreCase(".mp3"))
        return juce::Result::fail(mp3PleaseText);
    const auto left = jingleSizes().memoryLeft(slot);
    if (size > left)
        return juce::Result::fail(memoryLeftText(left));
    if (size <= 0)
        return juce::Result::fail(invalidFileText);
    // The name becomes the name folder: it must be one on every platform, as a rename's must. ("clip..mp3"
    // would give "clip.", which Windows stores as "clip".)
    if (!isValidJingleName(file.getFileNameWithoutExtension()))
        return juce::Result::fail(invalidNameText);
    return juce::Result::ok();
}

juce::Result JingleLibrary::loadJingleFile(int slot, const juce::File& file, const ProgressFn& progress)
{
    const auto free = checkCanChange();
    if (free.failed())
        return free;
    const auto check = checkJingleFile(slot, file);
    if (check.failed())
        return check;

    StoredJingle stored;
    const auto result = storeJingle(dirs, slot, file, stored, jingleSizes().memoryLeft(slot), progress);
    if (result.wasOk())
        setSlot(slot, stored.name, stored.size);
    return result;
}

juce::Result JingleLibrary::loadJingleFileInBackground(int slot, const juce::File& file, ProgressFn progress,
                                                       std::function<void(juce::Result)> done)
{
    const auto free = checkCanChange();
    if (free.failed())
        return free;
    const auto check = checkJingleFile(slot, file);
    if (check.failed())
        return check;

    if (worker.joinable())
        worker.join();
    loading = true;
    juce::WeakReference<JingleLibrary> self(this);
    // No other load runs meanwhile, so the memory the other slots take stays as it is now.
    const auto left = jingleSizes().memoryLeft(slot);
    worker = std::thread(
        [self, folders = dirs, slot, file, left, progress = std::move(progress), done = std::move(done)]
        {
            auto stored = std::make_shared<StoredJingle>();
            const auto result = storeJingle(folders, slot, file, *stored, left, progress);
            juce::MessageManager::callAsync(
                [self, slot, result, stored, done]
                {
                    auto* library = self.get();
                    if (library == nullptr)
                        return;
                    library->loading = false;
                    if (result.wasOk())
                        library->setSlot(slot, stored->name, stored->size);
                    if (done)
                        done(result);
                });
        });
    return juce::Result::ok();
}

juce::Result JingleLibrary::checkDroppedFiles(const juce::StringArray& paths)
{
    if (paths.isEmpty())
        return juce::Result::fail("WARNING: You dragged 0 files in!");
    if (paths.size() > 1)
        return juce::Result::fail("WARNING: Too many files! Only one file for once please.");
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile(paths[0]);
    if (file.getSize() > (juce::int64) jingleMemoryBytes)
        return juce::Result::fail("WARNING: " + TRANS("Your jingle file is larger than ") + "15" + " MB, " +
                                  TRANS("unable to import!"));
    return juce::Result::ok();
}

juce::Result JingleLibrary::dropFiles(int slot, const juce::StringArray& paths)
{
    const auto check = checkDroppedFiles(paths);
    if (check.failed())
        return check;
    return loadJingleFile(slot, juce::File::getCurrentWorkingDirectory().getChildFile(paths[0]));
}

juce::Result JingleLibrary::renameJingle(int slot, const juce::String& newName)
{
    // The name becomes a folder: anything that is not a plain folder name would move the jingle elsewhere.
    if (!validSlot(slot) || !isValidJingleName(newName))
        return juce::Result::fail(invalidNameText);
    const auto free = checkCanChange();
    if (free.failed())
        return free;

    const auto slotFolder = dirs.slotFolder(slot);
    const auto nameFolders = listEntries(slotFolder, juce::File::findDirectories, "*");
    if (nameFolders.isEmpty() || !nameFolders.getFirst().moveFileTo(slotFolder.getChildFile(newName)))
        return juce::Result::fail(renameFailedText);

    setName(slot, newName);
    return juce::Result::ok();
}

bool JingleLibrary::fillFromFactory(int slot)
{
    const auto factoryFiles = listEntries(dirs.factoryFolder(slot), juce::File::findFiles, "?*.mp3");
    if (factoryFiles.isEmpty())
        return false;
    const auto& source = factoryFiles.getFirst();
    const auto jingleName = source.getFileNameWithoutExtension();
    if (!isValidJingleName(jingleName))
        return false;

    // A slot keeps one name folder: whatever was left of its old content goes.
    const auto slotFolder = dirs.slotFolder(slot);
    for (const auto& old : listEntries(slotFolder, juce::File::findDirectories, "*"))
        old.deleteRecursively();

    const auto nameFolder = slotFolder.getChildFile(jingleName);
    const auto plain = nameFolder.getChildFile(source.getFileName());
    PreparedCopy prepared;
    if (!nameFolder.createDirectory() || !source.copyFileTo(plain) ||
        !preparePaddedCopy(plain, dirs.temp, prepared))
    {
        nameFolder.deleteRecursively();
        return false;
    }
    const auto target = nameFolder.getChildFile(hashText(prepared.sourceHash) + plain.getFileExtension());
    const bool moved = prepared.file.moveFileTo(target);
    if (!sameEntry(plain, target))
        plain.deleteFile();
    if (!moved)
    {
        nameFolder.deleteRecursively();
        return false;
    }
    setSlot(slot, jingleName, recordedSize(target));
    return true;
}

bool JingleLibrary::rebuildJingleLibrary(bool resetToFactory)
{
    if (checkCanChange().failed())
        return false;
    const auto& root = dirs.root;
    if (!root.exists())
        root.createDirectory();
    if (!root.isDirectory())
        return false;

    for (const auto& stray : listEntries(root, juce::File::findFiles, "?*.mp3"))
        stray.deleteFile();

    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        bool needFactory = resetToFactory;
        bool filled = false;
        const auto slotFolder = dirs.slotFolder(slot);
        if (slotFolder.exists())
        {
            const auto nameFolders = listEntries(slotFolder, juce::File::findDirectories, "?*");
            for (int i = resetToFactory ? 0 : 1; i < nameFolders.size(); ++i)
                nameFolders[i].deleteRecursively();

            const auto files = (nameFolders.isEmpty() || resetToFactory)
                                   ? juce::Array<juce::File>()
                                   : listEntries(nameFolders.getFirst(), juce::File::findFiles, "?*.mp3");
            if (!files.isEmpty())
            {
                for (int i = 1; i < files.size(); ++i)
                    files[i].deleteFile();
                auto stored = files.getFirst();
                const auto target =
                    stored.getSiblingFile(hashText(fileContentHash(stored)) + stored.getFileExtension());
                if (stored.moveFileTo(target))
                    stored = target;
                setSlot(slot, nameFolders.getFirst().getFileName(), recordedSize(stored));
                filled = true;
            }
            else
            {
                needFactory = true;
            }
        }
        else
        {
            needFactory = true;
        }

        if (needFactory && fillFromFactory(slot))
            filled = true;
        // A slot left without a stored file neither takes memory nor shows an old name.
        if (!filled)
            setSlot(slot, {}, 0);
    }
    return true;
}

void JingleLibrary::readFromDisk()
{
    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        const auto file = storedFile(slot);
        if (file == juce::File())
            setSlot(slot, {}, 0);
        else
            setSlot(slot, file.getParentDirectory().getFileName(), recordedSize(file));
    }
}
} // namespace NsStrata
