#include "radezovu/win/UsbApiLoader.h"

UsbApiLoader* UsbApiLoader::instance = nullptr;

namespace
{
template <typename F> bool resolve(HMODULE module, const char* name, F& entry)
{
    // Through the generic function pointer type, which converts to any other without a warning.
    entry = reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return entry != nullptr;
}

void unload(HMODULE& module)
{
    if (module != nullptr)
        FreeLibrary(module);
    module = nullptr;
}
} // namespace

bool UsbApiLoader::loadWinUsb()
{
    winUsb = LoadLibraryA("WINUSB.DLL");
    if (winUsb == nullptr)
        return false;
    bool ok = true;
#define RADEZOVU_ENTRY(name)
#define RADEZOVU_WINUSB_ENTRY(name) ok = ok && resolve(winUsb, #name, name);
#define RADEZOVU_SETUPAPI_ENTRY(name)
#include "radezovu/win/UsbApiEntries.inc"
#undef RADEZOVU_WINUSB_ENTRY
#undef RADEZOVU_SETUPAPI_ENTRY
#undef RADEZOVU_ENTRY
    if (!ok)
        unload(winUsb);
    return ok;
}

bool UsbApiLoader::loadSetupApi()
{
    setupApi = LoadLibraryA("SETUPAPI.DLL");
    if (setupApi == nullptr)
        return false;
    bool ok = true;
#define RADEZOVU_ENTRY(name)
#define RADEZOVU_WINUSB_ENTRY(name)
#define RADEZOVU_SETUPAPI_ENTRY(name) ok = ok && resolve(setupApi, #name, name);
#include "radezovu/win/UsbApiEntries.inc"
#undef RADEZOVU_WINUSB_ENTRY
#undef RADEZOVU_SETUPAPI_ENTRY
#undef RADEZOVU_ENTRY
    if (!ok)
        unload(setupApi);
    return ok;
}

UsbApiLoader* UsbApiLoader::acquire()
{
    if (instance == nullptr)
    {
        auto* loader = new UsbApiLoader();
        const bool winUsbOk = loader->loadWinUsb();
        const bool setupApiOk = loader->loadSetupApi();
        if (!winUsbOk || !setupApiOk)
        {
            // Neither library is kept without an owner that would free it.
            unload(loader->winUsb);
            unload(loader->setupApi);
            delete loader;
            return nullptr;
        }
        instance = loader;
    }
    ++instance->uses;
    return instance;
}

void UsbApiLoader::giveBack()
{
    if (instance == nullptr || --instance->uses > 0)
        return;
    unload(instance->winUsb);
    unload(instance->setupApi);
    delete instance;
    instance = nullptr;
}
