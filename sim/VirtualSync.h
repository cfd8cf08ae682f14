#pragma once
// Runs the real link (poll timer, queue, decoder) against a virtual mixer from start until the device is
// synchronised and the mode selector has reached it, and says how long each step took.
#include "VirtualMixer.h"

#include <memory>

namespace NsStrata
{
struct SyncTimes
{
    bool ok = false;        // synchronised, the selector arrived in time and the mixer saw no protocol error
    double connectedMs = 0; // the first request reached the mixer
    double synchronisedMs = 0;
    double selectorMs = 0; // the mode selector reached the mixer
    int sent = 0;          // messages the mixer received
    int received = 0;      // messages the mixer sent
    int floorMs = 0;
    juce::StringArray protocolErrors; // what the mixer found wrong with the exchange
};

/** Uses the Host singleton (its backend becomes the mixer, its state tree a copy of the preset, the selected
    model the mixer's) and the message loop of the calling thread; the Host has no ports when it returns. */
SyncTimes runVirtualSync(const std::shared_ptr<VirtualMixer>& mixer, const juce::ValueTree& preset,
                         double timeoutMs = 10000);
} // namespace NsStrata
