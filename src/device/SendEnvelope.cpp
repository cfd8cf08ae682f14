#include "SendEnvelope.h"

#include "MessageFraming.h"

#include <algorithm>

namespace NsStrata
{
void SendEnvelope::recordSend(double atMs, int type)
{
    recent.push_back(atMs);
    if ((int) recent.size() > windowMessages)
        recent.pop_front();
    lastSpacingMs = std::max(shortestSpacingMs, (double) spacingAfterType(type));
}

double SendEnvelope::earliestNext() const
{
    if (recent.empty())
        return 0;
    double earliest = recent.back() + lastSpacingMs;
    if ((int) recent.size() == windowMessages)
        earliest = std::max(earliest, recent.front() + windowMs);
    return earliest;
}

int SendEnvelope::sendsInARow(double fromMs) const
{
    if (fromMs < earliestNext())
        return 0;
    // The j-th message from now is the seventh after recent[size + j - windowMessages].
    const int size = (int) recent.size();
    for (int j = 1; j < windowMessages; ++j)
    {
        const int sixthBefore = size + j - windowMessages;
        if (sixthBefore >= 0 && fromMs + j * shortestSpacingMs < recent[(std::size_t) sixthBefore] + windowMs)
            return j;
    }
    return windowMessages;
}

void SendEnvelope::reset()
{
    recent.clear();
    lastSpacingMs = 0;
}
} // namespace NsStrata
