// libFuzzer target: any bytes as the DSP's reply to an exchange, read as a reply and as a command answer, and
// left pending from before a device is opened.
#include "radezovu/FlashProgrammerCore.h"
#include "sim/VirtualDspUsb.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace
{
std::vector<uint8_t> layoutOfOneRange()
{
    return {128, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x11, 0, 'S', 'L', 'O', 'T', 0, 0, 0, 0, 0, 0, 0, 0};
}

// Long enough to carry a status: what a reply needs before an exchange may succeed.
constexpr size_t headerBytes = 8;

RadezOvuRef<NsStrata::VirtualDspDevice> deviceOn(const std::shared_ptr<NsStrata::VirtualDsp>& chip)
{
    RadezOvuRef<NsStrata::VirtualDspDevice> device(new NsStrata::VirtualDspDevice(chip));
    device->setTransferTimeoutMs(0); // a reply that promises more than it holds must not stall the fuzzer
    return device;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> reply(data, data + size);
    {
        auto chip = std::make_shared<NsStrata::VirtualDsp>();
        auto device = deviceOn(chip);
        chip->setRawReply(reply);
        if (device->transact(0x1004, nullptr, 0, nullptr, 0, 0))
        {
            if (size < headerBytes)
                std::abort(); // a reply without a status passed
            const uint8_t* p = device->replyData();
            unsigned sum = device->replyStatus();
            for (uint32_t i = 0; i < 2 * device->replyLength(); ++i)
                sum += p[i];
            if (device->replyLength() > 0 && 8 + 2 * size_t{device->replyLength()} > size)
                std::abort(); // more data claimed than arrived
            (void) sum;
        }
    }
    {
        auto chip = std::make_shared<NsStrata::VirtualDsp>();
        auto device = deviceOn(chip);
        const auto layout = layoutOfOneRange();
        RadezOvuRef<RadezOvu::FlashProgrammer> programmer(RadezOvuCore::FlashProgrammer_Core::fromLayout(
            *device, layout.data(), static_cast<uint32_t>(layout.size())));
        if (!programmer)
            std::abort();
        chip->setRawReply(reply);
        DspCommandMessage message;
        if (programmer->command(8, message) && size < headerBytes)
            std::abort(); // read as "done"
    }
    {
        // Left pending before the device was opened: dropped, so the first exchange gets its own answer.
        auto chip = std::make_shared<NsStrata::VirtualDsp>();
        chip->leaveStaleReply(reply);
        RadezOvuRef<NsStrata::VirtualDspRoot> root(new NsStrata::VirtualDspRoot({chip}));
        root->setTransferTimeoutMs(0);
        RadezOvuRef<RadezOvu::Enumerator> e(root->createEnumerator(RadezOvu::anyId, RadezOvu::anyId));
        RadezOvuRef<RadezOvu::UsbDevice> device(e->openDevice());
        if (!device || !RadezOvuRef<RadezOvu::FlashProgrammer>(root->openProgrammer(device.get())))
            std::abort();
    }
    return 0;
}
