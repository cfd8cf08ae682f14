// The pacing the flushes keep: when the next queued message may leave, and how many may leave in a row.
#include "device/SendEnvelope.h"
#include "device/MessageFraming.h"

#include <gtest/gtest.h>

#include <vector>

using namespace NsStrata;

TEST(SendEnvelope, AllowsWhatATickDrivenFlushWouldAndNothingDenser)
{
    const struct
    {
        const char* what;
        std::vector<std::pair<double, int>> sent; // time, type
        double earliest;
        double from;
        int inARow;
    } cases[] = {
        {"nothing sent yet", {}, 0, 0, 6},
        {"one value: its pause", {{1000, 10}}, 1051, 1050, 0},
        {"one value, after its pause: five more, not six", {{1000, 10}}, 1051, 1051, 5},
        {"a 14-bit value asks for 52", {{1000, 12}}, 1052, 1051.5, 0},
        {"five sent: a sixth, then a rest",
         {{0, 10}, {51, 10}, {102, 10}, {153, 10}, {204, 10}},
         255,
         255,
         1},
        {"six sent: the seventh waits for the first's window",
         {{0, 10}, {51, 10}, {102, 10}, {153, 10}, {204, 10}, {255, 10}},
         606,
         605.9,
         0},
        {"six sent, window over: six more in a row",
         {{0, 10}, {51, 10}, {102, 10}, {153, 10}, {204, 10}, {255, 10}},
         606,
         606,
         6},
        {"uneven sends: the next ones wait for each one's window",
         {{0, 10}, {300, 10}, {400, 10}, {500, 10}, {600, 10}, {700, 10}},
         751,
         751,
         1},
    };
    for (const auto& c : cases)
    {
        SendEnvelope envelope;
        for (const auto& [at, type] : c.sent)
            envelope.recordSend(at, type);
        EXPECT_DOUBLE_EQ(envelope.earliestNext(), c.earliest) << c.what;
        EXPECT_EQ(envelope.sendsInARow(c.from), c.inARow) << c.what;
    }
}

TEST(SendEnvelope, SendingWhatItAllowsMakesTheTickPattern)
{
    // A burst sent as fast as the envelope allows: six with their pauses, then a rest, then six more.
    SendEnvelope envelope;
    std::vector<double> times;
    double at = 0;
    for (int i = 0; i < 13; ++i)
    {
        at = std::max(at, envelope.earliestNext());
        times.push_back(at);
        envelope.recordSend(at, 10);
    }
    const std::vector<double> expected = {0, 51, 102, 153, 204, 255, 606, 657, 708, 759, 810, 861, 1212};
    EXPECT_EQ(times, expected);
}
