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
    return new Enumerator_Libusb(context, vendorId, productId, requestObserver());
}

double RadezOvuLibusb::seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch).count();
}

RadezOvuLibusb::Enumerator_Libusb::Enumerator_Libusb(libusb_context* context, uint16_t vendorId,
                                                     uint16_t productId, RadezOvuCore::RequestObserver* o)
    : vendorFilter(vendorId), productFilter(productId), observer(o)
{
    count = static_cast<long>(libusb_get_device_list(context, &list));
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
    uint8_t in = 0, out = 0;
    return UsbDevice_Libusb::findBulkEndpoints(device, in, out);
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
    UsbDevice_Libusb* device = UsbDevice_Libusb::open(list[index]);
    if (device != nullptr)
        device->setRequestObserver(observer);
    return device;
}
