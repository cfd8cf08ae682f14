#pragma once
// Applying what the device reported: values into the state tree, the mode, the firmware version, the meter
// level and the jingle pads, with the link flags that go with each. Message thread only.
#include "IncomingMessage.h"

#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
class LinkListener;

/** Applies one decoded message for the selected model; true when it was handled (the receive indicator is
    then set). The listener may be null. */
bool applyIncoming(const IncomingMessage& message, juce::ValueTree& root, LinkListener* listener);
/** A meter reply for the selected and connected model becomes the pending level. It touches nothing but
    that level and its flag (atomics), so the input thread may apply it itself. */
void applyMeterReply(const IncomingMessage& message);
} // namespace NsStrata
