#pragma once
// The RadezOvu root and enumerator on Windows: DSP interfaces are found through SetupAPI by their device
// interface class and opened through WinUSB.
#include "radezovu/RadezOvuCore.h"
#include "radezovu/win/UsbApiLoader.h"

class RadezOvuWin : public RadezOvuCore
{
public:
    class Enumerator_Win;
    class UsbDevice_Win;

    /** A root, or null when WinUSB or SetupAPI cannot be loaded. */
    static RadezOvuWin* create();
    ~RadezOvuWin() override;

    Enumerator* createEnumerator(uint16_t vendorId, uint16_t productId) override;
    double seconds() override;

private:
    explicit RadezOvuWin(UsbApiLoader& loader);

    // Given back only with the last reference: enumerators and devices hold one while they call it.
    UsbApiLoader& api;
    LONGLONG frequency = 1;
    double secondsPerTick = 1.0;
};

class RadezOvuWin::Enumerator_Win : public RadezOvuCore::Enumerator_Core
{
public:
    Enumerator_Win(RadezOvuWin& root, uint16_t vendorId, uint16_t productId);
    ~Enumerator_Win() override;

    UsbDevice* openDevice() override;
    bool next() override;
    bool found() override { return more && found_; }

private:
    UsbApiLoader& api;
    uint16_t vendorFilter, productFilter;
    DWORD index = static_cast<DWORD>(-1);
    bool more = true;
    bool found_ = false;
    HDEVINFO deviceInfo = INVALID_HANDLE_VALUE;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
};
