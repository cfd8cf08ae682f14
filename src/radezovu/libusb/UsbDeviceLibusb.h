#pragma once
// An opened DSP interface on libusb-1.0: interface 0 claimed, its first bulk IN and OUT endpoints, and
// blocking bulk transfers with a time limit.
#include "radezovu/UsbDeviceCore.h"
#include "radezovu/libusb/RadezOvuLibusb.h"

struct libusb_device_handle;

class RadezOvuLibusb::UsbDevice_Libusb : public RadezOvuCore::UsbDevice_Core
{
public:
    /** Opens the device and claims interface 0; null when either fails or the bulk endpoints are missing. */
    static UsbDevice_Libusb* open(libusb_device* device);
    /** Finds the first bulk IN and OUT endpoints of interface 0 if it is a vendor-specific interface. */
    static bool findBulkEndpoints(libusb_device* device, uint8_t& inEndpoint, uint8_t& outEndpoint);
    ~UsbDevice_Libusb() override;

protected:
    // No flush of the IN endpoint: a stale reply can only follow a failed exchange, and after one the device
    // refuses every further transfer.
    bool writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs, std::string& why) override;
    bool readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                std::string& why) override;

private:
    UsbDevice_Libusb(libusb_device_handle* handle, uint8_t inEndpoint, uint8_t outEndpoint);
    void readStrings(uint8_t manufacturer, uint8_t product, uint8_t serialNumber);
    bool readString(uint8_t index, uint16_t language, char* text);

    libusb_device_handle* handle;
    uint8_t inEndpoint, outEndpoint;
};
