#pragma once
// The outgoing queue: copies of parameter nodes waiting for the poll tick to send them, oldest first.
#include <juce_data_structures/juce_data_structures.h>

namespace NsStrata
{
/** Queues a deep copy of entry. Without force it is dropped unless the link is synchronised and the
    sending gate open; replaceSameId first removes a queued copy with the same "id". */
void queueEntry(const juce::ValueTree& entry, bool replaceSameId, bool force);

/** The process-wide queue tree (type "mode"); its children are the queued copies. */
juce::ValueTree& outgoingQueue();
/** Empties the queue (start of a test, or a fresh main screen). */
void resetOutgoingQueue();
} // namespace NsStrata
