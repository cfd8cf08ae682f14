// bench_jingles: what storing jingles costs on this machine: adding a full-size MP3 (hash, pad, store), the
// hash throughput, rebuilding a full library, and the check at start: how long the screen waits before the
// pads can show the names (target: well under the 300 ms a first frame may take), and when the check ends.
#include "jingles/ContentHash.h"
#include "jingles/JingleLibrary.h"
#include "store/Assets.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace NsStrata;

namespace
{
constexpr size_t mib = 1024 * 1024;

double nowMs()
{
    return juce::Time::getMillisecondCounterHiRes();
}

template <typename Fn> double medianMs(int runs, Fn&& fn)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        const double start = nowMs();
        fn();
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

juce::MemoryBlock randomBytes(size_t size, juce::int64 seed)
{
    juce::MemoryBlock bytes(size);
    juce::Random random(seed);
    random.fillBitsRandomly(bytes.getData(), bytes.getSize());
    return bytes;
}
} // namespace

int main()
{
    juce::ScopedJuceInitialiser_GUI juce; // the check at start reports through the message loop
    const auto work = juce::File::getSpecialLocation(juce::File::tempDirectory)
                          .getNonexistentChildFile("bench_jingles", "", false);
    work.createDirectory();
    const JingleFolders folders{work.getChildFile("library"), work.getChildFile("temp"),
                                getAssetFile("Strata/jingles/origin", true)};
    constexpr int runs = 5;

    // A file of exactly the device's jingle memory: the largest a slot can take.
    const auto full = work.getChildFile("Full Size.mp3");
    const auto fullBytes = randomBytes((size_t) jingleMemoryBytes, 1);
    full.replaceWithData(fullBytes.getData(), fullBytes.getSize());

    const double hashMs = medianMs(runs, [&] { (void) contentHash(fullBytes, 0.0); });
    const double fileHashMs = medianMs(runs, [&] { (void) fileContentHash(full); });

    JingleLibrary library(folders);
    bool stored = true;
    const double addMs = medianMs(runs,
                                  [&]
                                  {
                                      jingleSizes().reset();
                                      stored = stored && library.loadJingleFile(1, full).wasOk();
                                  });

    // A full library: nine stored jingles sharing the memory, then a rebuild that hashes them all.
    jingleSizes().reset();
    folders.root.deleteRecursively();
    const size_t share = (size_t) jingleMemoryBytes / jingleSlotCount / jinglePageBytes * jinglePageBytes;
    for (int slot = 1; slot <= jingleSlotCount; ++slot)
    {
        const auto file =
            folders.slotFolder(slot).getChildFile("Jingle " + juce::String(slot)).getChildFile("0.mp3");
        file.getParentDirectory().createDirectory();
        const auto bytes = randomBytes(share, slot);
        file.replaceWithData(bytes.getData(), bytes.getSize());
    }
    bool rebuilt = true;
    const double rebuildMs =
        medianMs(runs, [&] { rebuilt = rebuilt && library.rebuildJingleLibrary(false); });

    // The check at start on the same full library: the call returns once every name is known.
    double namesShownMs = 0.0;
    const double checkDoneMs =
        medianMs(runs,
                 [&]
                 {
                     bool done = false;
                     const double start = nowMs();
                     rebuilt = rebuilt && library.checkLibraryInBackground([&] { done = true; });
                     namesShownMs = std::max(namesShownMs, nowMs() - start);
                     while (!done)
                         juce::MessageManager::getInstance()->runDispatchLoopUntil(5);
                 });
    const bool factoryFound = folders.factoryFolder(1).isDirectory();
    const double resetMs =
        factoryFound ? medianMs(runs, [&] { rebuilt = rebuilt && library.rebuildJingleLibrary(true); }) : 0.0;

    const double sizeMiB = (double) jingleMemoryBytes / (double) mib;
    std::printf("bench_jingles: median of %d runs\n", runs);
    std::printf("add a %.0f MiB MP3 (hash, pad, store): %8.1f ms%s\n", sizeMiB, addMs,
                stored ? "" : "  (FAILED)");
    std::printf("hash throughput, in memory:            %8.1f MiB/s (%.1f ms for %.0f MiB)\n",
                sizeMiB / (hashMs / 1000.0), hashMs, sizeMiB);
    std::printf("hash throughput, from file:            %8.1f MiB/s\n", sizeMiB / (fileHashMs / 1000.0));
    std::printf("rebuild a full library (9 x %.2f MiB):  %8.1f ms%s\n", (double) share / (double) mib,
                rebuildMs, rebuilt ? "" : "  (FAILED)");
    std::printf("check at start, names shown (slowest):  %8.1f ms\n", namesShownMs);
    std::printf("check at start, all slots checked:     %8.1f ms\n", checkDoneMs);
    if (factoryFound)
        std::printf("reset to the factory set:              %8.1f ms\n", resetMs);
    else
        std::printf("reset to the factory set: skipped (no factory set beside the program)\n");

    std::printf("{\"bench\": \"bench_jingles\", \"addMs\": %.1f, \"hashMiBPerSecond\": %.1f, "
                "\"fileHashMiBPerSecond\": %.1f, \"rebuildMs\": %.1f, \"checkNamesShownMs\": %.1f, "
                "\"checkDoneMs\": %.1f, \"resetMs\": %s, \"ok\": %s}\n",
                addMs, sizeMiB / (hashMs / 1000.0), sizeMiB / (fileHashMs / 1000.0), rebuildMs, namesShownMs,
                checkDoneMs, factoryFound ? juce::String(resetMs, 1).toRawUTF8() : "null",
                stored && rebuilt ? "true" : "false");
    work.deleteRecursively();
    return stored && rebuilt ? 0 : 1;
}
