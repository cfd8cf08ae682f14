#include "LevelPollTimer.h"

#include "ParameterKnob.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/MessageFraming.h"
#include "model/Models.h"

namespace NsStrata
{
bool HostMeterLink::canPoll()
{
    // Only when the poll can go at once: waiting for the device would run the message loop in the middle
    // of the tick.
    return Host::getInstance()->canSendAtOnce();
}

void HostMeterLink::sendPoll()
{
    // The device's 2 ms after a poll are kept by whoever sends next (Host::sendToDevice), so the poll needs
    // no pause of its own.
    Host::getInstance()->sendToDevice(meterPoll(selection().deviceModel));
}

float HostMeterLink::lastLevel()
{
    return pendingMeterLevel().level;
}

LevelPollTimer::LevelPollTimer(ParameterKnob& levelDisplay, MeterLink& meterLink)
    : display(levelDisplay), link(meterLink)
{
}

LevelPollTimer::~LevelPollTimer()
{
    stopTimer();
}

void LevelPollTimer::start()
{
    intervalMs = fastIntervalMs;
    quiet = 0;
    startTimer(intervalMs);
}

void LevelPollTimer::timerCallback()
{
    // The tick never runs the message loop, so the timer need not stop for it; restarting it on every tick
    // would wake the framework's timer thread for nothing.
    tick();
    if (getTimerInterval() != intervalMs)
        startTimer(intervalMs);
}

void LevelPollTimer::tick()
{
    // What the last poll brought back is shown when the next poll is due, so the program wakes once per
    // poll rather than once more to show its reply.
    auto& pending = pendingMeterLevel();
    if (pending.fresh.exchange(false))
        display.showLevel(pending.level);
    if (!display.slider().isMetering() || !link.canPoll())
        return;
    link.sendPoll();
    if (link.lastLevel() > soundLevelDb)
    {
        quiet = 0;
        intervalMs = fastIntervalMs;
    }
    else if (intervalMs < slowestIntervalMs)
    {
        if (++quiet > 2)
            intervalMs = juce::jmin(intervalMs * 2, slowestIntervalMs);
    }
}
} // namespace NsStrata
