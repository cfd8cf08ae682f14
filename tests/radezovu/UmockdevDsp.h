#pragma once
// Emulated USB devices for the libusb layer: umockdev (loaded at run time) provides the sysfs entries and the
// usbdevfs device nodes, and bulk transfers on a node go to a VirtualDsp. Works only inside umockdev-wrapper.
#include "sim/VirtualDsp.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace DspTest
{
class UmockdevDsp
{
public:
    /** True inside umockdev-wrapper with libumockdev loadable; otherwise why says what is missing. */
    static bool available(std::string& why);

    /** A fresh, empty testbed: no USB device at all. */
    UmockdevDsp();
    ~UmockdevDsp();
    UmockdevDsp(const UmockdevDsp&) = delete;
    UmockdevDsp& operator=(const UmockdevDsp&) = delete;

    /** Adds a device on bus 1 whose interface 0 has this class and a bulk IN and OUT endpoint. Its transfers
        go to chip; without one the device lists but answers no transfer. */
    bool addDevice(int address, uint16_t vendorId, uint16_t productId, uint8_t interfaceClass,
                   std::shared_ptr<NsStrata::VirtualDsp> chip);

    struct Device;

private:
    void* testbed = nullptr;
    std::vector<std::unique_ptr<Device>> devices;
};
} // namespace DspTest
