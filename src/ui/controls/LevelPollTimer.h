#pragma once
// Polls the device's output level for the level display: every 50 ms while there is sound, slowing down to
// once a second while the level stays low, and never while a queue flush is sending. Each tick shows the
// level the last poll brought back, then polls again.
#include <juce_events/juce_events.h>

namespace NsStrata
{
class ParameterKnob;

/** What the level poll needs of the device link. */
class MeterLink
{
public:
    virtual ~MeterLink() = default;
    /** An output is open, no queue flush is running and the poll would go out without waiting. */
    virtual bool canPoll() = 0;
    /** Sends the meter poll. */
    virtual void sendPoll() = 0;
    /** The level the device reported last, in dB. */
    virtual float lastLevel() = 0;
};

/** The meter link of the running program: the Host's current output. */
class HostMeterLink : public MeterLink
{
public:
    bool canPoll() override;
    void sendPoll() override;
    float lastLevel() override;
};

class LevelPollTimer : public juce::Timer
{
public:
    static constexpr int fastIntervalMs = 50;
    static constexpr int slowestIntervalMs = 1000;
    /** A level above this keeps the poll fast. */
    static constexpr float soundLevelDb = -46.0f;

    LevelPollTimer(ParameterKnob& levelDisplay, MeterLink& link);
    ~LevelPollTimer() override;

    /** Starts at the fast interval. */
    void start();
    void timerCallback() override;
    /** One tick without touching the timer. */
    void tick();

    int interval() const { return intervalMs; }
    int quietPolls() const { return quiet; }

private:
    ParameterKnob& display;
    MeterLink& link;
    int intervalMs = fastIntervalMs;
    int quiet = 0;
};
} // namespace NsStrata
