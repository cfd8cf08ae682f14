#pragma once
// RadezOvu over emulated DSPs: a root whose enumerator lists VirtualDsp chips as USB interfaces, and the
// device transport that moves the exchange's bytes to and from a chip.
#include "VirtualDsp.h"

#include "radezovu/UsbDeviceCore.h"

#include <memory>
#include <vector>

namespace NsStrata
{
class VirtualDspDevice : public RadezOvuCore::UsbDevice_Core
{
public:
    explicit VirtualDspDevice(std::shared_ptr<VirtualDsp> dsp);

protected:
    bool writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs, std::string& why) override;
    /** When the chip has nothing to say, waits out the time limit as a silent device would. */
    bool readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                std::string& why) override;

private:
    std::shared_ptr<VirtualDsp> dsp;
};

class VirtualDspRoot : public RadezOvuCore
{
public:
    /** One USB interface: a chip, or a listed interface that cannot be opened (null). */
    using Interface = std::shared_ptr<VirtualDsp>;

    /** A root over these interfaces, in enumeration order; none stands for a machine without a DSP. */
    explicit VirtualDspRoot(std::vector<Interface> interfaces = {});

    Enumerator* createEnumerator(uint16_t vendorId, uint16_t productId) override;
    double seconds() override;

    /** The time limit given to every device opened from now on. */
    void setTransferTimeoutMs(uint32_t ms) { timeoutMs = ms; }

private:
    class Enumerator_Virtual;

    std::vector<Interface> interfaces;
    uint32_t timeoutMs = VirtualDspDevice::defaultTransferTimeoutMs;
};
} // namespace NsStrata
