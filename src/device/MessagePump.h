#pragma once
// The one way the program waits: by running the message loop, so timers and the screen stay alive.

namespace NsStrata
{
/** Runs the message loop for the milliseconds given (rounded), in slices of at most 100 ms, and never
    returns early, so pauses between messages hold. Off the message thread it sleeps instead. */
void pumpMessagesFor(float milliseconds);
} // namespace NsStrata
