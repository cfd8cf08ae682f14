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

    struct Endpoint
    {
        uint8_t address;
        uint8_t type; // 2 bulk, 3 interrupt
    };
    struct Interface
    {
        uint8_t interfaceClass;
        std::vector<Endpoint> endpoints;
        bool dsp = false; // the chip answers on this interface's endpoints
    };

    /** Adds a device on bus 1 whose interface 0 has this class and a bulk IN and OUT endpoint. Its transfers
        go to chip; without one the device lists but answers no transfer. */
    bool addDevice(int address, uint16_t vendorId, uint16_t productId, uint8_t interfaceClass,
                   std::shared_ptr<NsStrata::VirtualDsp> chip);
    /** Adds a device on bus 1 with these interfaces, numbered from 0; the chip answers bulk transfers on the
        endpoints of the one marked dsp, and stalls transfers on any other endpoint. */
    bool addDevice(int address, uint16_t vendorId, uint16_t productId,
                   const std::vector<Interface>& interfaces, std::shared_ptr<NsStrata::VirtualDsp> chip);

    /** What the host did to a device. */
    struct HostActions
    {
        std::vector<unsigned> claimed; // the interfaces it claimed, in order
        int detachAttempts = 0;        // attempts to take an interface from a kernel driver
        int strayTransfers = 0;        // transfers on endpoints the chip does not answer on
    };
    HostActions hostActions(int address) const;
    /** The file that stands for the device's node in the testbed. */
    std::string nodeFile(int address) const;

    struct Device;

private:
    Device* find(int address) const;

    void* testbed = nullptr;
    std::vector<std::unique_ptr<Device>> devices;
};
} // namespace DspTest
