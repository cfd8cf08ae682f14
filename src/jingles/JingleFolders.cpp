#include "JingleFolders.h"

#include "store/AppFolders.h"
#include "store/Assets.h"

#include <filesystem>

namespace NsStrata
{
JingleFolders JingleFolders::standard()
{
    return {AppFolders::jingleLibraryRoot(), AppFolders::tempFolder(),
            getAssetFile("Strata/jingles/origin", true)};
}

juce::File JingleFolders::slotFolder(int slot) const
{
    return root.getChildFile(juce::String(slot));
}

juce::File JingleFolders::factoryFolder(int slot) const
{
    return factory.getChildFile(juce::String(slot));
}

juce::Array<juce::File> listEntries(const juce::File& folder, int what, const juce::String& wildcard)
{
    juce::Array<juce::File> found;
    if (!folder.isDirectory())
        return found;
    for (const auto& entry : juce::RangedDirectoryIterator(folder, false, "*", what))
        if (entry.getFile().getFileName().matchesWildcard(wildcard, true))
            found.add(entry.getFile());

    struct ByName
    {
        static int compareElements(const juce::File& a, const juce::File& b)
        {
            const auto x = a.getFileName(), y = b.getFileName();
            const int folded = x.compareIgnoreCase(y);
            return folded != 0 ? folded : x.compare(y);
        }
    } byName;
    found.sort(byName);
    return found;
}

static std::filesystem::path pathOf(const juce::File& f)
{
    return std::filesystem::u8path(f.getFullPathName().toRawUTF8());
}

bool sameEntry(const juce::File& a, const juce::File& b)
{
    // The file system decides: a path string says nothing about case folding, dropped trailing dots or links.
    std::error_code error;
    const bool same = std::filesystem::equivalent(pathOf(a), pathOf(b), error);
    return error ? a == b : same;
}

bool liesWithin(const juce::File& entry, const juce::File& folder)
{
    std::error_code error;
    auto p = std::filesystem::canonical(pathOf(entry), error);
    if (error)
        return false;
    for (auto parent = p.parent_path(); parent != p; p = parent, parent = p.parent_path())
        if (std::filesystem::equivalent(parent, pathOf(folder), error) && !error)
            return true;
    return false;
}

juce::File storedJingleFile(const JingleFolders& folders, int slot)
{
    const auto nameFolders = listEntries(folders.slotFolder(slot), juce::File::findDirectories, "?*");
    if (nameFolders.isEmpty())
        return {};
    const auto files = listEntries(nameFolders.getFirst(), juce::File::findFiles, "?*.mp3");
    return files.isEmpty() ? juce::File() : files.getFirst();
}

juce::String jingleFilePath(int slot)
{
    const auto file = storedJingleFile(JingleFolders::standard(), slot);
    return file == juce::File() ? juce::String() : file.getFullPathName();
}
} // namespace NsStrata
