#pragma once
// The disk work of a library rebuild, one slot at a time: what a slot will hold, read at a glance, and the
// hashing, renaming and refilling that put it in order. Touches no process-wide state, so it can run on a
// worker thread.
#include "JingleFolders.h"

#include <cstdint>

namespace NsStrata
{
/** What a slot holds: its name folder's name and its stored file's size; empty and 0 for an empty slot. */
struct SlotContent
{
    juce::String name;
    int32_t size = 0;
};

/** Creates the library root when it is missing; false when it is then not a folder. */
bool prepareLibraryRoot(const JingleFolders& folders);

/** Deletes the MP3 files that lie directly in the library root. */
void removeStrayJingles(const JingleFolders& folders);

/** What repairSlot will leave in the slot, read from the folders without hashing or changing anything: the
    first name folder and its first MP3, else the factory jingle (padded), else nothing. */
SlotContent previewSlot(const JingleFolders& folders, int slot);

/** Puts the slot in order: keeps its first name folder and the first MP3 in it, renamed to its content
    hash, and deletes the rest; refills it from the factory set when nothing usable is left, or always with
    resetToFactory. Returns what the slot holds afterwards. */
SlotContent repairSlot(const JingleFolders& folders, int slot, bool resetToFactory);

/** The size a stored file counts for: its length, or the most 32 bits can say for a larger one. */
int32_t recordedJingleSize(const juce::File& file);
} // namespace NsStrata
