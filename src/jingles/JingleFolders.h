#pragma once
// Where the jingle library, its scratch folder and the factory set lie, and how their folders are listed.
#include <juce_core/juce_core.h>

namespace NsStrata
{
struct JingleFolders
{
    juce::File root;    // the library: one folder per slot
    juce::File temp;    // scratch space for the padded copy
    juce::File factory; // read-only factory set: one folder per slot, one MP3 in each

    /** The folders of this installation (data folder and shipped assets). */
    static JingleFolders standard();

    juce::File slotFolder(int slot) const;
    juce::File factoryFolder(int slot) const;
};

/** Entries of folder matching the wildcard case-insensitively on every platform, hidden ones included, in
    name order (which is what the original platform's listing gives; elsewhere the listing has no order).
    what is juce::File::findFiles or juce::File::findDirectories. */
juce::Array<juce::File> listEntries(const juce::File& folder, int what, const juce::String& wildcard);

/** True when both name the same file or folder on disk, however they are spelt (case, links); two paths to
    nothing are the same only when they are spelt alike. */
bool sameEntry(const juce::File& a, const juce::File& b);

/** True when entry lies somewhere below folder, links followed. */
bool liesWithin(const juce::File& entry, const juce::File& folder);

/** The first name folder of the slot and the first MP3 in it: the stored jingle file, or an invalid File. */
juce::File storedJingleFile(const JingleFolders& folders, int slot);

/** Full path of the stored jingle file of slot in this installation's library, or an empty string. */
juce::String jingleFilePath(int slot);
} // namespace NsStrata
