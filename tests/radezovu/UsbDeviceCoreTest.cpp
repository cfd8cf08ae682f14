// The exchange as every transport runs it: request framing, refused requests, reply forms, failures, and
// replies left over from before.
#include "DspTestSupport.h"

#include <gtest/gtest.h>

#include <numeric>

using DspTest::OpenedDsp;
using Bytes = std::vector<uint8_t>;

namespace
{
const uint8_t magic[4] = {0x42, 0x55, 0x62, 0x75};

Bytes header(uint16_t blockBytes, uint16_t blockCount, uint16_t request, uint16_t payloadWords)
{
    Bytes h(magic, magic + 4);
    for (uint16_t w : {blockBytes, blockCount, request, payloadWords})
        DspTest::putWord(h, w);
    h.insert(h.end(), 4, 0);
    return h;
}
} // namespace

TEST(UsbDeviceExchange, FramesRequestPayloadAndDataPhase)
{
    Bytes payload{0x56, 0x34, 0x12, 0x00};
    Bytes data(4 * 256);
    std::iota(data.begin(), data.end(), uint8_t{0});

    struct Case
    {
        const char* what;
        uint16_t request;
        const Bytes* payload;
        const Bytes* data;
        uint32_t blockBytes, blockCount;
        Bytes expectedHeader;
        size_t dataWrites;
    };
    const Case cases[] = {
        {"no payload, no data: the bare 16-byte header", 0x1234, nullptr, nullptr, 0, 0,
         header(0, 0, 0x1234, 0), 0},
        {"payload of two words follows the header", 0x1001, &payload, nullptr, 0, 0, header(0, 0, 0x1001, 2),
         0},
        {"four blocks of 256 bytes, one write each", 0x1003, nullptr, &data, 256, 4,
         header(256, 4, 0x1003, 0), 4},
        {"no data buffer means no data phase", 0x1003, nullptr, nullptr, 256, 4, header(0, 0, 0x1003, 0), 0},
        {"block count 0 means no data phase", 0x1003, nullptr, &data, 256, 0, header(0, 0, 0x1003, 0), 0},
        {"block size 0 means no data phase", 0x1003, nullptr, &data, 0, 4, header(0, 0, 0x1003, 0), 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedDsp dsp;
        dsp.chip->recordTransfers(true);
        const void* p = c.payload != nullptr ? c.payload->data() : nullptr;
        const uint32_t pBytes = c.payload != nullptr ? static_cast<uint32_t>(c.payload->size()) : 0;
        const void* d = c.data != nullptr ? c.data->data() : nullptr;
        dsp.chip->setRawReply(DspTest::shortReply(0, 0));
        ASSERT_TRUE(dsp.device->transact(c.request, p, pBytes, d, c.blockBytes, c.blockCount));

        const auto& sent = dsp.chip->transfers();
        ASSERT_EQ(sent.size(), 1 + c.dataWrites);
        Bytes request = c.expectedHeader;
        if (c.payload != nullptr)
            request.insert(request.end(), c.payload->begin(), c.payload->end());
        EXPECT_EQ(sent[0], request);
        for (size_t i = 0; i < c.dataWrites; ++i)
            EXPECT_EQ(sent[1 + i], Bytes(data.begin() + 256 * i, data.begin() + 256 * (i + 1)))
                << "block " << i;
    }
}

TEST(UsbDeviceExchange, RefusesMalformedRequestsWithoutSendingAndStaysUsable)
{
    Bytes big(130), odd(3), four(4);
    Bytes block(16);
    struct Case
    {
        const char* what;
        const void* payload;
        uint32_t payloadBytes;
        uint32_t blockBytes, blockCount;
    };
    const Case cases[] = {
        {"payload of 130 bytes", big.data(), 130, 0, 0},
        {"payload of 3 bytes", odd.data(), 3, 0, 0},
        {"payload given with 0 bytes", four.data(), 0, 0, 0},
        {"no payload but 4 bytes announced", nullptr, 4, 0, 0},
        {"block size beyond the 16-bit header field", nullptr, 0, 0x10000, 1},
        {"block count beyond the 16-bit header field", nullptr, 0, 16, 0x10000},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedDsp dsp;
        dsp.chip->recordTransfers(true);
        EXPECT_FALSE(dsp.device->transact(0x1004, c.payload, c.payloadBytes, block.data(), c.blockBytes,
                                          c.blockCount));
        EXPECT_TRUE(dsp.chip->transfers().empty());
        EXPECT_TRUE(dsp.device->isOk());
        EXPECT_TRUE(dsp.device->transact(0x0F01, nullptr, 0, nullptr, 0, 0));
    }
}

TEST(UsbDeviceExchange, ReadsEveryReplyForm)
{
    struct Case
    {
        const char* what;
        Bytes reply;
        uint16_t status;
        uint32_t length; // data words, counting up from 0x0100
    };
    Bytes nineBytes = DspTest::longReply(1, 0);
    nineBytes.resize(9);
    const Case cases[] = {
        {"long form of 300 words is 610 bytes, read in two parts", DspTest::longReply(1, 300), 1, 300},
        {"long form of 36 words in one read", DspTest::longReply(1, 36), 1, 36},
        {"long form announcing fewer words than arrived", DspTest::longReply(5, 10, 2), 5, 2},
        {"long tag without a whole length word has no data", nineBytes, 1, 0},
        {"short form of 12 bytes has 2 words at offset 8", DspTest::shortReply(7, 2), 7, 2},
        {"reply without a form tag has no data", Bytes{0, 0, 'O', 'K', 0, 0, 3, 0, 9, 9, 9, 9}, 3, 0},
        {"a bare header carries its status", Bytes{0, 0, 'O', 'K', 0, 0, 4, 0}, 4, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedDsp dsp;
        dsp.chip->setRawReply(c.reply);
        ASSERT_TRUE(dsp.device->transact(0x1004, nullptr, 0, nullptr, 0, 0));
        EXPECT_EQ(dsp.device->replyStatus(), c.status);
        ASSERT_EQ(dsp.device->replyLength(), c.length);
        const uint8_t* data = dsp.device->replyData();
        for (uint32_t i = 0; i < c.length; ++i)
            ASSERT_EQ(DspTest::wordAt(data, i), 0x0100 + i) << "word " << i;
        EXPECT_TRUE(dsp.device->isOk());
    }
}

TEST(UsbDeviceExchange, RepliesTooShortForAStatusFailTheExchange)
{
    // Read as status 0, such a reply would say "done" to a command.
    const Bytes replies[] = {{}, {0}, {1, 2, 0x53, 0x74, 5, 6}, {0, 0, 'O', 'K', 0, 0, 0}};
    for (const auto& reply : replies)
    {
        SCOPED_TRACE(testing::Message() << reply.size() << " bytes");
        OpenedDsp dsp;
        dsp.chip->setRawReply(reply);
        EXPECT_FALSE(dsp.device->transact(0x1004, nullptr, 0, nullptr, 0, 0));
        EXPECT_FALSE(dsp.device->isOk());
        EXPECT_NE(dsp.device->errorText().find("reply read: a reply of " + std::to_string(reply.size()) +
                                               " bytes, too short to carry a status"),
                  std::string::npos)
            << dsp.device->errorText();
        EXPECT_EQ(dsp.device->replyLength(), 0u);
    }
}

TEST(UsbDeviceExchange, AReplyThatComesLateIsDroppedWhenTheDeviceIsOpenedAgain)
{
    using NsStrata::VirtualDsp;
    auto chip = std::make_shared<VirtualDsp>();
    RadezOvuRef<NsStrata::VirtualDspRoot> root(new NsStrata::VirtualDspRoot({chip}));
    root->setTransferTimeoutMs(50);
    {
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(RadezOvu::anyId, RadezOvu::anyId));
        RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
        ASSERT_TRUE(device);
        chip->injectFault(VirtualDsp::Fault::lateReply, 0x0F01);
        EXPECT_FALSE(device->transact(0x0F01, nullptr, 0, nullptr, 0, 0))
            << "the reply came after the time limit";
    }

    // The next transfer opens the device afresh: the late reply must not answer its first request.
    RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(RadezOvu::anyId, RadezOvu::anyId));
    RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
    ASSERT_TRUE(device);
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
    ASSERT_TRUE(programmer) << "a reply one behind was read as the layout";
    DspCommandMessage message;
    ASSERT_TRUE(programmer->command(1, message));
    EXPECT_EQ(message.value, VirtualDsp::sessionToken);
    EXPECT_EQ(chip->protocolErrors(), 0) << chip->lastProtocolError();
}

TEST(UsbDeviceExchange, StartsEachExchangeWithoutTheLastReply)
{
    OpenedDsp dsp;
    dsp.chip->setRawReply(DspTest::longReply(1, 36));
    ASSERT_TRUE(dsp.device->transact(0x1004, nullptr, 0, nullptr, 0, 0));
    ASSERT_EQ(dsp.device->replyLength(), 36u);
    Bytes odd(3);
    EXPECT_FALSE(dsp.device->transact(0x1004, odd.data(), 3, nullptr, 0, 0));
    EXPECT_EQ(dsp.device->replyLength(), 0u);
}

TEST(UsbDeviceExchange, FailuresAreFinalAndReported)
{
    using Fault = NsStrata::VirtualDsp::Fault;
    struct Case
    {
        const char* what;
        Fault fault;
        const char* reason;
    };
    const Case cases[] = {
        {"a failed write", Fault::failWrite, "request write"},
        {"a reply that never comes gives up at the time limit", Fault::noReply, "timed out"},
        {"a long reply whose second part never comes", Fault::shortReply, "timed out"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        OpenedDsp dsp;
        dsp.chip->injectFault(c.fault, 0x1000);
        dsp.chip->setRawReply(DspTest::longReply(1, 300));
        uint8_t one[2] = {1, 0};
        EXPECT_FALSE(dsp.device->transact(0x1000, one, 2, nullptr, 0, 0));
        EXPECT_FALSE(dsp.device->isOk());
        EXPECT_NE(dsp.device->errorText().find(c.reason), std::string::npos) << dsp.device->errorText();
        EXPECT_EQ(dsp.device->replyLength(), 0u);

        // Once failed, nothing more goes out.
        dsp.chip->recordTransfers(true);
        EXPECT_FALSE(dsp.device->transact(0x1004, nullptr, 0, nullptr, 0, 0));
        EXPECT_TRUE(dsp.chip->transfers().empty());
    }
}

TEST(UsbDeviceExchange, RefusesASecondExchangeWhileOneRuns)
{
    OpenedDsp dsp;
    bool nestedResult = true;
    bool nested = false;
    dsp.chip->setRequestHook(
        [&](uint16_t)
        {
            if (nested)
                return;
            nested = true;
            nestedResult = dsp.device->transact(0x1004, nullptr, 0, nullptr, 0, 0);
        });
    EXPECT_TRUE(dsp.device->transact(0x0F01, nullptr, 0, nullptr, 0, 0));
    EXPECT_FALSE(nestedResult);
    ASSERT_EQ(dsp.chip->requests().size(), 1u);
    EXPECT_EQ(dsp.chip->requests()[0].code, 0x0F01);
    EXPECT_TRUE(dsp.device->isOk());
    EXPECT_TRUE(dsp.device->transact(0x0F01, nullptr, 0, nullptr, 0, 0));
}

TEST(UsbDeviceExchange, ObserverSeesEachRequestBeforeItGoesOut)
{
    struct Recorder : RadezOvuCore::RequestObserver
    {
        std::vector<std::vector<uint32_t>> seen;
        void requestSent(uint16_t request, const uint8_t* payload, uint32_t payloadBytes, uint32_t blockBytes,
                         uint32_t blockCount) override
        {
            std::vector<uint32_t> row{request, blockBytes, blockCount};
            for (uint32_t i = 0; i < payloadBytes / 2; ++i)
                row.push_back(DspTest::wordAt(payload, i));
            seen.push_back(row);
        }
    } recorder;
    OpenedDsp dsp;
    dsp.device->setRequestObserver(&recorder);
    uint8_t payload[4] = {0x56, 0x34, 0x12, 0x00};
    Bytes data(512);
    Bytes odd(3);
    dsp.chip->setRawReply(DspTest::shortReply(1, 0));
    dsp.device->transact(0x1001, payload, 4, nullptr, 0, 0);
    dsp.chip->setRawReply(DspTest::shortReply(1, 0));
    dsp.device->transact(0x1003, nullptr, 0, data.data(), 256, 2);
    dsp.device->transact(0x1001, odd.data(), 3, nullptr, 0, 0); // refused: not observed
    const std::vector<std::vector<uint32_t>> expected{{0x1001, 0, 0, 0x3456, 0x0012}, {0x1003, 256, 2}};
    EXPECT_EQ(recorder.seen, expected);
}
