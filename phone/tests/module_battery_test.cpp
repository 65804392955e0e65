// The module's battery reading: levels, and which answers may end the program.
#include <gtest/gtest.h>

#include "phone/ModuleBattery.h"

namespace {

TEST(ModuleBattery, LevelsAtTheirEdges)
{
    EXPECT_EQ(0, BatteryLevel(3.2f));
    EXPECT_EQ(0, BatteryLevel(3.25f));
    EXPECT_EQ(0, BatteryLevel(3.3f));
    EXPECT_EQ(1, BatteryLevel(3.31f));
    EXPECT_EQ(1, BatteryLevel(3.4f));
    EXPECT_EQ(2, BatteryLevel(3.5f));
    EXPECT_EQ(3, BatteryLevel(3.7f));
    EXPECT_EQ(4, BatteryLevel(3.8f));
    EXPECT_EQ(4, BatteryLevel(3.85f));
    EXPECT_EQ(5, BatteryLevel(3.9f));
    EXPECT_EQ(5, BatteryLevel(4.2f));
}

TEST(ModuleBattery, OnlyARealLowReadingIsExhausted)
{
    EXPECT_TRUE(IsBatteryExhausted(1, 3.2f));
    EXPECT_TRUE(IsBatteryExhausted(1, 3.0f));
    EXPECT_FALSE(IsBatteryExhausted(1, 3.25f));
    // No "OK", the value never read (-1.0), or a line that was no number (0.0).
    EXPECT_FALSE(IsBatteryExhausted(0, 3.1f));
    EXPECT_FALSE(IsBatteryExhausted(1, -1.0f));
    EXPECT_FALSE(IsBatteryExhausted(1, 0.0f));
    EXPECT_FALSE(IsBatteryExhausted(1, 0.5f));
    EXPECT_FALSE(IsBatteryReading(0, 3.85f));
    EXPECT_TRUE(IsBatteryReading(1, 3.85f));
}

}  // namespace
