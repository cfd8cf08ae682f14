#include "LinkFlags.h"

namespace NsStrata
{
bool LinkFlags::allModesReceived() const
{
    for (std::size_t i = 1; i < modeReceived.size(); ++i)
        if (!modeReceived[i])
            return false;
    return true;
}

void LinkFlags::reset()
{
    for (auto* flag : {&sendingGate, &synchronised, &flushRunning, &sendIndicator, &receiveIndicator,
                       &deviceListChanged, &handshakePending, &linkUp, &statusReceived, &modeSelectorSent,
                       &deviceEdited, &deviceViewShown, &offlineView, &firstTickDone})
        *flag = false;
    for (auto& received : modeReceived)
        received = false;
    autoConnect = true;
}

LinkFlags& linkFlags()
{
    static LinkFlags flags;
    return flags;
}

PendingMeterLevel& pendingMeterLevel()
{
    static PendingMeterLevel meter;
    return meter;
}
} // namespace NsStrata
