// The flash programmer: layout replies, ranges, page writes and the command channel, and the order the
// device holds them to.
#include "DspTestSupport.h"

#include "radezovu/FlashProgrammerCore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using DspTest::OpenedDsp;
using DspTest::putWord;
using Bytes = std::vector<uint8_t>;
using Programmer = RadezOvuCore::FlashProgrammer_Core;

namespace
{
/** Layout data: header, then `count` records of the given format, each named after `name`. */
Bytes layout(uint16_t pageSize, uint16_t count, uint16_t format, const char* name = "SLOT",
             size_t recordBytes = 0)
{
    Bytes out;
    for (uint16_t w : {pageSize, count, format, uint16_t{0}})
        putWord(out, w);
    for (uint16_t i = 0; i < count; ++i)
    {
        putWord(out, static_cast<uint16_t>(0x0010 + i));
        putWord(out, static_cast<uint16_t>(0x0011 + i));
        if (format == 1)
        {
            putWord(out, static_cast<uint16_t>(0x0700 + i));
            out.insert(out.end(), 6, 0xEE);
        }
        Bytes field(12, 0);
        std::memcpy(field.data(), name, std::min<size_t>(12, std::strlen(name)));
        out.insert(out.end(), field.begin(), field.end());
    }
    if (recordBytes != 0)
        out.resize(8 + recordBytes);
    return out;
}

Bytes withFormat(Bytes data, uint16_t format)
{
    data[4] = static_cast<uint8_t>(format);
    return data;
}

struct OpenedProgrammer
{
    explicit OpenedProgrammer(NsStrata::VirtualDsp::Config config = {})
        : dsp(std::move(config)), root(new NsStrata::VirtualDspRoot())
    {
        programmer.reset(root->openProgrammer(dsp.device.get()));
    }
    OpenedDsp dsp;
    RadezOvuRef<NsStrata::VirtualDspRoot> root;
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer;
};
} // namespace

TEST(FlashProgrammerLayout, BuildsOnlyFromALayoutThatHoldsTogether)
{
    struct Case
    {
        const char* what;
        Bytes data;
        bool built;
        uint32_t pageSize, ranges;
    };
    const Case cases[] = {
        {"page size 128, 9 long records, 224 bytes", layout(128, 9, 1), true, 128, 9},
        {"the same header with 232 bytes", layout(128, 9, 1, "SLOT", 224), false, 0, 0},
        {"9 short records, 152 bytes", layout(64, 9, 0), true, 64, 9},
        {"short records under the long-record format", withFormat(layout(128, 9, 0), 1), false, 0, 0},
        {"long records under the short-record format", withFormat(layout(128, 9, 1), 0), false, 0, 0},
        {"unknown record format 2", layout(128, 0, 2), false, 0, 0},
        {"no ranges at all", layout(128, 0, 1), true, 128, 0},
        {"shorter than the header", Bytes{0x80, 0, 1, 0}, false, 0, 0},
        {"no data", Bytes{}, false, 0, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedDsp dsp;
        RadezOvuRef<RadezOvu::FlashProgrammer> p(Programmer::fromLayout(
            *dsp.device, c.data.empty() ? nullptr : c.data.data(), static_cast<uint32_t>(c.data.size())));
        ASSERT_EQ(bool(p), c.built);
        if (!p)
            continue;
        EXPECT_EQ(p->pageSize(), c.pageSize);
        EXPECT_EQ(p->rangeCount(), c.ranges);
    }
}

TEST(FlashProgrammerLayout, ReadsRecordsOfBothFormats)
{
    OpenedDsp dsp;
    const Bytes longData = layout(128, 2, 1, "ABCDEFGHIJKLMNOP");
    const Bytes shortData = layout(128, 2, 0, "SEVEN77");
    RadezOvuRef<RadezOvu::FlashProgrammer> longRecords(
        Programmer::fromLayout(*dsp.device, longData.data(), static_cast<uint32_t>(longData.size())));
    RadezOvuRef<RadezOvu::FlashProgrammer> shortRecords(
        Programmer::fromLayout(*dsp.device, shortData.data(), static_cast<uint32_t>(shortData.size())));
    ASSERT_TRUE(longRecords && shortRecords);

    auto* l = longRecords->range(1);
    EXPECT_EQ(l->startAddress(), 0x110000u);
    EXPECT_EQ(l->endAddress(), 0x120000u);
    EXPECT_EQ(l->extra(), 0x0701u);
    EXPECT_STREQ(l->name(), "ABCDEFGHIJKL"); // 12 characters kept whole, no more
    EXPECT_EQ(l->pageSize(), 128u);

    auto* s = shortRecords->range(0);
    EXPECT_EQ(s->startAddress(), 0x100000u);
    EXPECT_EQ(s->endAddress(), 0x110000u);
    EXPECT_EQ(s->extra(), 0u);
    EXPECT_STREQ(s->name(), "SEVEN77");

    EXPECT_EQ(longRecords->range(2), nullptr);
    EXPECT_EQ(longRecords->range(0xFFFFFFFF), nullptr);
}

TEST(FlashProgrammerLayout, OpensOnTheEmulatedDspWithNineRanges)
{
    OpenedProgrammer op;
    ASSERT_TRUE(op.programmer);
    EXPECT_EQ(op.programmer->pageSize(), 128u);
    ASSERT_EQ(op.programmer->rangeCount(), 9u);
    EXPECT_STREQ(op.programmer->range(8)->name(), "JINGLE 9");
    const auto& requests = op.dsp.chip->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].code, 0x0F01);
    EXPECT_TRUE(requests[0].payload.empty());
    EXPECT_EQ(requests[1].code, 0x1000);
    EXPECT_EQ(requests[1].payload, std::vector<uint16_t>{1});
}

TEST(FlashProgrammerLayout, NoProgrammerWhenTheLayoutRequestFails)
{
    OpenedDsp dsp;
    dsp.chip->injectFault(NsStrata::VirtualDsp::Fault::noReply, 0x1000);
    RadezOvuRef<NsStrata::VirtualDspRoot> root(new NsStrata::VirtualDspRoot());
    RadezOvuRef<RadezOvu::FlashProgrammer> p(root->openProgrammer(dsp.device.get()));
    EXPECT_FALSE(p);
    EXPECT_EQ(root->openProgrammer(nullptr), nullptr);
}

TEST(FlashProgrammerRange, SendsBeginEndFinishAndPageWrites)
{
    OpenedProgrammer op;
    ASSERT_TRUE(op.programmer);
    auto* range = op.programmer->range(0);
    Bytes pages(4 * 256, 0x5A);
    ASSERT_TRUE(DspTest::announce(*op.programmer, 0x00100000, 4 * 256));
    op.dsp.chip->clearLog();
    op.dsp.chip->recordTransfers(true);

    EXPECT_TRUE(range->begin(0x00100000));
    EXPECT_FALSE(range->writePages(pages.data(), 64, 4)); // not the programmer's page size
    EXPECT_TRUE(range->writePages(pages.data(), 128, 4));
    EXPECT_TRUE(range->writePages(pages.data(), 128, 0));
    EXPECT_TRUE(range->end());
    EXPECT_TRUE(range->finish());

    const auto& r = op.dsp.chip->requests();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].code, 0x1001);
    EXPECT_EQ(r[1].code, 0x1003);
    EXPECT_EQ(r[1].blockBytes, 256);
    EXPECT_EQ(r[1].blockCount, 4);
    EXPECT_EQ(r[2].blockCount, 0);
    EXPECT_EQ(r[3].code, 0x1002);
    EXPECT_EQ(r[4].code, 0x1004);
    // begin, page-write header and its four 256-byte pages, the empty page write, end, finish
    ASSERT_EQ(op.dsp.chip->transfers().size(), 9u);
    for (size_t i = 2; i < 6; ++i)
        EXPECT_EQ(op.dsp.chip->transfers()[i].size(), 256u);
    EXPECT_EQ(op.dsp.chip->protocolErrors(), 0) << op.dsp.chip->lastProtocolError();
    EXPECT_EQ(op.dsp.chip->readFlash(0x00100000, 4), Bytes(4, 0x5A));
}

TEST(FlashProgrammerRange, BeginSendsTheAddressLowWordFirst)
{
    OpenedProgrammer op;
    ASSERT_TRUE(op.programmer);
    op.dsp.chip->clearLog();
    op.dsp.chip->setRawReply(DspTest::shortReply(1, 0));
    EXPECT_TRUE(op.programmer->range(0)->begin(0x00123456));
    ASSERT_EQ(op.dsp.chip->requests().size(), 1u);
    EXPECT_EQ(op.dsp.chip->requests()[0].payload, (std::vector<uint16_t>{0x3456, 0x0012}));
}

TEST(FlashProgrammerRange, TheDeviceRefusesAWriteSequenceOutOfOrderOrOutOfRange)
{
    using Step = std::function<bool(OpenedProgrammer&)>;
    const Bytes pages(513 * 256, 0x11);
    auto command = [](uint16_t code, uint32_t value)
    {
        return [=](OpenedProgrammer& op)
        {
            DspCommandMessage m;
            m.value = value;
            return op.programmer->command(code, m);
        };
    };
    auto announced = [](uint32_t bytes) -> Step
    { return [=](OpenedProgrammer& op) { return DspTest::announce(*op.programmer, 0x100000, bytes); }; };
    auto then = [](std::vector<Step> steps) -> Step
    {
        return [=](OpenedProgrammer& op)
        {
            for (const auto& s : steps)
                if (!s(op))
                    return false;
            return true;
        };
    };
    auto begin = [](uint32_t address) -> Step
    { return [=](OpenedProgrammer& op) { return op.programmer->range(0)->begin(address); }; };
    auto write = [&pages](uint32_t count) -> Step
    {
        return [&pages, count](OpenedProgrammer& op)
        { return op.programmer->range(0)->writePages(pages.data(), 128, count); };
    };
    auto end = [](OpenedProgrammer& op) { return op.programmer->range(0)->end(); };
    auto finish = [](OpenedProgrammer& op) { return op.programmer->finish(); };
    auto token = NsStrata::VirtualDsp::sessionToken;

    NsStrata::VirtualDsp::Config oneRange; // 128 KiB: 512 pages
    oneRange.ranges = {{0x0010, 0x0011, 0, "ONE"}};
    NsStrata::VirtualDsp::Config oddPages;
    oddPages.pageSize = 3; // so that no range starts on a page boundary
    struct Case
    {
        const char* what;
        Step setUp;     // must succeed
        Step offending; // must be refused
        NsStrata::VirtualDsp::Config config = {};
    };
    const Case cases[] = {
        {"begin without the commands", then({}), begin(0x100000)},
        {"command 2 without command 1's value", command(1, 0), command(2, 1234)},
        {"command 3 before command 2", command(1, 0), command(3, 0x100000)},
        {"command 3 inside a range, not at its start", then({command(1, 0), command(2, token)}),
         command(3, 0x100100)},
        {"command 8 before command 3", then({command(1, 0), command(2, token)}), command(8, 4096)},
        {"begin at another range than command 3 chose", announced(4096), begin(0x900000)},
        {"begin off a page boundary", announced(4096), begin(0x100000), oddPages},
        {"a page write before begin", announced(4096), write(16)},
        {"a page write past the end of the range", then({announced(513 * 256), begin(0x100000)}), write(513),
         oneRange},
        {"end without begin", announced(4096), end},
        {"end short of the announced size", then({announced(8192), begin(0x100000), write(16)}), end},
        {"end past the announced size's last page", then({announced(4000), begin(0x100000), write(17)}), end},
        {"finish without end", then({announced(4096), begin(0x100000), write(16)}), finish},
        {"an unknown command", then({}), command(5, 0)},
        {"an unknown request", then({}),
         [](OpenedProgrammer& op) { return op.dsp.device->transact(0x1234, nullptr, 0, nullptr, 0, 0); }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedProgrammer op(c.config);
        ASSERT_TRUE(op.programmer);
        ASSERT_TRUE(c.setUp(op));
        EXPECT_EQ(op.dsp.chip->protocolErrors(), 0) << op.dsp.chip->lastProtocolError();
        EXPECT_FALSE(c.offending(op)) << "a refusal passed for success";
        EXPECT_EQ(op.dsp.chip->protocolErrors(), 1);
        EXPECT_NE(op.dsp.device->errorText().find("stalled"), std::string::npos)
            << op.dsp.device->errorText();
    }

    // The sequence done right: every step goes through.
    OpenedProgrammer op;
    ASSERT_TRUE(op.programmer);
    EXPECT_TRUE(then({announced(4000), begin(0x100000), write(16), end, finish})(op));
    EXPECT_EQ(op.dsp.chip->protocolErrors(), 0) << op.dsp.chip->lastProtocolError();
    EXPECT_EQ(op.dsp.chip->finishCount(), 1);
}

TEST(FlashProgrammerRange, ADataBlockOfTheWrongSizeIsRefused)
{
    OpenedProgrammer op;
    ASSERT_TRUE(op.programmer);
    ASSERT_TRUE(DspTest::announce(*op.programmer, 0x100000, 4096));
    ASSERT_TRUE(op.programmer->range(0)->begin(0x100000));
    // The header announces two pages; the second block arrives short.
    Bytes header{0x42, 0x55, 0x62, 0x75};
    for (uint16_t w : {uint16_t{256}, uint16_t{2}, uint16_t{0x1003}, uint16_t{0}, uint16_t{0}, uint16_t{0}})
        putWord(header, w);
    const Bytes page(256, 0), shortPage(200, 0);
    auto& chip = *op.dsp.chip;
    EXPECT_TRUE(chip.receive(header.data(), static_cast<uint32_t>(header.size())));
    EXPECT_TRUE(chip.receive(page.data(), 256));
    EXPECT_FALSE(chip.receive(shortPage.data(), 200));
    EXPECT_EQ(chip.lastProtocolError(), "data block of the wrong size");
}

TEST(FlashProgrammerLayout, KeepsItsDeviceAliveUntilItGoes)
{
    const int live = RadezOvuReferencedInstance::liveInstances();
    {
        auto chip = std::make_shared<NsStrata::VirtualDsp>();
        RadezOvuRef<NsStrata::VirtualDspRoot> root(new NsStrata::VirtualDspRoot({chip}));
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(RadezOvu::anyId, RadezOvu::anyId));
        RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
        RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
        ASSERT_TRUE(programmer);
        // Released in the wrong order, as a teardown in the middle of a transfer may do.
        root.reset();
        e.reset();
        device.reset();
        DspCommandMessage message;
        EXPECT_TRUE(programmer->command(1, message));
        EXPECT_EQ(message.value, NsStrata::VirtualDsp::sessionToken);
    }
    EXPECT_EQ(RadezOvuReferencedInstance::liveInstances(), live);
}

TEST(FlashProgrammerCommand, SendsValueHighHalfFirstAndReadsItLowHalfFirst)
{
    OpenedProgrammer op;
    ASSERT_TRUE(op.programmer);
    op.dsp.chip->clearLog();
    DspCommandMessage message;
    message.value = 0x00012345;
    message.delay = 77;
    std::memcpy(message.text, "name.mp3", 9);
    op.dsp.chip->setBusy(5, 1, 200, 0x1234);
    ASSERT_TRUE(op.programmer->command(5, message));

    const auto& payload = op.dsp.chip->requests().at(0).payload;
    ASSERT_EQ(payload.size(), 37u);
    EXPECT_EQ((std::vector<uint16_t>(payload.begin(), payload.begin() + 5)),
              (std::vector<uint16_t>{5, 0xFFFF, 77, 0x0001, 0x2345}));
    EXPECT_EQ(payload[5], 'n' | ('a' << 8));
    // The emulator's busy answer echoes the value, low half first in its reply.
    EXPECT_EQ(message.status, 0x1234);
    EXPECT_EQ(message.delay, 200);
    EXPECT_EQ(message.value, 0x00012345u);
}

TEST(FlashProgrammerCommand, AcceptsOnlyReplyStatusZeroOrAWholeStatusOneAnswer)
{
    auto answer = [](uint16_t status, uint16_t words)
    {
        Bytes r{0, 0, 0x53, 0x74, 0, 0};
        putWord(r, status);
        putWord(r, words);
        const uint16_t data[4] = {0xFFFF, 0, 0x5678, 0x1234};
        for (uint16_t i = 0; i < words; ++i)
            putWord(r, i < 4 ? data[i] : static_cast<uint16_t>('x' | ('y' << 8)));
        return r;
    };
    struct Case
    {
        const char* what;
        Bytes reply;
        bool ok;
        uint32_t value;
        uint16_t status;
    };
    const Case cases[] = {
        {"status 1 with 36 words updates the message", answer(1, 36), true, 0x12345678, 0xFFFF},
        {"status 1 with 35 words fails", answer(1, 35), false, 7, 0x4444},
        {"status 0 succeeds and leaves the message", answer(0, 36), true, 7, 0x4444},
        {"status 2 fails", answer(2, 36), false, 7, 0x4444},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedProgrammer op;
        ASSERT_TRUE(op.programmer);
        DspCommandMessage message;
        message.value = 7;
        message.status = 0x4444;
        op.dsp.chip->setRawReply(c.reply);
        EXPECT_EQ(op.programmer->command(1, message), c.ok);
        EXPECT_EQ(message.value, c.value);
        EXPECT_EQ(message.status, c.status);
        if (c.value == 0x12345678)
        {
            EXPECT_EQ(message.text[63], 'y');
        }
    }
}
