#pragma once
// The RadezOvu root and enumerator on libusb-1.0 (Linux, macOS): finds DSP interfaces by vendor and product
// and by a vendor-specific interface carrying a bulk IN and a bulk OUT endpoint.
#include "radezovu/RadezOvuCore.h"

#include <chrono>

struct libusb_context;
struct libusb_device;

class RadezOvuLibusb : public RadezOvuCore
{
public:
    class Enumerator_Libusb;
    class UsbDevice_Libusb;

    /** A root on its own libusb context, or null when libusb cannot start (no USB device file system). */
    static RadezOvuLibusb* create();
    ~RadezOvuLibusb() override;

    Enumerator* createEnumerator(uint16_t vendorId, uint16_t productId) override;
    double seconds() override;

private:
    explicit RadezOvuLibusb(libusb_context* context);

    // Exited only with the last reference: enumerators and devices hold one while they use the context.
    libusb_context* context;
    std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
};

class RadezOvuLibusb::Enumerator_Libusb : public RadezOvuCore::Enumerator_Core
{
public:
    Enumerator_Libusb(RadezOvuLibusb& root, uint16_t vendorId, uint16_t productId);
    ~Enumerator_Libusb() override;

    UsbDevice* openDevice() override;
    bool next() override;
    bool found() override { return more && found_; }

private:
    bool matches(libusb_device* device) const;

    libusb_device** list = nullptr;
    long count = 0;
    uint16_t vendorFilter, productFilter;
    long index = -1;
    bool more = true;
    bool found_ = false;
};
