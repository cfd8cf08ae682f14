#include "JingleLibrary.h"

#include "JingleName.h"
#include "JingleRepair.h"
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

// Translated when shown: the language may change while the program runs.
juce::String checkingText()
{
    return "WARNING: " + TRANS("The jingles are still being checked, please try again in a moment!");
}

// Sizes are kept in 32 bits; a size beyond that range reads as -1, which no check lets through.
int32_t size32(juce::int64 size)
{
    return (size >= 0 && size <= std::numeric_limits<int32_t>::max()) ? (int32_t) size : -1;
}
} // namespace

JingleLibrary::JingleLibrary(JingleFolders folders) : dirs(std::move(folders)) {}

JingleLibrary::~JingleLibrary()
{
    // A check still running stops after its current slot; what it has not reached is put in order next time.
    stopChecking = true;
    if (checker.joinable())
        checker.join();
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

template <typename Fn> void JingleLibrary::tellListeners(Fn&& fn)
{
    // A copy, so a listener may remove itself while it is told.
    const auto toTell = listeners;
    for (auto* l : toTell)
        if (std::find(listeners.begin(), listeners.end(), l) != listeners.end())
            fn(*l);
}

void JingleLibrary::setName(int slot, const juce::String& newName)
{
    names[(size_t) slot - 1] = newName;
    tellListeners([&](Listener& l) { l.jingleNameChanged(slot, newName); });
}

void JingleLibrary::setSlot(int slot, const juce::String& newName, int32_t size)
{
    jingleSizes().set(slot, size);
    setName(slot, newName);
}

juce::Result JingleLibrary::checkCanChange() const
{
    const auto free = checkCanChange(0);
    if (free.failed())
        return free;
    return isChecking() ? juce::Result::fail(checkingText()) : juce::Result::ok();
}

juce::Result JingleLibrary::checkCanChange(int slot) const
{
    // The transfer runs the message loop while it waits, so the screen can ask for any of these meanwhile.
    if (isJingleTransferRunning())
        return juce::Result::fail(sendingText);
    if (loading)
        return juce::Result::fail(busyText);
    return checkCanSend(slot);
}

juce::Result JingleLibrary::checkCanSend(int slot) const
{
    return isChecking(slot) ? juce::Result::fail(checkingText()) : juce::Result::ok();
}

bool JingleLibrary::isChecking() const
{
    return std::find(checking.begin(), checking.end(), true) != checking.end();
}

bool JingleLibrary::isChecking(int slot) const
{
    return validSlot(slot) && checking[(size_t) slot - 1];
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
    const auto free = checkCanChange(slot);
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
    const auto free = checkCanChange(slot);
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
    const auto free = checkCanChange(slot);
    if (free.failed())
        return free;

    const auto slotFolder = dirs.slotFolder(slot);
    const auto nameFolders = listEntries(slotFolder, juce::File::findDirectories, "*");
    if (nameFolders.isEmpty() || !nameFolders.getFirst().moveFileTo(slotFolder.getChildFile(newName)))
        return juce::Result::fail(renameFailedText);

    setName(slot, newName);
    return juce::Result::ok();
}

bool JingleLibrary::rebuildJingleLibrary(bool resetToFactory)
{
    if (checkCanChange().failed() || !prepareLibraryRoot(dirs))
        return false;
    removeStrayJingles(dirs);
    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        const auto content = repairSlot(dirs, slot, resetToFactory);
        setSlot(slot, content.name, content.size);
    }
    return true;
}

void JingleLibrary::setChecking(int slot, bool on)
{
    checking[(size_t) slot - 1] = on;
    tellListeners([&](Listener& l) { l.jingleCheckChanged(slot, on); });
}

void JingleLibrary::finishCheck(int slot, const juce::String& newName, int32_t size)
{
    jingleSizes().set(slot, size);
    if (newName != names[(size_t) slot - 1])
        setName(slot, newName);
    setChecking(slot, false);
}

bool JingleLibrary::checkLibraryInBackground(std::function<void()> done)
{
    if (checkCanChange().failed() || !prepareLibraryRoot(dirs))
        return false;
    if (checker.joinable())
        checker.join();

    for (int slot = 1; slot <= jingleSlotCount; ++slot)
        setChecking(slot, true);
    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        const auto content = previewSlot(dirs, slot);
        setSlot(slot, content.name, content.size);
    }

    juce::WeakReference<JingleLibrary> self(this);
    checker = std::thread(
        [self, folders = dirs, stop = &stopChecking, done = std::move(done)]
        {
            removeStrayJingles(folders);
            for (int slot = 1; slot <= jingleSlotCount && !*stop; ++slot)
            {
                const auto content = repairSlot(folders, slot, false);
                juce::MessageManager::callAsync(
                    [self, slot, content, done]
                    {
                        if (auto* library = self.get())
                        {
                            library->finishCheck(slot, content.name, content.size);
                            if (slot == jingleSlotCount && done)
                                done();
                        }
                    });
            }
        });
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
            setSlot(slot, file.getParentDirectory().getFileName(), recordedJingleSize(file));
    }
}
} // namespace NsStrata
