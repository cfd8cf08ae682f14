#pragma once
// The one way the program waits: by running the message loop, so timers and the screen stay alive.

namespace NsStrata
{
/** Runs the message loop for about this many milliseconds (rounded), in slices of at most 100 ms.
    Returns at once when there is no message loop on this thread. */
void pumpMessagesFor(float milliseconds);
} // namespace NsStrata
