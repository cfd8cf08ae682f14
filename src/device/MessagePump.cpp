#include "MessagePump.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>

namespace NsStrata
{
bool pumpMessagesFor(float milliseconds)
{
    auto* manager = juce::MessageManager::getInstanceWithoutCreating();
    const bool hasLoop = manager != nullptr && manager->isThisTheMessageThread();
    const double total = std::round((double) milliseconds);
    // The loop measures whole milliseconds of wall-clock time and may stop short of a slice; the deadline on
    // the monotonic clock is what keeps a pause at least as long as asked.
    const double deadline = juce::Time::getMillisecondCounterHiRes() + (total > 0 ? total : 0);
    for (;;)
    {
        if (hasLoop && manager->hasStopMessageBeenSent())
            return false;
        const double left = deadline - juce::Time::getMillisecondCounterHiRes();
        if (left <= 0)
            return true;
        const int slice = std::min(100, (int) std::ceil(left));
        if (!hasLoop)
            juce::Thread::sleep(slice);
        else if (!manager->runDispatchLoopUntil(slice))
            return false;
    }
}
} // namespace NsStrata
