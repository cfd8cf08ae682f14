#pragma once
// The nine-slot jingle library: file checks, memory accounting, loading, renaming and rebuilding (at start on
// a worker thread), and the jingle names the pads show (through Listener; core never touches the screen).
#include "JingleFolders.h"
#include "JingleSizes.h"
#include "JingleStore.h"

#include <juce_events/juce_events.h>

#include <array>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace NsStrata
{
class JingleLibrary
{
public:
    /** Told on the message thread whenever a slot's jingle name changes (the pads show it). */
    class Listener
    {
    public:
        virtual ~Listener() = default;
        virtual void jingleNameChanged(int slot, const juce::String& name) = 0;
        /** A slot's check began or ended (see checkLibraryInBackground). */
        virtual void jingleCheckChanged(int slot, bool checking) { juce::ignoreUnused(slot, checking); }
    };

    explicit JingleLibrary(JingleFolders folders = JingleFolders::standard());
    ~JingleLibrary();

    const JingleFolders& folders() const { return dirs; }
    /** The name of the slot's jingle, empty for an empty slot or a slot outside 1..9. */
    juce::String name(int slot) const;
    /** The slot's stored jingle file as it lies on disk, or an invalid File. */
    juce::File storedFile(int slot) const;

    /** Ok when the whole library may change now; otherwise the warning that says why not: a jingle being
        stored, one being sent to the device (whose stored file the change could pull away), or a slot still
        being checked. Rebuilds are refused while it fails. */
    juce::Result checkCanChange() const;
    /** The same for a change of one slot (a load or a rename): only that slot's check stands in its way. */
    juce::Result checkCanChange(int slot) const;
    /** Ok when the slot's stored file may be sent to the device now: not while the slot is checked. */
    juce::Result checkCanSend(int slot) const;

    /** The checks a file must pass before it may enter slot, in their order; failures carry the message. */
    juce::Result checkJingleFile(int slot, const juce::File& file) const;
    /** Checks and stores file in slot, then records its size and names the slot. Message thread. */
    juce::Result loadJingleFile(int slot, const juce::File& file, const ProgressFn& progress = {});
    /** The same load with the disk work (copy, hash, store) on a worker thread, for large files.
        Returns the refusal at once, or ok when started; then done gets the result on the message thread.
        progress is called on the worker thread. One load runs at a time. */
    juce::Result loadJingleFileInBackground(int slot, const juce::File& file, ProgressFn progress,
                                            std::function<void(juce::Result)> done);
    bool isLoading() const { return loading; }

    /** The checks of a drop of paths on a pad that come before loadJingleFile. */
    static juce::Result checkDroppedFiles(const juce::StringArray& paths);
    /** A drop of paths on the pad of slot: the drop checks, then loadJingleFile. */
    juce::Result dropFiles(int slot, const juce::StringArray& paths);

    /** Renames the slot's jingle; the stored file, its size and the device are not touched. */
    juce::Result renameJingle(int slot, const juce::String& newName);

    /** Restores the library's invariants and refills empty or broken slots (all slots with resetToFactory)
        from the factory set; sets every slot's size and name. False when the root is not a folder, or when
        the library may not change now (see checkCanChange). */
    bool rebuildJingleLibrary(bool resetToFactory);

    /** The rebuild at start, without keeping the screen waiting: every slot's name and size are taken from
        the folders at once (where a slot will be refilled, the factory jingle's), then the hashing, renaming
        and repair run slot by slot on a worker thread. Each slot's outcome is applied on the message thread,
        which ends its check; done is called there after the last. Until then the slot refuses loads,
        renames and sends (checkCanChange, checkCanSend). False, and nothing started, when the root is not a
        folder or the library may not change now. Message thread. */
    bool checkLibraryInBackground(std::function<void()> done = {});
    /** True while any slot, or this slot, is being checked. Message thread. */
    bool isChecking() const;
    bool isChecking(int slot) const;

    /** Takes sizes and names from the library as it lies on disk, changing nothing there. */
    void readFromDisk();

    void addListener(Listener* l);
    void removeListener(Listener* l);

private:
    void setSlot(int slot, const juce::String& name, int32_t size);
    template <typename Fn> void tellListeners(Fn&& fn);
    void setName(int slot, const juce::String& name);
    void setChecking(int slot, bool checking);
    void finishCheck(int slot, const juce::String& name, int32_t size);

    JingleFolders dirs;
    std::array<juce::String, jingleSlotCount> names;
    std::vector<Listener*> listeners;
    std::atomic<bool> loading{false};
    std::thread worker;
    std::array<bool, jingleSlotCount> checking{};
    std::atomic<bool> stopChecking{false};
    std::thread checker;

    JUCE_DECLARE_WEAK_REFERENCEABLE(JingleLibrary)
    JUCE_DECLARE_NON_COPYABLE(JingleLibrary)
};
} // namespace NsStrata
