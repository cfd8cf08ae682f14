#include "model/DeviceValues.h"

#include <gtest/gtest.h>

#include <vector>

using namespace NsStrata;

TEST(DeviceValues, PackSpreadsSevenBitGroupsAndUnpackJoinsThem)
{
    const struct
    {
        uint32_t device, packed;
    } cases[] = {{0, 0},        {127, 0x7F},     {128, 0x0100},
                 {200, 0x0148}, {16383, 0x7F7F}, {0x0FFFFFFF, 0x7F7F7F7F}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(pack7BitGroups(c.device), c.packed) << c.device;
        EXPECT_EQ(unpack7BitGroups(c.packed), c.device) << c.device;
    }
}

TEST(DeviceValues, NearestEntryIndexBisectsAndBreaksTiesByOrder)
{
    const struct
    {
        const char* what;
        std::vector<uint8_t> table;
        uint8_t value;
        int expected;
    } cases[] = {
        {"nearer lower entry", {0, 2, 3, 4, 7, 8}, 5, 3},
        {"half-way goes up on an ascending table", {0, 4, 6}, 5, 2},
        {"half-way takes the lower index on a descending table", {8, 6, 4, 0}, 5, 1},
        {"below the first entry", {10, 20, 30}, 0, 0},
        {"past the last entry", {10, 20, 30}, 255, 2},
        {"exact entry", {0, 2, 3, 4, 7, 8}, 7, 4},
        {"single entry", {9}, 100, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nearestEntryIndex(c.value, c.table.data(), (int) c.table.size()), c.expected) << c.what;
    EXPECT_EQ(nearestEntryIndex(5, nullptr, 0), 0) << "empty table";
}

TEST(DeviceValues, TablesHoldTheDeviceLevels)
{
    EXPECT_EQ(levelTable[2], 4);
    EXPECT_EQ(levelTable[27], 79);
    EXPECT_EQ(gainTable[23], 64);
    EXPECT_EQ(bgmGainTable[1], 1);
    for (std::size_t i = 2; i < bgmGainTable.size(); ++i)
        EXPECT_EQ(bgmGainTable[i], gainTable[i - 1]);
    EXPECT_EQ(tableEntry(gainTable, 30), 0) << "outside the table";
}
