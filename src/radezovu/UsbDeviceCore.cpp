#include "radezovu/UsbDeviceCore.h"

#include "radezovu/Framing.h"

#include <cstring>

using namespace RadezOvuFraming;

namespace
{
/** Holds the device's one-exchange-at-a-time flag for the length of an exchange. */
class ExchangeGuard
{
public:
    explicit ExchangeGuard(std::atomic<bool>& flag) : busy(flag), owned(!flag.exchange(true)) {}
    ~ExchangeGuard()
    {
        if (owned)
            busy.store(false);
    }
    bool owns() const { return owned; }

private:
    std::atomic<bool>& busy;
    bool owned;
};
} // namespace

void RadezOvuCore::UsbDevice_Core::attachTo(RadezOvuCore& root)
{
    root_ = retainRef(&root);
    observer_ = root.requestObserver();
}

void RadezOvuCore::UsbDevice_Core::drainIn()
{
    // A device that never stops talking is left after a bounded number of reads.
    constexpr int maxReads = 64;
    const uint32_t timeoutMs = drainReadTimeoutMs < timeoutMs_ ? drainReadTimeoutMs : timeoutMs_;
    std::string why;
    for (int i = 0; i < maxReads; ++i)
    {
        uint32_t got = 0;
        if (!readIn(firstRead_, firstReadBytes, got, timeoutMs, why))
            break;
    }
}

void RadezOvuCore::UsbDevice_Core::setDescriptorFields(uint16_t vendorId, uint16_t productId,
                                                       uint16_t deviceVersion)
{
    vendorId_ = vendorId;
    productId_ = productId;
    deviceVersion_ = deviceVersion;
}

bool RadezOvuCore::UsbDevice_Core::asciiFromStringDescriptor(const uint8_t* descriptor, size_t received,
                                                             char* text)
{
    constexpr uint8_t stringDescriptorType = 3;
    if (received < 2 || descriptor[0] <= 2 || descriptor[1] != stringDescriptorType ||
        descriptor[0] > received)
        return false;
    const int characters = (descriptor[0] - 2) / 2;
    for (int i = 0; i < characters; ++i)
        text[i] = static_cast<char>(descriptor[2 + 2 * i]);
    text[characters] = 0;
    return true;
}

void RadezOvuCore::UsbDevice_Core::setString(std::unique_ptr<char[]>& slot, const char* text)
{
    slot.reset();
    if (text == nullptr || *text == 0)
        return;
    const size_t n = std::strlen(text);
    slot.reset(new char[n + 1]);
    std::memcpy(slot.get(), text, n + 1);
}

bool RadezOvuCore::UsbDevice_Core::fail(const std::string& why)
{
    error_ = true;
    if (errorText_.empty())
        errorText_ = why;
    replyWords_ = 0;
    return false;
}

void RadezOvuCore::UsbDevice_Core::reserveReply(uint32_t bytes)
{
    // The first reply makes the buffer even when it is empty, so the reply always has somewhere to live.
    if (reply_ != nullptr && bytes <= replyCapacity_)
        return;
    uint32_t capacity = replyCapacity_ == 0 ? firstReadBytes : replyCapacity_;
    while (capacity < bytes)
        capacity *= 2;
    std::unique_ptr<uint8_t[]> grown(new uint8_t[capacity]);
    reply_ = std::move(grown);
    replyCapacity_ = capacity;
}

bool RadezOvuCore::UsbDevice_Core::transact(uint16_t request, const void* payload, uint32_t payloadBytes,
                                            const void* data, uint32_t blockBytes, uint32_t blockCount)
{
    if (error_)
        return false;
    // A second exchange while one runs (from a callback or another thread) would interleave on the pipes.
    ExchangeGuard guard(busy_);
    if (!guard.owns())
        return false;

    replyWords_ = 0;
    if (data == nullptr || blockBytes == 0 || blockCount == 0)
        blockBytes = blockCount = 0;
    if ((payload != nullptr) != (payloadBytes > 0) || payloadBytes % 2 != 0 || payloadBytes > maxPayloadBytes)
        return false;
    // The header carries 16-bit sizes; a larger data phase could not be described truthfully.
    if (blockBytes > 0xFFFF || blockCount > 0xFFFF)
        return false;

    if (observer_ != nullptr)
        observer_->requestSent(request, static_cast<const uint8_t*>(payload), payloadBytes, blockBytes,
                               blockCount);

    std::string why;
    flushIn();
    writeRequestHeader(request_, request, payloadBytes, blockBytes, blockCount);
    if (payloadBytes > 0)
        std::memcpy(request_ + headerBytes, payload, payloadBytes);
    if (!writeOut(request_, headerBytes + payloadBytes, timeoutMs_, why))
        return fail("request write: " + why);

    auto* block = static_cast<const uint8_t*>(data);
    for (uint32_t i = 0; i < blockCount; ++i, block += blockBytes)
        if (!writeOut(block, blockBytes, timeoutMs_, why))
            return fail("data write: " + why);

    uint32_t n = 0;
    if (!readIn(firstRead_, firstReadBytes, n, timeoutMs_, why))
        return fail("reply read: " + why);
    if (n > firstReadBytes)
        return fail("reply read: more bytes than asked for");
    // Without its header a reply has no status; reading it as 0 would pass for "done".
    if (n < shortFormHeaderBytes)
        return fail("reply read: a reply of " + std::to_string(n) + " bytes, too short to carry a status");

    replyStatus_ = replyStatusOf(firstRead_, n);
    const uint32_t total = expectedReplyBytes(firstRead_, n);
    reserveReply(total > n ? total : n);
    std::memcpy(reply_.get(), firstRead_, n);

    // The rest of a long reply; a device may hand it over in more than one transfer.
    for (uint32_t got = n; got < total;)
    {
        uint32_t more = 0;
        if (!readIn(reply_.get() + got, total - got, more, timeoutMs_, why))
            return fail("reply read: " + why);
        if (more == 0 || more > total - got)
            return fail("reply read: the reply ended early");
        got += more;
    }

    replyWords_ = total / 2;
    return true;
}

uint32_t RadezOvuCore::UsbDevice_Core::replyLength()
{
    return replyWords_ == 0 ? 0 : replyLengthOf(reply_.get(), replyWords_);
}

const uint8_t* RadezOvuCore::UsbDevice_Core::replyData()
{
    if (reply_ == nullptr)
        return nullptr;
    return reply_.get() + replyDataOffset(reply_.get(), replyWords_);
}
