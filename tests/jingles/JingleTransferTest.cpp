// Sending jingles into the emulated DSP: the chunk schedule, the announcing commands, the flash contents,
// polling, every way the transfer can fail and what it says then, and what stays safe while it waits.
#include "jingles/JingleTransfer.h"
#include "JingleFixture.h"
#include "sim/VirtualDspUsb.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

using NsStrata::VirtualDsp;
using NsStrata::VirtualDspRoot;
using Bytes = std::vector<uint8_t>;

namespace
{
/** A stored jingle: content-hash name, a byte pattern (picked by seed) that shows any shift or gap. */
juce::File writeJingle(size_t bytes, const char* name = "1234567890.mp3", size_t seed = 0)
{
    Bytes content(bytes);
    for (size_t i = 0; i < bytes; ++i)
        content[i] = static_cast<uint8_t>((i * 7 + i / 251 + seed) & 0xFF);
    auto file = StrataTest::freshFolder("jingle").getChildFile(name);
    file.replaceWithData(content.data(), content.size());
    return file;
}

Bytes contentOf(const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData(block);
    auto* p = static_cast<const uint8_t*>(block.getData());
    return Bytes(p, p + block.getSize());
}

uint32_t rangeStart(const VirtualDsp& chip, int slot)
{
    return static_cast<uint32_t>(chip.config().ranges[static_cast<size_t>(slot - 1)].startHigh) << 16;
}

struct Bench
{
    explicit Bench(VirtualDsp::Config config = VirtualDsp::Config{})
        : chip(std::make_shared<VirtualDsp>(std::move(config))), root(new VirtualDspRoot({chip}))
    {
    }
    std::shared_ptr<VirtualDsp> chip;
    RadezOvuRef<VirtualDspRoot> root;
};

/** A transfer that succeeds and keeps to every rule of the device. */
testing::AssertionResult sent(Bench& bench, int slot, const juce::File& file, int selector = -1,
                              const NsStrata::JingleTransferOptions& options = {},
                              NsStrata::JingleTransferStats* stats = nullptr)
{
    const auto result = NsStrata::sendJingle(bench.root.get(), slot, file, selector, options, stats);
    if (!result.ok)
        return testing::AssertionFailure() << result.text();
    if (!result.text().isEmpty())
        return testing::AssertionFailure() << "a success with a failure's text";
    if (bench.chip->protocolErrors() != 0)
        return testing::AssertionFailure() << "protocol error: " << bench.chip->lastProtocolError();
    return testing::AssertionSuccess();
}

int commandCount(const VirtualDsp& chip, uint16_t code)
{
    int n = 0;
    for (const auto& c : chip.commands())
        n += c.code == code ? 1 : 0;
    return n;
}
} // namespace

TEST(JingleChunkPlan, AboutTenWritesNeverUnderFourPages)
{
    struct Case
    {
        uint32_t pageSize, words, pagesPerChunk, chunkWords;
    };
    const Case cases[] = {
        {128, 20480, 16, 2048},      // 40,960 bytes: ten writes of 16 pages
        {128, 2048, 4, 512},         // 4,096 bytes: the four-page floor
        {128, 0, 4, 512},            // nothing to send still plans a chunk
        {128, 655360, 512, 65536},   // ten full 128 KiB chunks: no halving
        {128, 655359, 256, 32768},   // one word short of that halves once
        {128, 7864320, 512, 65536},  // 15 MiB
        {256, 20480, 8, 2048},       // larger pages
        {64, 1u << 20, 1024, 65536}, // smaller pages, more of them
        {0, 1000, 0, 0},             // no page size: no plan
        {65535, 1u << 20, 1, 65535}, // pages over 64 KiB: one per write
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << "page size " << c.pageSize << ", words " << c.words);
        const auto plan = NsStrata::planJingleChunks(c.pageSize, c.words);
        EXPECT_EQ(plan.pagesPerChunk, c.pagesPerChunk);
        EXPECT_EQ(plan.chunkWords, c.chunkWords);
    }
}

TEST(JingleTransferName, KeepsOnlyWhatTheDeviceAccepts)
{
    const juce::String clef = juce::String::fromUTF8("\xF0\x9D\x84\x9E");
    struct Case
    {
        juce::String name;
        std::string expected;
    };
    const Case cases[] = {
        {"2894718234.mp3", "2894718234.mp3"},
        {"a b/c\\d.mp3", "a_b_c_d.mp3"},
        {"keep.#+-@_", "keep.#+-@_"},
        {juce::String::fromUTF8("caf\xC3\xA9.mp3"), "caf_.mp3"},
        {clef + "x", "__x"}, // one character outside the basic plane is two UTF-16 units
        {juce::String::repeatedString("a", 70), std::string(63, 'a')},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NsStrata::sanitizeDeviceName(c.name), c.expected) << c.name;
}

TEST(JingleTransferResult, HasOneTextEach)
{
    EXPECT_EQ(NsStrata::sendJingleResultText(true), "Send jingle OK!");
    EXPECT_EQ(NsStrata::sendJingleResultText(false), "Send jingle failed!");
}

TEST(JingleTransfer, WritesTheFileAtTheRangeStartInItsChunkSchedule)
{
    struct Case
    {
        size_t bytes;
        int slot;
        size_t writes;
        uint32_t pagesEach;
    };
    const Case cases[] = {{40960, 3, 10, 16}, {4096, 9, 4, 4}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.bytes << " bytes into slot " << c.slot);
        const int live = RadezOvuReferencedInstance::liveInstances();
        Bench bench;
        const auto file = writeJingle(c.bytes);
        std::vector<std::pair<int64_t, int64_t>> progress;
        NsStrata::JingleTransferOptions options;
        options.progress = [&](int64_t written, int64_t total) { progress.emplace_back(written, total); };
        NsStrata::JingleTransferStats stats;

        ASSERT_TRUE(sent(bench, c.slot, file, -1, options, &stats));

        const auto& chip = *bench.chip;
        EXPECT_EQ(chip.pageWrites(), std::vector<uint32_t>(c.writes, c.pagesEach));
        const uint32_t start = rangeStart(chip, c.slot);
        EXPECT_EQ(chip.readFlash(start, static_cast<uint32_t>(c.bytes)), contentOf(file));
        EXPECT_EQ(chip.readFlash(start + static_cast<uint32_t>(c.bytes / 2), 4), Bytes(4, 0xFF))
            << "wrote past the file";
        EXPECT_EQ(chip.finishCount(), 1);

        // Commands 1, 2, 3 and 8 in order: 2 brings back what 1 answered, 3 names the range, 8 the file.
        ASSERT_EQ(chip.commands().size(), 4u);
        const uint16_t codes[] = {1, 2, 3, 8};
        const uint32_t values[] = {0, VirtualDsp::sessionToken, start, static_cast<uint32_t>(c.bytes)};
        for (size_t i = 0; i < 4; ++i)
        {
            EXPECT_EQ(chip.commands()[i].code, codes[i]);
            EXPECT_EQ(chip.commands()[i].value, values[i]);
        }
        EXPECT_EQ(chip.announcedName(), "1234567890.mp3");
        EXPECT_EQ(chip.commands()[0].text, "");

        EXPECT_EQ(stats.writes, static_cast<int>(c.writes));
        EXPECT_EQ(stats.bytes, static_cast<int64_t>(c.bytes));
        ASSERT_EQ(progress.size(), c.writes);
        EXPECT_EQ(progress.back(), std::make_pair(int64_t(c.bytes), int64_t(c.bytes)));
        bench.root.reset();
        EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), live);
    }
}

TEST(JingleTransfer, CutsAFileLongerThanItsRangeAtTheRangeEnd)
{
    VirtualDsp::Config config;
    config.ranges = {{0x0010, 0x0011, 0, "SMALL"}, {0x0011, 0x0020, 0, "NEXT"}}; // 128 KiB, then more
    Bench bench(config);
    const auto file = writeJingle(160 * 1024);
    ASSERT_TRUE(sent(bench, 1, file));
    const Bytes all = contentOf(file);
    EXPECT_EQ(bench.chip->readFlash(0x100000, 128 * 1024), Bytes(all.begin(), all.begin() + 128 * 1024));
    EXPECT_EQ(bench.chip->readFlash(0x110000, 16), Bytes(16, 0xFF)) << "spilled into the next range";
    EXPECT_EQ(bench.chip->announcedSize(), 128u * 1024) << "the device is told what it gets";
}

TEST(JingleTransfer, FillsTheLastPageWithThePaddingByte)
{
    // Page size 128 words: 256 bytes a page. An odd length keeps its last byte, in a word of its own.
    for (size_t bytes : {size_t{1001}, size_t{5000}, size_t{4098}})
    {
        SCOPED_TRACE(testing::Message() << bytes << " bytes");
        Bench bench;
        const auto file = writeJingle(bytes);
        ASSERT_TRUE(sent(bench, 4, file));
        const size_t pageBytes = (bytes + 255) / 256 * 256;
        Bytes expected = contentOf(file);
        expected.resize(pageBytes, 0x55);
        const uint32_t start = rangeStart(*bench.chip, 4);
        EXPECT_EQ(bench.chip->readFlash(start, static_cast<uint32_t>(pageBytes)), expected);
        EXPECT_EQ(bench.chip->readFlash(start + static_cast<uint32_t>(pageBytes / 2), 4), Bytes(4, 0xFF));
        EXPECT_EQ(bench.chip->announcedSize(), bytes);
    }
}

TEST(JingleTransfer, ASecondTransferIntoTheSameSlotReplacesTheFirst)
{
    Bench bench;
    const auto first = writeJingle(8192, "111.mp3", 1);
    const auto second = writeJingle(5000, "222.mp3", 2);
    ASSERT_TRUE(sent(bench, 6, first));
    ASSERT_TRUE(sent(bench, 6, second));

    // Erased before it was written again: no bit of the first jingle shows through.
    Bytes expected = contentOf(second);
    expected.resize(5120, 0x55);
    expected.resize(8192, 0xFF);
    EXPECT_EQ(bench.chip->readFlash(rangeStart(*bench.chip, 6), 8192), expected);
    EXPECT_EQ(bench.chip->eraseCount(), 2);
    EXPECT_EQ(bench.chip->finishCount(), 2);
    EXPECT_EQ(bench.chip->announcedName(), "222.mp3");
}

TEST(JingleTransfer, UsesTheRangeSelectorWhenGiven)
{
    Bench bench;
    const auto file = writeJingle(4096);
    ASSERT_TRUE(sent(bench, 2, file, 5));
    EXPECT_EQ(bench.chip->announcedStart(), rangeStart(*bench.chip, 5));
    EXPECT_EQ(bench.chip->readFlash(rangeStart(*bench.chip, 5), 4096), contentOf(file));
}

TEST(JingleTransfer, PollsABusyCommandOnceAfterItsDelay)
{
    Bench bench;
    bench.chip->setBusy(1, 1, 200, 0x1234);
    ASSERT_TRUE(sent(bench, 1, writeJingle(4096)));
    const auto& commands = bench.chip->commands();
    ASSERT_GE(commands.size(), 2u);
    ASSERT_EQ(commandCount(*bench.chip, 1), 2);
    EXPECT_EQ(commands[1].text, "");
    EXPECT_GE(commands[1].atMs - commands[0].atMs, 195.0);
}

TEST(JingleTransfer, RefusesASecondTransferWhileOneWaits)
{
    Bench bench;
    bench.chip->setBusy(1, 1, 100);
    const auto file = writeJingle(4096);
    NsStrata::JingleTransferResult nested;
    nested.ok = true;
    juce::MessageManager::callAsync(
        [&]
        {
            nested = NsStrata::sendJingle(bench.root.get(), 2, file);
            EXPECT_TRUE(NsStrata::isJingleTransferRunning());
        });
    EXPECT_TRUE(sent(bench, 1, file));
    EXPECT_FALSE(nested.ok);
    EXPECT_EQ(nested.text(), "start: another jingle is being sent");
    EXPECT_FALSE(NsStrata::isJingleTransferRunning());
    EXPECT_EQ(bench.chip->finishCount(), 1);
    EXPECT_EQ(commandCount(*bench.chip, 8), 1);
}

TEST(JingleTransfer, EveryFailureNamesItsStepWithinTheTimeLimitsAndReleasesEverything)
{
    using Fault = VirtualDsp::Fault;
    struct Case
    {
        const char* what;
        const char* step;
        std::function<RadezOvu*(Bench&)> setUp; // the root to use
        int slot = 1;
        int selector = -1;
        int fileBytes = 40960; // -1: no stored file
        int pollLimitMs = 10000;
    };
    auto plain = [](Bench& b) -> RadezOvu* { return b.root.get(); };
    auto fault = [](Fault f, uint16_t request, int skip)
    {
        return [=](Bench& b) -> RadezOvu*
        {
            b.chip->injectFault(f, request, skip);
            return b.root.get();
        };
    };
    auto reply = [](uint16_t request, Bytes bytes, int skip)
    {
        return [=](Bench& b) -> RadezOvu*
        {
            b.chip->injectReply(request, bytes, skip);
            return b.root.get();
        };
    };
    auto rootOf = [](VirtualDsp::Config config)
    {
        return std::make_shared<RadezOvuRef<VirtualDspRoot>>(
            new VirtualDspRoot({std::make_shared<VirtualDsp>(config)}));
    };
    VirtualDsp::Config otherVendor, noRanges, denied, emptyRange;
    otherVendor.vendorId = 0x1234;
    noRanges.ranges.clear();
    denied.refusesOpen = true;
    emptyRange.ranges = {{0x0010, 0x0010, 0, "EMPTY"}};
    RadezOvuRef<VirtualDspRoot> empty(new VirtualDspRoot());
    const auto foreign = rootOf(otherVendor), rangeless = rootOf(noRanges), locked = rootOf(denied),
               hollow = rootOf(emptyRange);
    auto use = [](const std::shared_ptr<RadezOvuRef<VirtualDspRoot>>& r)
    {
        return [r](Bench&) -> RadezOvu* { return r->get(); };
    };
    const Bytes statusOnly{0, 0, 'O', 'K', 0, 0}; // six bytes: the status is missing
    Bytes refusal{0, 0, 'O', 'K', 0, 0, 2, 0};

    const Case cases[] = {
        {"no USB access", "find the DSP", [](Bench&) -> RadezOvu* { return nullptr; }},
        {"no DSP attached", "find the DSP", [&](Bench&) -> RadezOvu* { return empty.get(); }},
        {"only another vendor's device", "find the DSP", use(foreign)},
        {"a DSP this user may not open", "find the DSP", use(locked)},
        {"a layout without ranges", "read the flash layout", use(rangeless)},
        {"slot beyond the ranges", "choose the flash range", plain, 10},
        {"range selector 0", "choose the flash range", plain, 1, 0},
        {"a range that ends where it starts", "choose the flash range", use(hollow)},
        {"no stored file", "read the file", plain, 1, -1, -1},
        {"an empty stored file", "read the file", plain, 1, -1, 0},
        {"a command the device refuses", "command 2", reply(0x1007, refusal, 1)},
        {"a command reply cut short", "command 1", fault(Fault::shortReply, 0x1007, 0)},
        {"a command reply too short for a status", "command 8", reply(0x1007, statusOnly, 3)},
        {"an empty reply to begin", "begin", reply(0x1001, {}, 0)},
        {"a page write that fails", "page write", fault(Fault::failWrite, 0x1003, 2)},
        {"a page write whose reply never comes", "page write", fault(Fault::noReply, 0x1003, 1)},
        {"a failed finish", "finish", fault(Fault::failWrite, 0x1004, 0)},
        {"a poll that fails", "command 3",
         [](Bench& b) -> RadezOvu*
         {
             b.chip->setBusy(3, 1, 10);
             b.chip->injectFault(Fault::failWrite, 0x1007, 3);
             return b.root.get();
         }},
        {"a command that stays busy", "command 8",
         [](Bench& b) -> RadezOvu*
         {
             b.chip->setBusy(8, -1, 50);
             return b.root.get();
         },
         1, -1, 40960, 300},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const int live = RadezOvuReferencedInstance::liveInstances();
        {
            Bench bench;
            RadezOvu* root = c.setUp(bench);
            const auto file = c.fileBytes < 0 ? juce::File() : writeJingle(static_cast<size_t>(c.fileBytes));
            NsStrata::JingleTransferOptions options;
            options.pollLimitMs = c.pollLimitMs;
            const auto started = juce::Time::getMillisecondCounterHiRes();
            const auto result = NsStrata::sendJingle(root, c.slot, file, c.selector, options);
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.step, c.step) << result.text();
            EXPECT_TRUE(result.reason.isNotEmpty());
            EXPECT_EQ(result.text(), result.step + ": " + result.reason);
            EXPECT_EQ(bench.chip->protocolErrors(), 0) << bench.chip->lastProtocolError();
            // One transfer time limit (2 s) or the poll limit at most, with room for a slow machine.
            EXPECT_LT(juce::Time::getMillisecondCounterHiRes() - started, 6000.0);
            EXPECT_FALSE(NsStrata::isJingleTransferRunning());
            if (c.fileBytes <= 0)
            {
                // Announced all the same, as size 0, before the file fails.
                ASSERT_EQ(commandCount(*bench.chip, 8), 1);
                EXPECT_EQ(bench.chip->commands().back().value, 0u);
                EXPECT_TRUE(bench.chip->pageWrites().empty());
            }
        }
        EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), live);
    }
}

TEST(JingleTransfer, SaysWhatTheUsbLayerSaid)
{
    struct Case
    {
        const char* what;
        std::function<void(VirtualDsp&)> setUp;
        const char* text;
        bool accessDenied;
    };
    const Case cases[] = {
        {"a command refused with its reply status",
         [](VirtualDsp& chip) {
             chip.injectReply(0x1007, {0, 0, 'O', 'K', 0, 0, 2, 0}, 1);
         },
         "command 2: the device refused it (reply status 2, 0 words)", false},
        {"a reply with no status",
         [](VirtualDsp& chip) {
             chip.injectReply(0x1007, {0, 0, 'O', 'K', 0, 0}, 3);
         },
         "command 8: reply read: a reply of 6 bytes, too short to carry a status", false},
        {"a stalled page write",
         [](VirtualDsp& chip) { chip.injectFault(VirtualDsp::Fault::failWrite, 0x1003); },
         "page write: request write: the device stalled the transfer", false},
        {"no permission", [](VirtualDsp&) {},
         "find the DSP: no permission to open the DSP (access denied): install the udev rule "
         "packaging/linux/60-strata.rules into /etc/udev/rules.d and plug the mixer in again",
         true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        VirtualDsp::Config config;
        config.refusesOpen = c.accessDenied;
        Bench bench(config);
        c.setUp(*bench.chip);
        const auto result = NsStrata::sendJingle(bench.root.get(), 1, writeJingle(4096));
        EXPECT_EQ(result.text(), c.text);
        EXPECT_EQ(result.accessDenied, c.accessDenied);
    }
}

TEST(JingleTransfer, ATeardownWhileItWaitsFreesNothingUnderIt)
{
    struct WatchedRoot : VirtualDspRoot
    {
        using VirtualDspRoot::VirtualDspRoot;
        ~WatchedRoot() override { *gone = true; }
        bool* gone = nullptr;
    };
    bool gone = false, goneMeanwhile = true;
    auto chip = std::make_shared<VirtualDsp>();
    chip->setBusy(3, 1, 100);
    auto* root = new WatchedRoot(std::vector<VirtualDspRoot::Interface>{chip});
    root->gone = &gone;
    // The screen goes while the transfer waits for the device, and gives up its root as it goes.
    juce::MessageManager::callAsync(
        [&]
        {
            root->release();
            goneMeanwhile = gone;
        });
    const auto result = NsStrata::sendJingle(root, 1, writeJingle(4096));
    EXPECT_TRUE(result.ok) << result.text();
    EXPECT_FALSE(goneMeanwhile) << "the root went while the transfer had its device open";
    EXPECT_TRUE(gone) << "the root went with the transfer's last object";
    EXPECT_EQ(chip->protocolErrors(), 0) << chip->lastProtocolError();
}

TEST_F(JingleTest, TheLibraryStaysAsItIsWhileAJingleIsSent)
{
    putStored(2, "Old", "111.mp3", 4096);
    writeBytes(folders.factoryFolder(2).getChildFile("Factory.mp3"), 5000);
    library->readFromDisk();
    const auto newFile = source("New.mp3", 5000);
    const juce::String sending = "WARNING: A jingle is being sent to the device!";

    Bench bench;
    bench.chip->setBusy(3, 1, 100);
    juce::StringArray refusals, before, after;
    bool rebuilt = true, reset = true;
    auto messageOf = [](const juce::Result& r)
    { return r.wasOk() ? juce::String("ok") : r.getErrorMessage(); };
    juce::MessageManager::callAsync(
        [&]
        {
            before = treeSnapshot(folders.root);
            refusals.add(messageOf(library->checkCanChange()));
            refusals.add(messageOf(library->loadJingleFile(2, newFile)));
            refusals.add(messageOf(library->loadJingleFileInBackground(3, newFile, {}, {})));
            refusals.add(messageOf(library->dropFiles(4, {newFile.getFullPathName()})));
            refusals.add(messageOf(library->renameJingle(2, "Renamed")));
            rebuilt = library->rebuildJingleLibrary(false);
            reset = library->rebuildJingleLibrary(true);
            after = treeSnapshot(folders.root);
        });
    ASSERT_TRUE(sent(bench, 2, library->storedFile(2)));

    ASSERT_EQ(refusals.size(), 5);
    for (const auto& refusal : refusals)
        EXPECT_EQ(refusal, sending);
    EXPECT_FALSE(rebuilt);
    EXPECT_FALSE(reset);
    EXPECT_EQ(after, before);
    EXPECT_EQ(library->name(2), "Old");
    EXPECT_FALSE(library->isLoading());

    // Once it is sent, the library takes changes again.
    EXPECT_TRUE(library->checkCanChange().wasOk());
    EXPECT_TRUE(library->renameJingle(2, "Renamed").wasOk());
}
