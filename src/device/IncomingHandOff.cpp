#include "IncomingHandOff.h"

namespace NsStrata
{
IncomingHandOff::IncomingHandOff(Apply a) : apply(std::move(a)) {}

IncomingHandOff::~IncomingHandOff()
{
    cancelPendingUpdate();
}

void IncomingHandOff::post(IncomingMessage message)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        pending.push_back(std::move(message));
    }
    triggerAsyncUpdate();
}

void IncomingHandOff::applyPending()
{
    // Should applying a message ever run the message loop, the inner call leaves the rest to this one, so
    // the order stays that of arrival.
    if (applying)
        return;
    applying = true;
    std::vector<IncomingMessage> batch;
    for (;;)
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            if (pending.empty())
                break;
            batch.swap(pending);
        }
        for (const auto& message : batch)
            apply(message);
        batch.clear();
    }
    applying = false;
}

void IncomingHandOff::discardPending()
{
    std::lock_guard<std::mutex> guard(lock);
    pending.clear();
}
} // namespace NsStrata
