// radezovu-probe: lists the DSP interfaces that RadezOvu can open, with their descriptor fields and layout.
// Built beside the library on every platform, so a cross build also proves that the Windows layer links.
#include "radezovu/RadezOvu.h"

#include <cstdio>

static const char* orNone(const char* text)
{
    return text != nullptr ? text : "-";
}

int main()
{
    RadezOvuRef<RadezOvu> root(createRadezOvu(256));
    if (!root)
    {
        std::fprintf(stderr, "USB access is not available on this system\n");
        return 1;
    }
    RadezOvuRef<RadezOvu::Enumerator> enumerator(root->createEnumerator(0x1D03, RadezOvu::anyId));
    int count = 0;
    for (bool more = enumerator->found(); more; more = enumerator->next())
    {
        RadezOvuRef<RadezOvu::UsbDevice> device(enumerator->openDevice());
        if (!device)
            continue;
        ++count;
        std::printf("%04x:%04x version %04x, %s / %s / %s\n", device->vendorId(), device->productId(),
                    device->deviceVersion(), orNone(device->manufacturerString()),
                    orNone(device->productString()), orNone(device->serialNumberString()));
        RadezOvuRef<RadezOvu::FlashProgrammer> programmer(root->openProgrammer(device.get()));
        if (!programmer)
        {
            std::printf("  no flash layout\n");
            continue;
        }
        std::printf("  page size %u words, %u ranges\n", programmer->pageSize(), programmer->rangeCount());
        for (uint32_t i = 0; i < programmer->rangeCount(); ++i)
        {
            auto* range = programmer->range(i);
            std::printf("  %u: %08x-%08x %s\n", i, range->startAddress(), range->endAddress(), range->name());
        }
    }
    if (count == 0)
    {
        std::fprintf(stderr, "no DSP found\n");
        return 1;
    }
    return 0;
}
