// The lock that tells whether a Strata runs on a settings folder.
#include "store/InstanceLock.h"
#include "support/TestHome.h"

#include <gtest/gtest.h>

using namespace NsStrata;

TEST(InstanceLock, OneHolderPerFolderUntilItLetsGo)
{
    const auto folder = StrataTest::freshFolder("lock").getChildFile("config");
    auto first = std::make_unique<InstanceLock>(folder);
    EXPECT_TRUE(first->acquired());
    EXPECT_TRUE(InstanceLock::lockFileIn(folder).existsAsFile()) << "the folder is made when missing";

    EXPECT_EQ(InstanceLock(folder).state(), InstanceLock::State::heldElsewhere);
    EXPECT_TRUE(InstanceLock(StrataTest::freshFolder("lock-other")).acquired()) << "another folder";

    first.reset();
    EXPECT_TRUE(InstanceLock(folder).acquired());

    const auto blocker = StrataTest::freshFolder("lock-blocked").getChildFile("config");
    ASSERT_TRUE(blocker.replaceWithText("in the way"));
    EXPECT_EQ(InstanceLock(blocker).state(), InstanceLock::State::unavailable);
}
