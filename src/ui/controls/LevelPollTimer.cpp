#include "LevelPollTimer.h"

#include "ParameterKnob.h"
#include "device/Host.h"
#include "device/LinkFlags.h"
#include "device/MessageFraming.h"
#include "device/MessagePump.h"
#include "device/MidiInputHandler.h"
#include "model/Models.h"

namespace NsStrata
{
bool HostMeterLink::canPoll()
{
    auto* connection = Host::getInstance()->midiConnection();
    return !linkFlags().flushRunning && connection != nullptr && connection->currentOutput() != nullptr;
}

void HostMeterLink::sendPoll()
{
    Host::getInstance()->sendToDevice(meterPoll(selection().deviceModel));
    pumpMessagesFor(2);
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
    stopTimer();
    tick();
    startTimer(intervalMs);
}

void LevelPollTimer::tick()
{
    auto& pending = pendingMeterLevel();
    if (pending.fresh.exchange(false))
    {
        display.showValue(pending.level);
        return;
    }
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
