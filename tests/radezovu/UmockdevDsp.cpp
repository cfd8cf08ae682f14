#include "UmockdevDsp.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <mutex>
#include <type_traits>

namespace DspTest
{
namespace
{
/** The public head of UMockdevIoctlData: the bytes copied from the client, and where they live there. */
struct IoctlData
{
    void* gClass;
    unsigned refCount;
    void* qdata;
    uint8_t* data;
    int dataLength;
    unsigned long clientAddress;
};

/** The few libumockdev and GObject entry points used here. */
struct Api
{
    void* (*testbedNew)() = nullptr;
    int (*addFromString)(void*, const char*, void**) = nullptr;
    int (*attachIoctl)(void*, const char*, void*, void**) = nullptr;
    void* (*ioctlBaseNew)() = nullptr;
    unsigned long (*clientRequest)(void*) = nullptr;
    IoctlData* (*clientArg)(void*) = nullptr;
    void (*clientComplete)(void*, long, int) = nullptr;
    IoctlData* (*dataResolve)(IoctlData*, size_t, size_t, void**) = nullptr;
    void (*dataUpdate)(IoctlData*, size_t, const uint8_t*, int) = nullptr;
    int (*dataSetPtr)(IoctlData*, size_t, IoctlData*) = nullptr;
    IoctlData* (*dataRef)(IoctlData*) = nullptr;
    void (*dataUnref)(IoctlData*) = nullptr;
    unsigned long (*signalConnect)(void*, const char*, void (*)(), void*, void*, int) = nullptr;
    void (*objectUnref)(void*) = nullptr;
    const char* (*rootDir)(void*) = nullptr;
    std::string problem;

    Api()
    {
        void* lib = dlopen("libumockdev.so.0", RTLD_NOW | RTLD_GLOBAL);
        if (lib == nullptr)
        {
            problem = "libumockdev.so.0 cannot be loaded";
            return;
        }
        bool ok = true;
        auto load = [&](auto& fn, const char* name)
        {
            void* symbol = dlsym(lib, name);
            ok = ok && symbol != nullptr;
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(symbol);
        };
        load(testbedNew, "umockdev_testbed_new");
        load(addFromString, "umockdev_testbed_add_from_string");
        load(attachIoctl, "umockdev_testbed_attach_ioctl");
        load(ioctlBaseNew, "umockdev_ioctl_base_new");
        load(clientRequest, "umockdev_ioctl_client_get_request");
        load(clientArg, "umockdev_ioctl_client_get_arg");
        load(clientComplete, "umockdev_ioctl_client_complete");
        load(dataResolve, "umockdev_ioctl_data_resolve");
        load(dataUpdate, "umockdev_ioctl_data_update");
        load(dataSetPtr, "umockdev_ioctl_data_set_ptr");
        load(dataRef, "umockdev_ioctl_data_ref");
        load(dataUnref, "umockdev_ioctl_data_unref");
        load(signalConnect, "g_signal_connect_data");
        load(objectUnref, "g_object_unref");
        load(rootDir, "umockdev_testbed_get_root_dir");
        if (!ok)
            problem = "libumockdev lacks the ioctl handler interface";
    }
};

Api& api()
{
    static Api instance;
    return instance;
}

/** The device node below /dev of the device at address on bus 1. */
std::string nodeName(int address)
{
    char node[32];
    std::snprintf(node, sizeof(node), "bus/usb/001/%03d", address);
    return node;
}

std::string hex(const std::vector<uint8_t>& bytes)
{
    std::string out;
    char two[3];
    for (uint8_t b : bytes)
    {
        std::snprintf(two, sizeof(two), "%02X", b);
        out += two;
    }
    return out;
}

/** Device and configuration descriptors: strings 1 to 3, then the interfaces numbered from 0. */
std::vector<uint8_t> descriptors(uint16_t vendorId, uint16_t productId,
                                 const std::vector<UmockdevDsp::Interface>& interfaces)
{
    auto lo = [](uint16_t v) { return static_cast<uint8_t>(v & 0xFF); };
    auto hi = [](uint16_t v) { return static_cast<uint8_t>(v >> 8); };
    std::vector<uint8_t> body;
    for (size_t i = 0; i < interfaces.size(); ++i)
    {
        const auto& interface = interfaces[i];
        body.insert(body.end(),
                    {9, 4, static_cast<uint8_t>(i), 0, static_cast<uint8_t>(interface.endpoints.size()),
                     interface.interfaceClass, 0, 0, 0});
        for (const auto& e : interface.endpoints)
            body.insert(body.end(),
                        {7, 5, e.address, e.type, 0x00, 0x02, static_cast<uint8_t>(e.type == 3 ? 4 : 0)});
    }
    const auto total = static_cast<uint16_t>(9 + body.size());
    std::vector<uint8_t> out{
        18,   1,    0x00, 0x02, 0, 0, 0, 64, lo(vendorId), hi(vendorId), lo(productId), hi(productId),
        0x00, 0x01, 1,    2,    3, 1};
    out.insert(out.end(),
               {9, 2, lo(total), hi(total), static_cast<uint8_t>(interfaces.size()), 1, 0, 0x80, 50});
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
} // namespace

/** One emulated device node: its chip and the URBs waiting to be reaped. */
struct UmockdevDsp::Device
{
    int address = 0;
    std::shared_ptr<NsStrata::VirtualDsp> chip;
    std::vector<uint8_t> dspEndpoints;
    void* handler = nullptr;
    mutable std::mutex lock;
    std::deque<IoctlData*> reapable;
    HostActions seen;

    ~Device()
    {
        for (auto* urb : reapable)
            api().dataUnref(urb);
        if (handler != nullptr)
            api().objectUnref(handler);
    }

    std::vector<uint8_t> stringDescriptor(uint8_t index) const
    {
        if (index == 0)
            return {4, 3, 0x09, 0x04};
        const auto& config = chip->config();
        const std::string& text = index == 1   ? config.manufacturer
                                  : index == 2 ? config.product
                                               : config.serialNumber;
        std::vector<uint8_t> out{static_cast<uint8_t>(2 + 2 * text.size()), 3};
        for (char c : text)
        {
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(0);
        }
        return out;
    }

    /** Runs one URB to completion at once; the emulated chip never keeps the host waiting. */
    void submit(void* client, IoctlData* urbData)
    {
        const auto* urb = reinterpret_cast<const usbdevfs_urb*>(urbData->data);
        int status = 0;
        int actual = 0;
        void* error = nullptr;
        IoctlData* buffer = urb->buffer_length > 0
                                ? api().dataResolve(urbData, offsetof(usbdevfs_urb, buffer),
                                                    static_cast<size_t>(urb->buffer_length), &error)
                                : nullptr;
        const auto length = static_cast<uint32_t>(urb->buffer_length);
        const bool dspEndpoint =
            std::find(dspEndpoints.begin(), dspEndpoints.end(), urb->endpoint) != dspEndpoints.end();
        if (urb->type == USBDEVFS_URB_TYPE_BULK && !dspEndpoint)
        {
            ++seen.strayTransfers;
            status = -EPIPE;
        }
        else if (urb->type == USBDEVFS_URB_TYPE_BULK && buffer != nullptr)
        {
            if ((urb->endpoint & 0x80) != 0)
            {
                std::vector<uint8_t> reply(length);
                uint32_t got = 0;
                if (chip->deliver(reply.data(), length, got))
                {
                    api().dataUpdate(buffer, 0, reply.data(), static_cast<int>(got));
                    actual = static_cast<int>(got);
                }
                else
                    status = -EPIPE;
            }
            else if (chip->receive(buffer->data, length))
                actual = static_cast<int>(length);
            else
                status = -EPIPE;
        }
        else if (urb->type == USBDEVFS_URB_TYPE_CONTROL && buffer != nullptr && length >= 8)
        {
            const uint8_t* setup = buffer->data;
            const uint16_t wLength = static_cast<uint16_t>(setup[6] | (setup[7] << 8));
            if (setup[0] == 0x80 && setup[1] == 6 && setup[3] == 3)
            {
                auto text = stringDescriptor(setup[2]);
                text.resize(std::min<size_t>(text.size(), std::min<size_t>(wLength, length - 8)));
                api().dataUpdate(buffer, 8, text.data(), static_cast<int>(text.size()));
                actual = static_cast<int>(text.size());
            }
            else
                status = -EPIPE;
        }
        else
            status = -EINVAL;
        if (buffer != nullptr)
            api().dataUnref(buffer);

        api().dataUpdate(urbData, offsetof(usbdevfs_urb, status), reinterpret_cast<const uint8_t*>(&status),
                         sizeof(status));
        api().dataUpdate(urbData, offsetof(usbdevfs_urb, actual_length),
                         reinterpret_cast<const uint8_t*>(&actual), sizeof(actual));
        reapable.push_back(api().dataRef(urbData));
        api().clientComplete(client, 0, 0);
    }

    static int onIoctl(void*, void* client, void* self)
    {
        auto& device = *static_cast<Device*>(self);
        std::lock_guard<std::mutex> guard(device.lock);
        IoctlData* arg = api().clientArg(client);
        const unsigned long request = api().clientRequest(client);
        // The argument is the pointer the client passed; what it points at is fetched on request.
        void* error = nullptr;
        if (request == USBDEVFS_SUBMITURB && arg != nullptr)
        {
            IoctlData* urb = api().dataResolve(arg, 0, sizeof(usbdevfs_urb), &error);
            device.submit(client, urb);
            api().dataUnref(urb);
        }
        else if ((request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) && arg != nullptr)
        {
            if (device.reapable.empty())
            {
                api().clientComplete(client, -1, EAGAIN);
                return 1;
            }
            IoctlData* slot = api().dataResolve(arg, 0, sizeof(void*), &error);
            IoctlData* urb = device.reapable.front();
            device.reapable.pop_front();
            api().dataSetPtr(slot, 0, urb);
            api().dataUnref(urb);
            api().dataUnref(slot);
            api().clientComplete(client, 0, 0);
        }
        else if (request == USBDEVFS_GET_CAPABILITIES && arg != nullptr)
        {
            const uint32_t none = 0;
            IoctlData* caps = api().dataResolve(arg, 0, sizeof(none), &error);
            api().dataUpdate(caps, 0, reinterpret_cast<const uint8_t*>(&none), sizeof(none));
            api().dataUnref(caps);
            api().clientComplete(client, 0, 0);
        }
        else if (request == USBDEVFS_CLAIMINTERFACE && arg != nullptr)
        {
            IoctlData* number = api().dataResolve(arg, 0, sizeof(unsigned), &error);
            unsigned interface = 0;
            std::memcpy(&interface, number->data, sizeof(interface));
            device.seen.claimed.push_back(interface);
            api().dataUnref(number);
            api().clientComplete(client, 0, 0);
        }
        else if (request == USBDEVFS_RELEASEINTERFACE)
        {
            api().clientComplete(client, 0, 0);
        }
        else if (request == USBDEVFS_DISCONNECT_CLAIM || request == USBDEVFS_IOCTL)
        {
            // Taking an interface from a kernel driver: never done by the library.
            ++device.seen.detachAttempts;
            api().clientComplete(client, -1, EPERM);
        }
        else
        {
            api().clientComplete(client, -1, ENOTTY);
        }
        return 1;
    }
};

bool UmockdevDsp::available(std::string& why)
{
    auto& a = api();
    if (!a.problem.empty())
    {
        why = a.problem;
        return false;
    }
    const char* preload = std::getenv("LD_PRELOAD");
    if (preload == nullptr || std::strstr(preload, "libumockdev-preload") == nullptr)
    {
        why = "not running inside umockdev-wrapper";
        return false;
    }
    return true;
}

UmockdevDsp::UmockdevDsp() : testbed(api().testbedNew()) {}

UmockdevDsp::~UmockdevDsp()
{
    // The handlers go with the testbed, which stops their thread.
    api().objectUnref(testbed);
    devices.clear();
}

bool UmockdevDsp::addDevice(int address, uint16_t vendorId, uint16_t productId, uint8_t interfaceClass,
                            std::shared_ptr<NsStrata::VirtualDsp> chip)
{
    return addDevice(address, vendorId, productId, {{interfaceClass, {{0x81, 2}, {0x01, 2}}, true}},
                     std::move(chip));
}

bool UmockdevDsp::addDevice(int address, uint16_t vendorId, uint16_t productId,
                            const std::vector<Interface>& interfaces,
                            std::shared_ptr<NsStrata::VirtualDsp> chip)
{
    const std::string node = nodeName(address);
    const std::string name = "1-" + std::to_string(address - 1);
    char ids[64];
    std::snprintf(ids, sizeof(ids), "A: idVendor=%04x\nA: idProduct=%04x\n", vendorId, productId);
    const std::string description =
        "P: /devices/pci0000:00/0000:00:14.0/usb1/" + name + "\nN: " + node + "\nE: DEVNAME=/dev/" + node +
        "\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: SUBSYSTEM=usb\nE: BUSNUM=001\n"
        "E: DEVNUM=" +
        std::to_string(address) + "\nA: busnum=1\nA: devnum=" + std::to_string(address) + "\n" + ids +
        "A: speed=480\nA: bConfigurationValue=1\nA: bNumConfigurations=1\n" +
        "H: descriptors=" + hex(descriptors(vendorId, productId, interfaces)) + "\n";
    void* error = nullptr;
    if (!api().addFromString(testbed, description.c_str(), &error))
        return false;
    if (chip == nullptr)
        return true;

    auto device = std::make_unique<Device>();
    device->address = address;
    device->chip = std::move(chip);
    for (const auto& interface : interfaces)
        if (interface.dsp)
            for (const auto& e : interface.endpoints)
                device->dspEndpoints.push_back(e.address);
    device->handler = api().ioctlBaseNew();
    api().signalConnect(device->handler, "handle-ioctl", reinterpret_cast<void (*)()>(&Device::onIoctl),
                        device.get(), nullptr, 0);
    if (!api().attachIoctl(testbed, ("/dev/" + node).c_str(), device->handler, &error))
        return false;
    devices.push_back(std::move(device));
    return true;
}

UmockdevDsp::Device* UmockdevDsp::find(int address) const
{
    for (const auto& d : devices)
        if (d->address == address)
            return d.get();
    return nullptr;
}

UmockdevDsp::HostActions UmockdevDsp::hostActions(int address) const
{
    const Device* d = find(address);
    if (d == nullptr)
        return {};
    std::lock_guard<std::mutex> guard(d->lock);
    return d->seen;
}

std::string UmockdevDsp::nodeFile(int address) const
{
    return std::string(api().rootDir(testbed)) + "/dev/" + nodeName(address);
}
} // namespace DspTest
