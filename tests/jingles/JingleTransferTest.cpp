// Sending jingles into the emulated DSP: the chunk schedule, the announcing commands, the flash contents,
// polling, and every way the transfer can fail.
#include "jingles/JingleTransfer.h"
#include "sim/VirtualDspUsb.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

using NsStrata::VirtualDsp;
using NsStrata::VirtualDspRoot;
using Bytes = std::vector<uint8_t>;

namespace
{
/** A stored jingle: content-hash name, a byte pattern that shows any shift or gap. */
juce::File writeJingle(size_t bytes, const char* name = "1234567890.mp3")
{
    Bytes content(bytes);
    for (size_t i = 0; i < bytes; ++i)
        content[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
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

        ASSERT_TRUE(NsStrata::sendJingle(bench.root.get(), c.slot, file, -1, options, &stats));

        const auto& chip = *bench.chip;
        EXPECT_EQ(chip.protocolErrors(), 0) << chip.lastProtocolError();
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
    ASSERT_TRUE(NsStrata::sendJingle(bench.root.get(), 1, file));
    EXPECT_EQ(bench.chip->protocolErrors(), 0) << bench.chip->lastProtocolError();
    const Bytes all = contentOf(file);
    EXPECT_EQ(bench.chip->readFlash(0x100000, 128 * 1024), Bytes(all.begin(), all.begin() + 128 * 1024));
    EXPECT_EQ(bench.chip->readFlash(0x110000, 16), Bytes(16, 0xFF)) << "spilled into the next range";
    EXPECT_EQ(bench.chip->announcedSize(), 160u * 1024);
}

TEST(JingleTransfer, UsesTheRangeSelectorWhenGiven)
{
    Bench bench;
    const auto file = writeJingle(4096);
    ASSERT_TRUE(NsStrata::sendJingle(bench.root.get(), 2, file, 5));
    EXPECT_EQ(bench.chip->announcedStart(), rangeStart(*bench.chip, 5));
    EXPECT_EQ(bench.chip->readFlash(rangeStart(*bench.chip, 5), 4096), contentOf(file));
}

TEST(JingleTransfer, PollsABusyCommandOnceAfterItsDelay)
{
    Bench bench;
    bench.chip->setBusy(1, 1, 200, 0x1234);
    ASSERT_TRUE(NsStrata::sendJingle(bench.root.get(), 1, writeJingle(4096)));
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
    int nested = -1;
    juce::MessageManager::callAsync(
        [&]
        {
            nested = NsStrata::sendJingle(bench.root.get(), 2, file) ? 1 : 0;
            EXPECT_TRUE(NsStrata::isJingleTransferRunning());
        });
    EXPECT_TRUE(NsStrata::sendJingle(bench.root.get(), 1, file));
    EXPECT_EQ(nested, 0);
    EXPECT_FALSE(NsStrata::isJingleTransferRunning());
    EXPECT_EQ(bench.chip->finishCount(), 1);
    EXPECT_EQ(commandCount(*bench.chip, 8), 1);
}

TEST(JingleTransfer, EveryFailureEndsFalseWithinTheTimeLimitsAndReleasesEverything)
{
    using Fault = VirtualDsp::Fault;
    struct Case
    {
        const char* what;
        std::function<RadezOvu*(Bench&)> setUp; // the root to use
        int slot = 1;
        int selector = -1;
        bool withFile = true;
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
    VirtualDsp::Config otherVendor;
    otherVendor.vendorId = 0x1234;
    VirtualDsp::Config noRanges;
    noRanges.ranges.clear();
    RadezOvuRef<VirtualDspRoot> empty(new VirtualDspRoot());
    RadezOvuRef<VirtualDspRoot> foreign(new VirtualDspRoot({std::make_shared<VirtualDsp>(otherVendor)}));
    RadezOvuRef<VirtualDspRoot> rangeless(new VirtualDspRoot({std::make_shared<VirtualDsp>(noRanges)}));

    const Case cases[] = {
        {"no USB access", [](Bench&) -> RadezOvu* { return nullptr; }},
        {"no DSP attached", [&](Bench&) -> RadezOvu* { return empty.get(); }},
        {"only another vendor's device", [&](Bench&) -> RadezOvu* { return foreign.get(); }},
        {"a layout without ranges", [&](Bench&) -> RadezOvu* { return rangeless.get(); }},
        {"slot beyond the ranges", plain, 10},
        {"range selector 0", plain, 1, 0},
        {"no stored file", plain, 1, -1, false},
        {"a page write that fails", fault(Fault::failWrite, 0x1003, 2)},
        {"a page write whose reply never comes", fault(Fault::noReply, 0x1003, 1)},
        {"a command reply cut short", fault(Fault::shortReply, 0x1007, 0)},
        {"a failed finish", fault(Fault::failWrite, 0x1004, 0)},
        {"a poll that fails",
         [](Bench& b) -> RadezOvu*
         {
             b.chip->setBusy(3, 1, 10);
             b.chip->injectFault(Fault::failWrite, 0x1007, 3);
             return b.root.get();
         }},
        {"a command that stays busy",
         [](Bench& b) -> RadezOvu*
         {
             b.chip->setBusy(8, -1, 50);
             return b.root.get();
         },
         1, -1, true, 300},
    };
    const auto file = writeJingle(40960);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const int live = RadezOvuReferencedInstance::liveInstances();
        {
            Bench bench;
            RadezOvu* root = c.setUp(bench);
            NsStrata::JingleTransferOptions options;
            options.pollLimitMs = c.pollLimitMs;
            const auto started = juce::Time::getMillisecondCounterHiRes();
            EXPECT_FALSE(
                NsStrata::sendJingle(root, c.slot, c.withFile ? file : juce::File(), c.selector, options));
            // One transfer time limit (2 s) or the poll limit at most, with room for a slow machine.
            EXPECT_LT(juce::Time::getMillisecondCounterHiRes() - started, 6000.0);
            EXPECT_FALSE(NsStrata::isJingleTransferRunning());
            if (!c.withFile)
            {
                // Announced all the same, as size 0 without a name, before the file fails to open.
                ASSERT_EQ(commandCount(*bench.chip, 8), 1);
                EXPECT_EQ(bench.chip->commands().back().value, 0u);
                EXPECT_EQ(bench.chip->commands().back().text, "");
                EXPECT_TRUE(bench.chip->pageWrites().empty());
            }
        }
        EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), live);
    }
}
