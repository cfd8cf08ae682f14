#pragma once
// The disk work of putting a jingle into a slot: the padded copy, its hash and the name folder. Touches no
// process-wide state, so it can run on a worker thread.
#include "ContentHash.h"
#include "JingleFolders.h"

#include <cstdint>

namespace NsStrata
{
/** The device writes jingles in whole pages; stored files are padded up to a multiple of this. */
constexpr int jinglePageBytes = 4096;
constexpr uint8_t jinglePadByte = 0x55;

/** Bytes of padding that bring size up to the next multiple of a page (0 for an exact multiple). */
int64_t jinglePadding(int64_t size);

struct PreparedCopy
{
    juce::File file;      // the padded copy in the temporary folder
    int64_t unpadded = 0; // the source's size
    int64_t padding = 0;
    int32_t sourceHash = 0; // fileContentHash of the source's bytes, taken while copying
    bool tooLarge = false;  // the source held more than the copy may take
};

/** The folder below the temporary folder that holds the library's copies, and nothing else. */
juce::File jingleCopyFolder(const juce::File& tempFolder);

/** Empties the library's copy folder below the temporary folder (sparing source, should it lie there),
    copies source into it under its own name (another where that is source itself) and pads the copy.
    Whatever else lies in the temporary folder is not the library's and stays. False when any of it fails, or
   when more than maxBytes arrive (then with tooLarge set). */
bool preparePaddedCopy(const juce::File& source, const juce::File& tempFolder, PreparedCopy& out,
                       const ProgressFn& progress = {}, int64_t maxBytes = INT64_MAX);

/** The refusal of a file larger than the memory left for its slot. */
juce::String memoryLeftText(int32_t left);

struct StoredJingle
{
    juce::String name; // the name folder's name
    juce::File file;   // the stored jingle file
    int32_t size = 0;  // its size, padding included
};

/** Stores source as the jingle of slot: the padded copy goes to slot folder/name/hash.mp3, then everything
    else in the slot folder goes. A padded copy larger than memoryLeft is refused with the memory message. On
    failure the slot is left as it was and nothing half-made stays. */
juce::Result storeJingle(const JingleFolders& folders, int slot, const juce::File& source, StoredJingle& out,
                         int32_t memoryLeft, const ProgressFn& progress = {});
} // namespace NsStrata
