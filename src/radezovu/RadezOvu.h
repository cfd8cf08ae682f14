#pragma once
// The interfaces of RadezOvu, the library that reaches the mixer's DSP chip over its vendor USB interface:
// the root, the device enumerator, an opened device and the flash programmer with its ranges.
#include "radezovu/RadezOvuReferencedInstance.h"

#include <cstdint>

/** One numbered command and its answer; the caller holds it across the polls of a command. */
struct DspCommandMessage
{
    /** The status of a command the device has finished; anything else means busy, ask again. */
    static constexpr uint16_t finished = 0xFFFF;

    uint16_t status = finished;
    uint16_t delay = 50; // milliseconds to wait before asking again
    uint32_t value = 0;
    uint8_t text[64] = {};
};

/** Every object keeps what it was made from alive (an enumerator and a device their root, a programmer its
    device), so releasing in any order never pulls the USB session from under an open device. */
class RadezOvu : public RadezOvuReferencedInstance
{
public:
    class Enumerator;
    class UsbDevice;
    class FlashProgrammer;

    /** Any vendor or product in createEnumerator(). */
    static constexpr uint16_t anyId = 0xFFFF;

    /** An enumerator already resting on the first matching DSP interface (see Enumerator::found()). */
    virtual Enumerator* createEnumerator(uint16_t vendorId, uint16_t productId) = 0;
    /** The flash programmer of an opened device, or null. */
    virtual FlashProgrammer* openProgrammer(UsbDevice* device) = 0;
    /** A monotonic clock in seconds. */
    virtual double seconds() = 0;
};

class RadezOvu::Enumerator : public RadezOvuReferencedInstance
{
public:
    /** A new device object for the current interface, or null. */
    virtual UsbDevice* openDevice() = 0;
    /** Moves to the next matching interface. */
    virtual bool next() = 0;
    virtual bool found() = 0;
    /** Why the last interface that could not be opened was passed over, in the USB layer's words; empty when
        none was. Lets a caller that found nothing tell "no DSP" from "a DSP it may not open". */
    virtual const char* openFailure() = 0;
    /** True when that was for want of permission. */
    virtual bool openDenied() = 0;
};

class RadezOvu::UsbDevice : public RadezOvuReferencedInstance
{
public:
    virtual uint16_t vendorId() = 0;
    virtual uint16_t productId() = 0;
    virtual uint16_t deviceVersion() = 0;
    /** True when the device passes the enumerator's filters (anyId matches every id). */
    bool matches(uint16_t vendorFilter, uint16_t productFilter)
    {
        return (vendorFilter == RadezOvu::anyId || vendorId() == vendorFilter) &&
               (productFilter == RadezOvu::anyId || productId() == productFilter);
    }
    /** The device's string descriptors, or null when it has none. */
    virtual const char* manufacturerString() = 0;
    virtual const char* productString() = 0;
    virtual const char* serialNumberString() = 0;
    /** False for good after the first failed transfer. */
    virtual bool isOk() = 0;
    /** One request (with an optional payload of up to 128 bytes and an optional data phase of blockCount
        blocks of blockBytes each) and its reply. */
    virtual bool transact(uint16_t request, const void* payload, uint32_t payloadBytes, const void* data,
                          uint32_t blockBytes, uint32_t blockCount) = 0;
    /** Data of the last reply, in 16-bit words. */
    virtual uint32_t replyLength() = 0;
    virtual const uint8_t* replyData() = 0;
    virtual uint16_t replyStatus() = 0;
};

class RadezOvu::FlashProgrammer : public RadezOvuReferencedInstance
{
public:
    class RangeInfo;

    /** Page size in 16-bit words, common to every range. */
    virtual uint32_t pageSize() = 0;
    virtual uint32_t rangeCount() = 0;
    /** The range at a 0-based index, or null outside the list. Valid while the programmer lives. */
    virtual RangeInfo* range(uint32_t index) = 0;
    virtual bool finish() = 0;
    /** One exchange of a numbered command; a finished or busy answer updates the message. */
    virtual bool command(uint16_t code, DspCommandMessage& message) = 0;
};

/** One flash range of the programmer; owned by it, not reference counted. */
class RadezOvu::FlashProgrammer::RangeInfo
{
public:
    virtual ~RangeInfo() = default;

    /** First and end word addresses. */
    virtual uint32_t startAddress() const = 0;
    virtual uint32_t endAddress() const = 0;
    virtual uint32_t extra() const = 0;
    /** Up to 12 characters, zero-terminated. */
    virtual const char* name() const = 0;

    virtual bool begin(uint32_t address) = 0;
    virtual bool writePages(const void* buffer, uint32_t pageSize, uint32_t pageCount) = 0;
    virtual bool end() = 0;
    virtual bool finish() = 0;
    virtual uint32_t pageSize() = 0;
};

/** The platform's root object, or null when the version is not 256 or the platform's USB access is missing.
 */
RadezOvu* createRadezOvu(uint32_t version);
