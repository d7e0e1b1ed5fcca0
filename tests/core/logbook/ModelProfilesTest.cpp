#include "core/logbook/ModelProfiles.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(ModelProfiles, OneSectionPerModelFoundWithoutRegardToCase)
{
    TModelProfiles profiles;
    profiles.Parse("; models of the club\r\n[Pike Perfect]\r\nRules=F5J\r\nMotorThreshold=55\r\n"
                   "AlesHeight=150.5\r\n[Bubble Dancer]\r\nLowVoltage=3.6\r\nMotorThreshold=x\r\n"
                   "[pike perfect]\r\nRules=none\r\n");
    EXPECT_EQ(profiles.Size(), 2u);
    const TModelProfile* pike = profiles.Find(" PIKE perfect");
    ASSERT_TRUE(pike);
    EXPECT_EQ(pike->Name, "Pike Perfect");
    EXPECT_EQ(pike->Rules, "f5j");
    EXPECT_EQ(pike->MotorThreshold, 55.0);
    EXPECT_EQ(pike->AlesHeight, 150.5);
    EXPECT_FALSE(pike->LowVoltage);
    const TModelProfile* bubble = profiles.Find("Bubble Dancer");
    ASSERT_TRUE(bubble);
    EXPECT_FALSE(bubble->MotorThreshold);
    EXPECT_EQ(bubble->LowVoltage, 3.6);
    EXPECT_FALSE(profiles.Find("Supra"));
    EXPECT_FALSE(profiles.Find(""));
}
