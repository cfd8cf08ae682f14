// The device host is created by the first main screen and would otherwise outlive the framework, which it
// must not: it goes after the last test, while JUCE still runs.
#include "device/Host.h"

#include <gtest/gtest.h>

namespace
{
class ReleaseHostAfterTheTests : public ::testing::Environment
{
public:
    void TearDown() override { NsStrata::Host::deleteInstance(); }
};

[[maybe_unused]] const auto* const releaseHost =
    ::testing::AddGlobalTestEnvironment(new ReleaseHostAfterTheTests);
} // namespace
