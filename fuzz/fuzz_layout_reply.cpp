// libFuzzer target: any bytes as the data of the DSP's flash layout reply.
#include "radezovu/FlashProgrammerCore.h"
#include "sim/VirtualDspUsb.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto chip = std::make_shared<NsStrata::VirtualDsp>();
    RadezOvuRef<NsStrata::VirtualDspDevice> device(new NsStrata::VirtualDspDevice(chip));
    RadezOvuRef<RadezOvu::FlashProgrammer> programmer(RadezOvuCore::FlashProgrammer_Core::fromLayout(
        *device, size > 0 ? data : nullptr, static_cast<uint32_t>(size)));
    if (!programmer)
        return 0;
    const uint32_t count = programmer->rangeCount();
    for (uint32_t i = 0; i < count; ++i)
    {
        auto* range = programmer->range(i);
        if (range == nullptr || std::strlen(range->name()) > 12 || (range->startAddress() & 0xFFFF) != 0 ||
            (range->endAddress() & 0xFFFF) != 0 || range->pageSize() != programmer->pageSize())
            std::abort();
    }
    if (programmer->range(count) != nullptr)
        std::abort();
    return 0;
}
