#include "radezovu/libusb/UsbDeviceLibusb.h"

#include <libusb.h>

#include <climits>

namespace
{
constexpr int dspInterface = 0;

std::string usbError(int code)
{
    return libusb_error_name(code);
}

int timeoutOf(uint32_t ms)
{
    return ms > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}
} // namespace

bool RadezOvuLibusb::UsbDevice_Libusb::findBulkEndpoints(libusb_device* device, uint8_t& inEndpoint,
                                                         uint8_t& outEndpoint)
{
    inEndpoint = outEndpoint = 0;
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
        libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS)
        return false;

    for (int i = 0; i < config->bNumInterfaces; ++i)
    {
        const libusb_interface& interface = config->interface[i];
        if (interface.num_altsetting < 1 || interface.altsetting[0].bInterfaceNumber != dspInterface)
            continue;
        // Only a vendor-specific interface can be the DSP's: anything else belongs to a class driver.
        const libusb_interface_descriptor& setting = interface.altsetting[0];
        if (setting.bInterfaceClass != LIBUSB_CLASS_VENDOR_SPEC)
            break;
        for (int e = 0; e < setting.bNumEndpoints; ++e)
        {
            const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
            if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                continue;
            const bool isIn = (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
            uint8_t& slot = isIn ? inEndpoint : outEndpoint;
            if (slot == 0)
                slot = endpoint.bEndpointAddress;
        }
        break;
    }
    libusb_free_config_descriptor(config);
    return inEndpoint != 0 && outEndpoint != 0;
}

RadezOvuLibusb::UsbDevice_Libusb* RadezOvuLibusb::UsbDevice_Libusb::open(libusb_device* device)
{
    uint8_t in = 0, out = 0;
    if (!findBulkEndpoints(device, in, out))
        return nullptr;
    libusb_device_handle* handle = nullptr;
    if (libusb_open(device, &handle) != LIBUSB_SUCCESS)
        return nullptr;
    // No kernel driver is detached: an interface that one holds is not ours to take.
    if (libusb_claim_interface(handle, dspInterface) != LIBUSB_SUCCESS)
    {
        libusb_close(handle);
        return nullptr;
    }
    auto* opened = new UsbDevice_Libusb(handle, in, out);

    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) == LIBUSB_SUCCESS)
    {
        opened->setDescriptorFields(descriptor.idVendor, descriptor.idProduct, descriptor.bcdDevice);
        opened->readStrings(descriptor.iManufacturer, descriptor.iProduct, descriptor.iSerialNumber);
    }
    return opened;
}

RadezOvuLibusb::UsbDevice_Libusb::UsbDevice_Libusb(libusb_device_handle* h, uint8_t in, uint8_t out)
    : handle(h), inEndpoint(in), outEndpoint(out)
{
}

RadezOvuLibusb::UsbDevice_Libusb::~UsbDevice_Libusb()
{
    libusb_release_interface(handle, dspInterface);
    libusb_close(handle);
}

void RadezOvuLibusb::UsbDevice_Libusb::readStrings(uint8_t manufacturer, uint8_t product,
                                                   uint8_t serialNumber)
{
    // String descriptor 0 lists the languages; the first one is asked for.
    uint8_t languages[4] = {};
    uint16_t language = 0x0409;
    if (libusb_get_string_descriptor(handle, 0, 0, languages, sizeof(languages)) >= 4 && languages[1] == 3)
        language = static_cast<uint16_t>(languages[2] | (languages[3] << 8));

    char text[128];
    if (readString(manufacturer, language, text))
        setManufacturer(text);
    if (readString(product, language, text))
        setProduct(text);
    if (readString(serialNumber, language, text))
        setSerialNumber(text);
}

bool RadezOvuLibusb::UsbDevice_Libusb::readString(uint8_t index, uint16_t language, char* text)
{
    if (index == 0)
        return false;
    uint8_t buffer[256];
    const int n = libusb_get_string_descriptor(handle, index, language, buffer, sizeof(buffer));
    return n >= 0 && asciiFromStringDescriptor(buffer, static_cast<size_t>(n), text);
}

bool RadezOvuLibusb::UsbDevice_Libusb::writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs,
                                                std::string& why)
{
    int moved = 0;
    const int rc = libusb_bulk_transfer(handle, outEndpoint, const_cast<uint8_t*>(data),
                                        static_cast<int>(bytes), &moved, timeoutOf(timeoutMs));
    if (rc != LIBUSB_SUCCESS)
    {
        why = usbError(rc);
        return false;
    }
    if (moved != static_cast<int>(bytes))
    {
        why = "short write (" + std::to_string(moved) + " of " + std::to_string(bytes) + " bytes)";
        return false;
    }
    return true;
}

bool RadezOvuLibusb::UsbDevice_Libusb::readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got,
                                              uint32_t timeoutMs, std::string& why)
{
    int moved = 0;
    const int rc = libusb_bulk_transfer(handle, inEndpoint, data, static_cast<int>(maxBytes), &moved,
                                        timeoutOf(timeoutMs));
    got = moved > 0 ? static_cast<uint32_t>(moved) : 0;
    if (rc != LIBUSB_SUCCESS)
    {
        why = usbError(rc);
        return false;
    }
    return true;
}
