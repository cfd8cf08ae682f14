#include "MessagePump.h"

#include <juce_events/juce_events.h>

#include <algorithm>
#include <cmath>

namespace NsStrata
{
void pumpMessagesFor(float milliseconds)
{
    auto* manager = juce::MessageManager::getInstanceWithoutCreating();
    if (manager == nullptr || !manager->isThisTheMessageThread())
        return;
    for (int n = (int) std::lround(milliseconds); n > 0; n -= 100)
        if (!manager->runDispatchLoopUntil(std::min(n, 100)))
            return;
}
} // namespace NsStrata
