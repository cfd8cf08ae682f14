#pragma once
// WinUSB and SetupAPI, loaded at run time so that the program starts on systems without them; one
// process-wide instance shared by every root.
#include <windows.h>

#include <setupapi.h>
#include <winusb.h>

class UsbApiLoader
{
public:
    /** The shared instance with one more use, or null when either library or one of its entry points is
     * missing. */
    static UsbApiLoader* acquire();
    /** Gives back one use; the libraries are freed with the last. */
    static void giveBack();

#define RADEZOVU_ENTRY(name) decltype(&::name) name = nullptr;
#include "radezovu/win/UsbApiEntries.inc"
#undef RADEZOVU_ENTRY

private:
    UsbApiLoader() = default;
    bool loadWinUsb();
    bool loadSetupApi();

    HMODULE winUsb = nullptr;
    HMODULE setupApi = nullptr;
    int uses = 0;
    static UsbApiLoader* instance;
};
