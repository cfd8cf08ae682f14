#pragma once
// An opened DSP interface, whatever the platform: descriptor fields, the exchange's framing and buffer rules,
// the reply and the sticky error flag. Platform layers only move bytes.
#include "radezovu/RadezOvuCore.h"

#include <atomic>
#include <memory>
#include <string>

class RadezOvuCore::UsbDevice_Core : public RadezOvu::UsbDevice
{
public:
    /** Time limit of one transfer. */
    static constexpr uint32_t defaultTransferTimeoutMs = 2000;
    /** How long a read waits for a stale reply when the device is opened (no longer than a transfer may). */
    static constexpr uint32_t drainReadTimeoutMs = 20;

    uint16_t vendorId() override { return vendorId_; }
    uint16_t productId() override { return productId_; }
    uint16_t deviceVersion() override { return deviceVersion_; }
    const char* manufacturerString() override { return manufacturer_.get(); }
    const char* productString() override { return product_.get(); }
    const char* serialNumberString() override { return serialNumber_.get(); }
    bool isOk() override { return !error_; }
    bool transact(uint16_t request, const void* payload, uint32_t payloadBytes, const void* data,
                  uint32_t blockBytes, uint32_t blockCount) override;
    uint32_t replyLength() override;
    const uint8_t* replyData() override;
    uint16_t replyStatus() override { return replyStatus_; }

    /** What made the device fail, in the words of the USB layer; empty while it is usable. */
    const std::string& errorText() const { return errorText_; }
    void setTransferTimeoutMs(uint32_t ms) { timeoutMs_ = ms; }
    void setRequestObserver(RadezOvuCore::RequestObserver* observer) { observer_ = observer; }
    /** Ties the device to the root it was opened through: the root (and with it the platform's USB session)
        stays alive until the device goes, and the root's request observer hears the device's requests. */
    void attachTo(RadezOvuCore& root);
    /** Reads and drops what the device still holds from before it was opened (the replies of an exchange
        that another program or an earlier failure broke off), which would otherwise be read as the answers
        to the next requests, each one behind. Short reads until one brings nothing. */
    void drainIn();

protected:
    UsbDevice_Core() = default;

    void setDescriptorFields(uint16_t vendorId, uint16_t productId, uint16_t deviceVersion);
    /** The text of a string descriptor as received (the low byte of each UTF-16 unit: this device's strings
        are ASCII) into text, which holds 128 characters; false when the descriptor is not whole. */
    static bool asciiFromStringDescriptor(const uint8_t* descriptor, size_t received, char* text);
    /** Stores a string descriptor; null or empty leaves it absent. */
    static void setString(std::unique_ptr<char[]>& slot, const char* text);
    void setManufacturer(const char* text) { setString(manufacturer_, text); }
    void setProduct(const char* text) { setString(product_, text); }
    void setSerialNumber(const char* text) { setString(serialNumber_, text); }

    // The platform's transfers. Each returns false on failure or when timeoutMs passes, with a reason.
    /** Drops anything stale waiting in the IN direction. */
    virtual void flushIn() {}
    /** Sends all bytes in one transfer. */
    virtual bool writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs, std::string& why) = 0;
    /** One transfer of up to maxBytes; got tells how many arrived. */
    virtual bool readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                        std::string& why) = 0;

private:
    bool fail(const std::string& why);
    void reserveReply(uint32_t bytes);

    uint16_t vendorId_ = 0, productId_ = 0, deviceVersion_ = 0;
    std::unique_ptr<char[]> manufacturer_, product_, serialNumber_;
    bool error_ = false;
    std::string errorText_;
    uint16_t replyStatus_ = 0;
    std::unique_ptr<uint8_t[]> reply_;
    uint32_t replyCapacity_ = 0;
    uint32_t replyWords_ = 0;
    uint32_t timeoutMs_ = defaultTransferTimeoutMs;
    std::atomic<bool> busy_{false};
    RadezOvuCore::RequestObserver* observer_ = nullptr;
    uint8_t request_[512] = {};
    uint8_t firstRead_[512] = {};
    // Released only after the platform layer's destructor has closed the device.
    RadezOvuRef<RadezOvuCore> root_;
};
