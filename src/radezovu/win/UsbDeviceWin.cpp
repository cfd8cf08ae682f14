#include "radezovu/win/UsbDeviceWin.h"

#include <string>

namespace
{
constexpr UCHAR deviceDescriptorType = 1;
constexpr UCHAR stringDescriptorType = 3;

std::string windowsError(DWORD code)
{
    return "Windows error " + std::to_string(code);
}
} // namespace

RadezOvuWin::UsbDevice_Win* RadezOvuWin::UsbDevice_Win::open(UsbApiLoader& api, const char* devicePath,
                                                             std::string& why)
{
    HANDLE file = CreateFileA(devicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (file == INVALID_HANDLE_VALUE)
    {
        why = windowsError(GetLastError());
        return nullptr;
    }
    WINUSB_INTERFACE_HANDLE handle = nullptr;
    if (!api.WinUsb_Initialize(file, &handle))
    {
        why = windowsError(GetLastError());
        CloseHandle(file);
        return nullptr;
    }

    // The pipes are looked up only when the interface has a readable string; its text is not examined.
    UCHAR inPipe = 0, outPipe = 0;
    USB_INTERFACE_DESCRIPTOR interface {
    };
    UCHAR text[200];
    ULONG length = 0;
    if (api.WinUsb_QueryInterfaceSettings(handle, 0, &interface) && interface.iInterface != 0 &&
        api.WinUsb_GetDescriptor(handle, stringDescriptorType, interface.iInterface, 0, text, sizeof(text),
                                 &length))
    {
        for (UCHAR i = 0; i < interface.bNumEndpoints; ++i)
        {
            WINUSB_PIPE_INFORMATION pipe{};
            if (!api.WinUsb_QueryPipe(handle, 0, i, &pipe) || pipe.PipeType != UsbdPipeTypeBulk)
                continue;
            UCHAR& slot = (pipe.PipeId & 0x80) != 0 ? inPipe : outPipe;
            if (slot == 0)
                slot = pipe.PipeId;
        }
    }

    auto* device = new UsbDevice_Win(api, file, handle, inPipe, outPipe);
    device->readDescriptors();
    return device;
}

RadezOvuWin::UsbDevice_Win::UsbDevice_Win(UsbApiLoader& loader, HANDLE f, WINUSB_INTERFACE_HANDLE h, UCHAR in,
                                          UCHAR out)
    : api(loader), file(f), handle(h), inPipe(in), outPipe(out)
{
    readRecord.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    writeRecord.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

RadezOvuWin::UsbDevice_Win::~UsbDevice_Win()
{
    api.WinUsb_Free(handle);
    CloseHandle(file);
    if (readRecord.hEvent != nullptr)
        CloseHandle(readRecord.hEvent);
    if (writeRecord.hEvent != nullptr)
        CloseHandle(writeRecord.hEvent);
}

void RadezOvuWin::UsbDevice_Win::readDescriptors()
{
    ULONG length = 0;
    if (!api.WinUsb_GetDescriptor(handle, deviceDescriptorType, 0, 0, deviceDescriptor,
                                  sizeof(deviceDescriptor), &length) ||
        length != sizeof(deviceDescriptor))
        return;
    auto word = [this](int at)
    { return static_cast<uint16_t>(deviceDescriptor[at] | (deviceDescriptor[at + 1] << 8)); };
    setDescriptorFields(word(8), word(10), word(12));
    char text[128];
    if (readString(deviceDescriptor[14], text))
        setManufacturer(text);
    if (readString(deviceDescriptor[15], text))
        setProduct(text);
    if (readString(deviceDescriptor[16], text))
        setSerialNumber(text);
}

bool RadezOvuWin::UsbDevice_Win::readString(UCHAR index, char* text)
{
    if (index == 0)
        return false;
    UCHAR buffer[256];
    ULONG length = 0;
    return api.WinUsb_GetDescriptor(handle, stringDescriptorType, index, 0, buffer, sizeof(buffer),
                                    &length) &&
           asciiFromStringDescriptor(buffer, length, text);
}

void RadezOvuWin::UsbDevice_Win::flushIn()
{
    api.WinUsb_FlushPipe(handle, inPipe);
}

bool RadezOvuWin::UsbDevice_Win::transfer(bool write, uint8_t* data, uint32_t bytes, uint32_t& moved,
                                          uint32_t timeoutMs, std::string& why)
{
    OVERLAPPED& record = write ? writeRecord : readRecord;
    const UCHAR pipe = write ? outPipe : inPipe;
    ResetEvent(record.hEvent);
    record.Internal = record.InternalHigh = 0;
    record.Offset = record.OffsetHigh = 0;

    ULONG done = 0;
    const BOOL started = write ? api.WinUsb_WritePipe(handle, pipe, data, bytes, &done, &record)
                               : api.WinUsb_ReadPipe(handle, pipe, data, bytes, &done, &record);
    if (!started && GetLastError() != ERROR_IO_PENDING)
    {
        why = windowsError(GetLastError());
        return false;
    }
    if (WaitForSingleObject(record.hEvent, timeoutMs) != WAIT_OBJECT_0)
    {
        // The request must be over before its record is used again.
        api.WinUsb_AbortPipe(handle, pipe);
        ULONG ignored = 0;
        api.WinUsb_GetOverlappedResult(handle, &record, &ignored, TRUE);
        why = "timed out after " + std::to_string(timeoutMs) + " ms";
        return false;
    }
    if (!api.WinUsb_GetOverlappedResult(handle, &record, &done, FALSE))
    {
        why = windowsError(GetLastError());
        return false;
    }
    moved = done;
    return true;
}

bool RadezOvuWin::UsbDevice_Win::writeOut(const uint8_t* data, uint32_t bytes, uint32_t timeoutMs,
                                          std::string& why)
{
    uint32_t moved = 0;
    if (!transfer(true, const_cast<uint8_t*>(data), bytes, moved, timeoutMs, why))
        return false;
    if (moved != bytes)
    {
        why = "short write (" + std::to_string(moved) + " of " + std::to_string(bytes) + " bytes)";
        return false;
    }
    return true;
}

bool RadezOvuWin::UsbDevice_Win::readIn(uint8_t* data, uint32_t maxBytes, uint32_t& got, uint32_t timeoutMs,
                                        std::string& why)
{
    got = 0;
    return transfer(false, data, maxBytes, got, timeoutMs, why);
}
