#include "FlushScheduler.h"

#include <cmath>
#include <utility>

namespace NsStrata
{
FlushScheduler::FlushScheduler(juce::ValueTree q, Link l) : queue(std::move(q)), link(std::move(l))
{
    queue.addListener(this);
}

FlushScheduler::~FlushScheduler()
{
    queue.removeListener(this);
    stopTimer();
    cancelPendingUpdate();
}

void FlushScheduler::allow(bool allow)
{
    allowed = allow;
    if (allowed)
        request();
    else
        stopTimer();
}

void FlushScheduler::request()
{
    if (flushing || holds > 0)
    {
        asked = true;
        return;
    }
    if (allowed && queue.getNumChildren() > 0)
        triggerAsyncUpdate();
}

void FlushScheduler::timerCallback()
{
    // The flush runs the message loop for hundreds of milliseconds: not inside a timer callback, where the
    // framework's timer thread would wait for it.
    stopTimer();
    triggerAsyncUpdate();
}

void FlushScheduler::handleAsyncUpdate()
{
    if (flushing || holds > 0)
    {
        asked = true;
        return;
    }
    asked = false;
    if (!allowed || queue.getNumChildren() == 0)
        return;
    const double wait = link.earliestSend() - juce::Time::getMillisecondCounterHiRes();
    if (wait > 0)
    {
        // The timer counts whole milliseconds and may fire a fraction early; the rest is waited again.
        startTimer(juce::jmax(1, (int) std::ceil(wait)));
        return;
    }
    const juce::WeakReference<FlushScheduler> self(this);
    flushing = true;
    const bool progressed = link.flush();
    if (self == nullptr)
        return;
    flushing = false;
    // What was queued during the flush's pauses, or is left after a rest the pacing asked for, goes next.
    if (progressed || asked)
        request();
}

FlushScheduler::Hold::Hold(FlushScheduler& s) : scheduler(&s)
{
    ++s.holds;
}

FlushScheduler::Hold::~Hold()
{
    if (auto* s = scheduler.get(); s != nullptr && --s->holds == 0 && std::exchange(s->asked, false))
        s->request();
}
} // namespace NsStrata
