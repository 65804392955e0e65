#include <gtest/gtest.h>

#include <cstring>

#include "stores/SettingsRules.h"

namespace {

SettingsBlock Block() {
    SettingsBlock s;
    memset(&s, 0, sizeof s);
    s.nBellSource = 2;
    s.bMinuteTone = 1;
    return s;
}

TEST(SettingsRules, HoldingStarTwiceRestoresTheSource) {
    SettingsBlock s = Block();
    EXPECT_TRUE(ToggleSilence(s));
    EXPECT_EQ(s.nBellSource, 0);
    EXPECT_EQ(s.nSavedBellSource, 2);
    EXPECT_TRUE(ToggleSilence(s));
    EXPECT_EQ(s.nBellSource, 2);
    // Nothing remembered and silent: no change.
    s.nBellSource = 0;
    s.nSavedBellSource = 0;
    EXPECT_FALSE(ToggleSilence(s));
    EXPECT_EQ(s.nBellSource, 0);
}

TEST(SettingsRules, ChoosingASourceRemembersThePreviousOne) {
    SettingsBlock s = Block();
    ChooseBellSource(s, 1);
    EXPECT_EQ(s.nSavedBellSource, 2);
    ChooseBellSource(s, 0);
    EXPECT_EQ(s.nSavedBellSource, 1);
    ChooseBellSource(s, 0);  // silencing a silent phone keeps what was remembered
    EXPECT_EQ(s.nSavedBellSource, 1);
    EXPECT_TRUE(ToggleSilence(s));
    EXPECT_EQ(s.nBellSource, 1);
}

TEST(SettingsRules, CallTimesAndMinuteTone) {
    SettingsBlock s = Block();
    AddCallTime(s, true, 65);
    AddCallTime(s, true, 10);
    AddCallTime(s, false, 300);
    EXPECT_EQ(s.nLastInSeconds, 10);
    EXPECT_EQ(s.nTotalInSeconds, 75);
    EXPECT_EQ(s.nLastOutSeconds, 300);
    EXPECT_EQ(s.nTotalOutSeconds, 300);
    ResetCallTimes(s);
    EXPECT_EQ(s.nTotalInSeconds + s.nTotalOutSeconds + s.nLastInSeconds + s.nLastOutSeconds, 0);

    EXPECT_FALSE(MinuteToneDue(s, 0));
    EXPECT_TRUE(MinuteToneDue(s, 120));
    EXPECT_FALSE(MinuteToneDue(s, 90));
    s.nMinuteToneChoice = 1;
    EXPECT_FALSE(MinuteToneDue(s, 120));
    EXPECT_TRUE(MinuteToneDue(s, 360));
    s.nMinuteToneChoice = 2;
    EXPECT_TRUE(MinuteToneDue(s, 600));
    s.nMinuteToneChoice = 7;  // unknown: every minute
    EXPECT_TRUE(MinuteToneDue(s, 60));
    s.bMinuteTone = 0;
    EXPECT_FALSE(MinuteToneDue(s, 60));
}

}  // namespace
