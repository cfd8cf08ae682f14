#include "radezovu/win/RadezOvuWin.h"

#include "radezovu/win/UsbDeviceWin.h"

#include <vector>

namespace
{
// The device interface class of the DSP: {72B7FC1C-2485-2485-81E4-910F74BD7358}.
const GUID dspInterfaceClass = {0x72B7FC1C, 0x2485, 0x2485, {0x81, 0xE4, 0x91, 0x0F, 0x74, 0xBD, 0x73, 0x58}};
} // namespace

RadezOvu* createRadezOvu(uint32_t version)
{
    if (version != 0x100)
        return nullptr;
    return RadezOvuWin::create();
}

RadezOvuWin* RadezOvuWin::create()
{
    UsbApiLoader* loader = UsbApiLoader::acquire();
    return loader != nullptr ? new RadezOvuWin(*loader) : nullptr;
}

RadezOvuWin::RadezOvuWin(UsbApiLoader& loader) : api(loader)
{
    LARGE_INTEGER f;
    if (QueryPerformanceFrequency(&f) && f.QuadPart > 0)
        frequency = f.QuadPart;
    secondsPerTick = 1.0 / static_cast<double>(frequency);
}

RadezOvuWin::~RadezOvuWin()
{
    UsbApiLoader::giveBack();
}

RadezOvu::Enumerator* RadezOvuWin::createEnumerator(uint16_t vendorId, uint16_t productId)
{
    return new Enumerator_Win(*this, vendorId, productId);
}

double RadezOvuWin::seconds()
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * secondsPerTick;
}

RadezOvuWin::Enumerator_Win::Enumerator_Win(RadezOvuWin& root, uint16_t vendorId, uint16_t productId)
    : Enumerator_Core(root), api(root.api), vendorFilter(vendorId), productFilter(productId)
{
    // Devices that are not present are listed too; they fail to open during the scan and are passed over.
    deviceInfo = api.SetupDiGetClassDevsA(&dspInterfaceClass, nullptr, nullptr, DIGCF_DEVICEINTERFACE);
    if (deviceInfo == INVALID_HANDLE_VALUE)
        more = false;
    next();
}

RadezOvuWin::Enumerator_Win::~Enumerator_Win()
{
    if (deviceInfo != INVALID_HANDLE_VALUE)
        api.SetupDiDestroyDeviceInfoList(deviceInfo);
}

bool RadezOvuWin::Enumerator_Win::next()
{
    if (!more)
        return false;
    for (;;)
    {
        ++index;
        found_ = false;
        interfaceData.cbSize = sizeof(interfaceData);
        more =
            api.SetupDiEnumDeviceInterfaces(deviceInfo, nullptr, &dspInterfaceClass, index, &interfaceData);
        if (!more)
            return false;
        RadezOvuRef<RadezOvu::UsbDevice> device(openDevice());
        if (!device)
            continue;
        found_ = device->matches(vendorFilter, productFilter);
        if (found_)
            return true;
    }
}

RadezOvu::UsbDevice* RadezOvuWin::Enumerator_Win::openDevice()
{
    if (!more)
        return nullptr;
    DWORD required = 0;
    api.SetupDiGetDeviceInterfaceDetailA(deviceInfo, &interfaceData, nullptr, 0, &required, nullptr);
    if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A))
        return nullptr;
    std::vector<uint8_t> storage(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    // The fixed part of the record as this build lays it out (5 bytes on 32-bit, 8 on 64-bit Windows).
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!api.SetupDiGetDeviceInterfaceDetailA(deviceInfo, &interfaceData, detail, required, nullptr, nullptr))
        return nullptr;
    std::string why;
    UsbDevice_Win* device = UsbDevice_Win::open(api, detail->DevicePath, why);
    if (device == nullptr)
        noteOpenFailure(why, false);
    else
        device->attachTo(root());
    return device;
}
