// Test main for the suites that use JUCE: a fresh STRATA_HOME, and a message loop for timers and async calls.
#include "TestHome.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

int main(int argc, char** argv)
{
    const auto home = StrataTest::testHome();
    testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }
    home.deleteRecursively();
    return result;
}
