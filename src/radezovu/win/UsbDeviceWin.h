#pragma once
// An opened DSP interface on WinUSB: the interface handle, its bulk pipes and overlapped transfers that
// give up after the time limit.
#include "radezovu/UsbDeviceCore.h"
#include "radezovu/win/RadezOvuWin.h"

class RadezOvuWin::UsbDevice_Win : public RadezOvuCore::UsbDevice_Core
{
public:
    /** Opens the interface at a device path; null when the file or WinUSB cannot be opened, with the
        reason in why. */
    static UsbDevice_Win* open(UsbApiLoader& api, const char* devicePath, std::string& why);
    ~UsbDevice_Win() override;

protected:
    void flushIn() override;
    bool writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs, std::string& why) override;
    bool readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                std::string& why) override;

private:
    UsbDevice_Win(UsbApiLoader& api, HANDLE file, WINUSB_INTERFACE_HANDLE handle, UCHAR inPipe,
                  UCHAR outPipe);
    void readDescriptors();
    bool readString(UCHAR index, char* text);
    bool transfer(bool write, uint8_t* data, uint32_t bytes, uint32_t& moved, uint32_t timeoutMs,
                  std::string& why);

    UsbApiLoader& api;
    HANDLE file;
    WINUSB_INTERFACE_HANDLE handle;
    UCHAR inPipe, outPipe;
    OVERLAPPED readRecord{}, writeRecord{};
    UCHAR deviceDescriptor[18] = {};
};
