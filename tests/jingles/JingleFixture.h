#pragma once
// A jingle library of its own per test: fresh root, temporary and factory folders, and clean memory
// accounting.
#include "jingles/JingleLibrary.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

#include <functional>

/** Writes size bytes of repeatable pseudo-random content (seed picks which) to file, creating its folder. */
inline juce::MemoryBlock writeBytes(const juce::File& file, size_t size, juce::int64 seed = 1)
{
    juce::MemoryBlock bytes(size);
    juce::Random random(seed);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = (char) random.nextInt(256);
    file.getParentDirectory().createDirectory();
    EXPECT_TRUE(file.replaceWithData(bytes.getData(), bytes.getSize())) << file.getFullPathName();
    return bytes;
}

/** n padding bytes of 0x55. */
inline juce::MemoryBlock paddingBytes(size_t n)
{
    juce::MemoryBlock bytes;
    for (size_t i = 0; i < n; ++i)
        bytes.append("\x55", 1);
    return bytes;
}

inline juce::MemoryBlock readBytes(const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData(bytes);
    return bytes;
}

/** Every file and folder below root, relative, with file sizes: a picture of the tree to compare. */
inline juce::StringArray treeSnapshot(const juce::File& root)
{
    juce::StringArray lines;
    for (const auto& entry :
         juce::RangedDirectoryIterator(root, true, "*", juce::File::findFilesAndDirectories))
    {
        const auto f = entry.getFile();
        lines.add(f.getRelativePathFrom(root) + (f.isDirectory() ? "/" : " " + juce::String(f.getSize())));
    }
    lines.sort(false);
    return lines;
}

/** Names of the entries directly in folder, sorted. */
inline juce::StringArray entryNames(const juce::File& folder, int what)
{
    juce::StringArray names;
    for (const auto& f : folder.findChildFiles(what, false, "*"))
        names.add(f.getFileName());
    names.sort(false);
    return names;
}

class RecordingListener : public NsStrata::JingleLibrary::Listener
{
public:
    void jingleNameChanged(int slot, const juce::String& name) override
    {
        told.add(juce::String(slot) + "=" + name);
    }
    /** Checks as "slot+" (began) and "slot-" (ended); onCheck runs after each is recorded. */
    void jingleCheckChanged(int slot, bool checking) override
    {
        checks.add(juce::String(slot) + (checking ? "+" : "-"));
        if (onCheck)
            onCheck(slot, checking);
    }
    juce::StringArray told, checks;
    std::function<void(int, bool)> onCheck;
};

class JingleTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        NsStrata::jingleSizes().reset();
        base = StrataTest::freshFolder("jingles");
        folders = {base.getChildFile("library"), base.getChildFile("temp"), base.getChildFile("factory")};
        sources = base.getChildFile("sources");
        library = std::make_unique<NsStrata::JingleLibrary>(folders);
        library->addListener(&listener);
    }

    void TearDown() override
    {
        library.reset();
        NsStrata::jingleSizes().reset();
        base.deleteRecursively();
    }

    /** A source file for loading, outside the library. */
    juce::File source(const juce::String& name, size_t size, juce::int64 seed = 1)
    {
        const auto f = sources.getChildFile(name);
        writeBytes(f, size, seed);
        return f;
    }

    /** Puts a stored jingle file into the library by hand: slot/name/fileName. */
    juce::File putStored(int slot, const juce::String& name, const juce::String& fileName, size_t size,
                         juce::int64 seed = 1)
    {
        const auto f = folders.slotFolder(slot).getChildFile(name).getChildFile(fileName);
        writeBytes(f, size, seed);
        return f;
    }

    /** Makes the other slots take all the memory but left bytes, as far as slot is concerned. */
    void leaveMemory(int slot, int32_t left)
    {
        NsStrata::jingleSizes().reset();
        NsStrata::jingleSizes().set(slot == 1 ? 2 : 1, NsStrata::jingleMemoryBytes - left);
        ASSERT_EQ(NsStrata::jingleSizes().memoryLeft(slot), left);
    }

    juce::File base, sources;
    NsStrata::JingleFolders folders;
    RecordingListener listener;
    std::unique_ptr<NsStrata::JingleLibrary> library;
};
