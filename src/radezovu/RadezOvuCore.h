#pragma once
// The platform-neutral layer of RadezOvu: the root's programmer opening and what every platform root shares.
#include "radezovu/RadezOvu.h"

#include <cstdint>
#include <string>

class RadezOvuCore : public RadezOvu
{
public:
    class Enumerator_Core;
    class UsbDevice_Core;
    class FlashProgrammer_Core;
    class RequestObserver;

    /** The DSP's USB vendor. */
    static constexpr uint16_t dspVendorId = 0x1D03;

    FlashProgrammer* openProgrammer(UsbDevice* device) override;

    /** Every device opened through this root's enumerators reports its requests here (for tracing).
        The observer must outlive those devices. */
    void setRequestObserver(RequestObserver* observer) { observer_ = observer; }
    RequestObserver* requestObserver() const { return observer_; }

private:
    RequestObserver* observer_ = nullptr;
};

/** What every platform's enumerator shares: it keeps its root alive, and remembers why an interface could not
    be opened. */
class RadezOvuCore::Enumerator_Core : public RadezOvu::Enumerator
{
public:
    const char* openFailure() override { return openFailure_.c_str(); }
    bool openDenied() override { return openDenied_; }

protected:
    explicit Enumerator_Core(RadezOvuCore& root) : root_(retainRef(&root)) {}

    RadezOvuCore& root() const { return *root_; }
    void noteOpenFailure(const std::string& why, bool denied)
    {
        openFailure_ = why;
        openDenied_ = denied;
    }

private:
    RadezOvuRef<RadezOvuCore> root_;
    std::string openFailure_;
    bool openDenied_ = false;
};

/** Told about every request just before it goes out. */
class RadezOvuCore::RequestObserver
{
public:
    virtual ~RequestObserver() = default;
    virtual void requestSent(uint16_t request, const uint8_t* payload, uint32_t payloadBytes,
                             uint32_t blockBytes, uint32_t blockCount) = 0;
};
