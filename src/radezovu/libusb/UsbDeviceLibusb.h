#pragma once
// An opened DSP interface on libusb-1.0: the device's first vendor-specific interface with a bulk IN and a
// bulk OUT endpoint, claimed (never taken from a kernel driver), and blocking bulk transfers with a time
// limit.
#include "radezovu/UsbDeviceCore.h"
#include "radezovu/libusb/RadezOvuLibusb.h"

#include <string>

struct libusb_device_handle;

class RadezOvuLibusb::UsbDevice_Libusb : public RadezOvuCore::UsbDevice_Core
{
public:
    /** Where the DSP lives on a device: its interface number and bulk endpoints. */
    struct DspInterface
    {
        int number = -1;
        uint8_t inEndpoint = 0, outEndpoint = 0;
    };

    /** Opens the device, claims its DSP interface and drops any reply left pending from before. Null when the
        device has no DSP interface or cannot be opened or claimed; then why holds libusb's error name and
        denied tells whether it was for want of permission. */
    static UsbDevice_Libusb* open(libusb_device* device, std::string& why, bool& denied);
    /** Finds the first vendor-specific interface (any number: the DSP may be one function of a composite
        device) whose first alternate setting has a bulk IN and a bulk OUT endpoint; the first of each. */
    static bool findDspInterface(libusb_device* device, DspInterface& found);
    ~UsbDevice_Libusb() override;

protected:
    // No flush before each exchange: what could be stale is drained when the device is opened, and after a
    // failed exchange the device refuses every further transfer.
    bool writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs, std::string& why) override;
    bool readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                std::string& why) override;

private:
    UsbDevice_Libusb(libusb_device_handle* handle, const DspInterface& dsp);
    void readStrings(uint8_t manufacturer, uint8_t product, uint8_t serialNumber);
    bool readString(uint8_t index, uint16_t language, char* text);

    libusb_device_handle* handle;
    DspInterface dsp;
};
