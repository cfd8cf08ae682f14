#include "radezovu/libusb/RadezOvuLibusb.h"

#include "radezovu/libusb/UsbDeviceLibusb.h"

#include <libusb.h>

RadezOvu* createRadezOvu(uint32_t version)
{
    if (version != 0x100)
        return nullptr;
    return RadezOvuLibusb::create();
}

RadezOvuLibusb* RadezOvuLibusb::create()
{
    libusb_context* context = nullptr;
    if (libusb_init(&context) != LIBUSB_SUCCESS)
        return nullptr;
    return new RadezOvuLibusb(context);
}

RadezOvuLibusb::RadezOvuLibusb(libusb_context* c) : context(c) {}

RadezOvuLibusb::~RadezOvuLibusb()
{
    libusb_exit(context);
}

RadezOvu::Enumerator* RadezOvuLibusb::createEnumerator(uint16_t vendorId, uint16_t productId)
{
    return new Enumerator_Libusb(*this, vendorId, productId);
}

double RadezOvuLibusb::seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch).count();
}

RadezOvuLibusb::Enumerator_Libusb::Enumerator_Libusb(RadezOvuLibusb& root, uint16_t vendorId,
                                                     uint16_t productId)
    : Enumerator_Core(root), vendorFilter(vendorId), productFilter(productId)
{
    count = static_cast<long>(libusb_get_device_list(root.context, &list));
    if (count < 0)
    {
        list = nullptr;
        count = 0;
    }
    next();
}

RadezOvuLibusb::Enumerator_Libusb::~Enumerator_Libusb()
{
    if (list != nullptr)
        libusb_free_device_list(list, 1);
}

bool RadezOvuLibusb::Enumerator_Libusb::matches(libusb_device* device) const
{
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != LIBUSB_SUCCESS)
        return false;
    if (vendorFilter != RadezOvu::anyId && descriptor.idVendor != vendorFilter)
        return false;
    if (productFilter != RadezOvu::anyId && descriptor.idProduct != productFilter)
        return false;
    UsbDevice_Libusb::DspInterface dsp;
    return UsbDevice_Libusb::findDspInterface(device, dsp);
}

bool RadezOvuLibusb::Enumerator_Libusb::next()
{
    if (!more)
        return false;
    for (;;)
    {
        ++index;
        found_ = false;
        if (index >= count)
        {
            more = false;
            return false;
        }
        if (!matches(list[index]))
            continue;
        // Interfaces that cannot be opened (no access, claimed elsewhere) are passed over.
        RadezOvuRef<RadezOvu::UsbDevice> device(openDevice());
        if (device)
        {
            found_ = true;
            return true;
        }
    }
}

RadezOvu::UsbDevice* RadezOvuLibusb::Enumerator_Libusb::openDevice()
{
    if (!more || index < 0 || index >= count)
        return nullptr;
    std::string why;
    bool denied = false;
    UsbDevice_Libusb* device = UsbDevice_Libusb::open(list[index], why, denied);
    if (device == nullptr)
        noteOpenFailure(why, denied);
    else
        device->attachTo(root());
    return device;
}
