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

    UsbApiLoader& api;
    LONGLONG frequency = 1;
    double secondsPerTick = 1.0;
};

class RadezOvuWin::Enumerator_Win : public RadezOvu::Enumerator
{
public:
    Enumerator_Win(UsbApiLoader& loader, uint16_t vendorId, uint16_t productId,
                   RadezOvuCore::RequestObserver* observer);
    ~Enumerator_Win() override;

    UsbDevice* openDevice() override;
    bool next() override;
    bool found() override { return more && found_; }

private:
    UsbApiLoader& api;
    uint16_t vendorFilter, productFilter;
    RadezOvuCore::RequestObserver* observer;
    DWORD index = static_cast<DWORD>(-1);
    bool more = true;
    bool found_ = false;
    HDEVINFO deviceInfo = INVALID_HANDLE_VALUE;
    SP_DEVICE_INTERFACE_DATA interfaceData{};
};
