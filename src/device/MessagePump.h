#pragma once
// The one way the program waits: by running the message loop, so timers and the screen stay alive.

namespace NsStrata
{
/** Runs the message loop for the milliseconds given (rounded), in slices of at most 100 ms, and never
    returns early while the loop runs, so pauses between messages hold. Off the message thread it sleeps
    instead. False when the application was asked to quit (before or during the pause): the loop then no
    longer waits, and whoever paused must not go on as if the pause had held. */
bool pumpMessagesFor(float milliseconds);
} // namespace NsStrata
