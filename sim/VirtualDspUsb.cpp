#include "VirtualDspUsb.h"

#include <chrono>
#include <thread>

namespace NsStrata
{
VirtualDspDevice::VirtualDspDevice(std::shared_ptr<VirtualDsp> chip) : dsp(std::move(chip))
{
    const auto& config = dsp->config();
    setDescriptorFields(config.vendorId, config.productId, config.deviceVersion);
    setManufacturer(config.manufacturer.c_str());
    setProduct(config.product.c_str());
    setSerialNumber(config.serialNumber.c_str());
}

bool VirtualDspDevice::writeOut(const uint8_t* data, uint32_t bytes, uint32_t, std::string& why)
{
    if (dsp->receive(data, bytes))
        return true;
    why = "the device stalled the transfer";
    return false;
}

bool VirtualDspDevice::readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                              std::string& why)
{
    if (dsp->deliver(data, maxBytes, got))
        return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    why = "timed out after " + std::to_string(timeoutMs) + " ms";
    return false;
}

/** Walks the interfaces as the platform enumerators do: open each, compare its ids, rest on the first match.
 */
class VirtualDspRoot::Enumerator_Virtual : public RadezOvuCore::Enumerator_Core
{
public:
    Enumerator_Virtual(VirtualDspRoot& r, uint16_t vendorId, uint16_t productId)
        : Enumerator_Core(r), owner(r), vendorFilter(vendorId), productFilter(productId)
    {
        next();
    }

    UsbDevice* openDevice() override
    {
        if (!more || index < 0 || static_cast<size_t>(index) >= owner.interfaces.size())
            return nullptr;
        const auto& chip = owner.interfaces[static_cast<size_t>(index)];
        if (chip == nullptr)
        {
            noteOpenFailure("the interface cannot be opened", false);
            return nullptr;
        }
        if (chip->config().refusesOpen)
        {
            noteOpenFailure("access denied", true);
            return nullptr;
        }
        auto* device = new VirtualDspDevice(chip);
        device->setTransferTimeoutMs(owner.timeoutMs);
        device->attachTo(owner);
        device->drainIn();
        return device;
    }

    bool next() override
    {
        if (!more)
            return false;
        for (;;)
        {
            ++index;
            found_ = false;
            if (static_cast<size_t>(index) >= owner.interfaces.size())
            {
                more = false;
                return false;
            }
            RadezOvuRef<UsbDevice> device(openDevice());
            if (!device)
                continue;
            found_ = device->matches(vendorFilter, productFilter);
            if (found_)
                return true;
        }
    }

    bool found() override { return more && found_; }

private:
    VirtualDspRoot& owner; // kept alive by Enumerator_Core
    uint16_t vendorFilter, productFilter;
    long index = -1;
    bool more = true;
    bool found_ = false;
};

VirtualDspRoot::VirtualDspRoot(std::vector<Interface> list) : interfaces(std::move(list)) {}

RadezOvu::Enumerator* VirtualDspRoot::createEnumerator(uint16_t vendorId, uint16_t productId)
{
    return new Enumerator_Virtual(*this, vendorId, productId);
}

double VirtualDspRoot::seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
} // namespace NsStrata
