#pragma once
// The densest pattern the device takes queued parameter messages in: each one followed by its pause, and
// never seven within the time a flush of six and one poll interval used to take. Pure: times are given.
#include <deque>

namespace NsStrata
{
class SendEnvelope
{
public:
    /** At most this many queued messages within windowMs. */
    static constexpr int windowMessages = 6;
    /** Six messages with their pauses (306 ms), then one poll interval (300 ms). */
    static constexpr double windowMs = 606;
    /** The shortest pause between two queued messages. */
    static constexpr double shortestSpacingMs = 51;

    /** A queued message of this type left at atMs (monotonic). */
    void recordSend(double atMs, int type);
    /** The earliest time the next queued message may leave; 0 when nothing was sent yet. */
    double earliestNext() const;
    /** How many queued messages may leave one after another from fromMs on, each at least the shortest
        spacing after the one before, without leaving the envelope (0 to windowMessages). */
    int sendsInARow(double fromMs) const;
    void reset();

private:
    std::deque<double> recent; // the last windowMessages sends, oldest first
    double lastSpacingMs = 0;  // owed after the last send
};
} // namespace NsStrata
