#include "radezovu/libusb/UsbDeviceLibusb.h"

#include <libusb.h>

#include <climits>

namespace
{
std::string usbError(int code)
{
    return libusb_error_name(code);
}

int timeoutOf(uint32_t ms)
{
    return ms > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

// The first bulk IN and the first bulk OUT endpoint of an interface setting.
void bulkEndpoints(const libusb_interface_descriptor& setting, uint8_t& in, uint8_t& out)
{
    in = out = 0;
    for (int e = 0; e < setting.bNumEndpoints; ++e)
    {
        const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
        if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
            continue;
        const bool isIn = (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN;
        uint8_t& slot = isIn ? in : out;
        if (slot == 0)
            slot = endpoint.bEndpointAddress;
    }
}
} // namespace

bool RadezOvuLibusb::UsbDevice_Libusb::findDspInterface(libusb_device* device, DspInterface& found)
{
    found = DspInterface{};
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(device, &config) != LIBUSB_SUCCESS &&
        libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS)
        return false;

    for (int i = 0; i < config->bNumInterfaces && found.number < 0; ++i)
    {
        const libusb_interface& interface = config->interface[i];
        if (interface.num_altsetting < 1)
            continue;
        // Only a vendor-specific interface can be the DSP's: anything else belongs to a class driver.
        const libusb_interface_descriptor& setting = interface.altsetting[0];
        if (setting.bInterfaceClass != LIBUSB_CLASS_VENDOR_SPEC)
            continue;
        uint8_t in = 0, out = 0;
        bulkEndpoints(setting, in, out);
        if (in != 0 && out != 0)
            found = {setting.bInterfaceNumber, in, out};
    }
    libusb_free_config_descriptor(config);
    return found.number >= 0;
}

RadezOvuLibusb::UsbDevice_Libusb* RadezOvuLibusb::UsbDevice_Libusb::open(libusb_device* device,
                                                                         std::string& why, bool& denied)
{
    denied = false;
    DspInterface dsp;
    if (!findDspInterface(device, dsp))
    {
        why = "no vendor-specific interface with bulk endpoints";
        return nullptr;
    }
    libusb_device_handle* handle = nullptr;
    int rc = libusb_open(device, &handle);
    if (rc == LIBUSB_SUCCESS)
    {
        // No kernel driver is detached: an interface that one holds is not ours to take.
        rc = libusb_claim_interface(handle, dsp.number);
        if (rc != LIBUSB_SUCCESS)
            libusb_close(handle);
    }
    if (rc != LIBUSB_SUCCESS)
    {
        why = usbError(rc);
        denied = rc == LIBUSB_ERROR_ACCESS;
        return nullptr;
    }
    auto* opened = new UsbDevice_Libusb(handle, dsp);

    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) == LIBUSB_SUCCESS)
    {
        opened->setDescriptorFields(descriptor.idVendor, descriptor.idProduct, descriptor.bcdDevice);
        opened->readStrings(descriptor.iManufacturer, descriptor.iProduct, descriptor.iSerialNumber);
    }
    opened->drainIn();
    return opened;
}

RadezOvuLibusb::UsbDevice_Libusb::UsbDevice_Libusb(libusb_device_handle* h, const DspInterface& d)
    : handle(h), dsp(d)
{
}

RadezOvuLibusb::UsbDevice_Libusb::~UsbDevice_Libusb()
{
    libusb_release_interface(handle, dsp.number);
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
    const int rc = libusb_bulk_transfer(handle, dsp.outEndpoint, const_cast<uint8_t*>(data),
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
    const int rc = libusb_bulk_transfer(handle, dsp.inEndpoint, data, static_cast<int>(maxBytes), &moved,
                                        timeoutOf(timeoutMs));
    got = moved > 0 ? static_cast<uint32_t>(moved) : 0;
    if (rc != LIBUSB_SUCCESS)
    {
        why = usbError(rc);
        return false;
    }
    return true;
}
