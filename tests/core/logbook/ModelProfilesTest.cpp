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

TEST(ModelProfiles, ExplicitValuesWinOverTheProfileWhichWinsOverTheGeneralOptions)
{
    TModelProfiles profiles;
    profiles.Parse("[Pike]\nRules=ales\nMotorThreshold=40\n[Odd]\nRules=f3k\nLowVoltage=3.5\n");
    TEventOptions general;
    general.Rules = TRules::F5j;
    general.MotorThreshold = 10;
    general.AlesHeight = 150;
    general.LowVoltage = 4;

    // No profile for the model, or no profiles at all: the general options as they are.
    EXPECT_EQ(EventOptionsFor(general, &profiles, "Supra"), general);
    EXPECT_EQ(EventOptionsFor(general, nullptr, "Pike"), general);
    EXPECT_EQ(EventOptionsFor(general, &profiles, ""), general);

    // The profile's keys replace the general ones; the keys it lacks keep them.
    const TEventOptions pike = EventOptionsFor(general, &profiles, " pike ");
    EXPECT_EQ(pike.Rules, TRules::Ales);
    EXPECT_EQ(pike.MotorThreshold, 40);
    EXPECT_EQ(pike.AlesHeight, 150);
    EXPECT_EQ(pike.LowVoltage, 4);

    // A rule set the program does not know leaves the general one.
    const TEventOptions odd = EventOptionsFor(general, &profiles, "Odd");
    EXPECT_EQ(odd.Rules, TRules::F5j);
    EXPECT_EQ(odd.LowVoltage, 3.5);

    // Values given explicitly override both, and only those given.
    TModelProfile given;
    given.MotorThreshold = 5;
    const TEventOptions over = EventOptionsFor(general, &profiles, "Pike", &given);
    EXPECT_EQ(over.Rules, TRules::Ales);
    EXPECT_EQ(over.MotorThreshold, 5);
    given.Rules = "none";
    EXPECT_EQ(EventOptionsFor(general, &profiles, "Pike", &given).Rules, TRules::None);
}

TEST(ModelProfiles, TheFingerprintFollowsTheValuesNotTheLayout)
{
    TModelProfiles a, b, c;
    a.Parse("[Pike]\r\nRules=f5j\r\nMotorThreshold=40\r\n[Supra]\r\nLowVoltage=3.5\r\n");
    b.Parse("; reordered\n[supra]\nLowVoltage=3.50\n[PIKE]\nMotorThreshold=40\nRules=F5J\n");
    c.Parse("[Pike]\r\nRules=f5j\r\nMotorThreshold=41\r\n[Supra]\r\nLowVoltage=3.5\r\n");
    EXPECT_EQ(a.Fingerprint(), b.Fingerprint());
    EXPECT_NE(a.Fingerprint(), c.Fingerprint());
    EXPECT_NE(a.Fingerprint(), TModelProfiles().Fingerprint());
}

TEST(ModelProfiles, WritingKeepsCommentsUnknownKeysAndSectionsOfRenamedProfiles)
{
    const std::string previous = "; club models\r\n[Pike]\r\nRules=f5j\r\nWingspan=3.7\r\n"
                                 "MotorThreshold=40\r\n\r\n[Supra]\r\nLowVoltage=3.5\r\n"
                                 "[Old]\r\nRules=ales\r\n";
    TModelProfiles read;
    read.Parse(previous);
    std::vector<TModelProfile> edited = read.List();
    ASSERT_EQ(edited.size(), 3u);
    edited[0].Name = "Pike Perfect"; // renamed, threshold dropped, ALES height added
    edited[0].MotorThreshold.reset();
    edited[0].AlesHeight = 180.5;
    edited.erase(edited.begin() + 2); // "Old" removed
    TModelProfile added;
    added.Name = "Bubble";
    added.Rules = "none";
    edited.push_back(added);

    const std::string text = FormatModelProfiles(previous, edited);
    EXPECT_EQ(text, "; club models\r\n[Pike Perfect]\r\nRules=f5j\r\nWingspan=3.7\r\n"
                    "AlesHeight=180.5\r\n\r\n[Supra]\r\nLowVoltage=3.5\r\n"
                    "[Bubble]\r\nRules=none\r\n");
    TModelProfiles again;
    again.Parse(text);
    ASSERT_EQ(again.Size(), 3u);
    EXPECT_EQ(again.Find("pike perfect")->AlesHeight, 180.5);
    EXPECT_FALSE(again.Find("Pike Perfect")->MotorThreshold);
    EXPECT_FALSE(again.Find("Old"));

    // A new file: the profiles alone, a profile without values still named.
    TModelProfile bare;
    bare.Name = "Fox";
    EXPECT_EQ(FormatModelProfiles("", {bare}), "[Fox]\r\n");
}

TEST(ModelProfiles, NamesMustBeOneLineWithoutBracketsAndNotTaken)
{
    TModelProfile pike;
    pike.Name = "Pike";
    EXPECT_FALSE(CheckProfileName("Supra", {pike}));
    EXPECT_TRUE(CheckProfileName("  ", {pike}));
    EXPECT_TRUE(CheckProfileName("PIKE ", {pike}));
    EXPECT_TRUE(CheckProfileName("a]b", {}));
    EXPECT_TRUE(CheckProfileName("a\nb", {}));
}
