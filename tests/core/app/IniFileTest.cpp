#include "core/app/IniFile.h"
#include "core/app/Settings.h"
#include "core/app/WindowGeometry.h"
#include "core/graph/GraphSettings.h"

#include <gtest/gtest.h>

using namespace zirko;

TEST(IniFile, KeepsUnknownSectionsKeysAndCommentsAcrossAWrite)
{
    TIniFile ini;
    ini.Parse(
        "; settings\r\n[Options]\r\nRoot=/data\r\nMyOwnKey=keep me\r\n\r\n[Extra]\r\na=1\r\n");
    ini.WriteString("options", "COM", "COM3");
    ini.WriteString("OPTIONS", "root", "/other");
    TIniFile back;
    back.Parse(ini.Text());
    EXPECT_EQ(back.ReadString("Options", "Root", ""), "/other");
    EXPECT_EQ(back.ReadString("Options", "MyOwnKey", ""), "keep me");
    EXPECT_EQ(back.ReadString("Options", "com", ""), "COM3");
    EXPECT_EQ(back.ReadInteger("Extra", "A", 0), 1);
    EXPECT_EQ(back.Text().rfind("; settings\r\n", 0), 0u);
    // The new key is written inside its section, before the blank line.
    EXPECT_NE(back.Text().find("MyOwnKey=keep me\r\nCOM=COM3\r\n\r\n[Extra]"), std::string::npos);
}

TEST(IniFile, BooleansAndNumbers)
{
    TIniFile ini(',');
    ini.Parse(
        "[S]\r\nb0=0\r\nb1=1\r\nb2=2\r\nbx=yes\r\ndot=1.5\r\ncomma=-2,25\r\nbad=x\r\nhex=0x10\r\n");
    EXPECT_FALSE(ini.ReadBool("S", "b0", true));
    EXPECT_TRUE(ini.ReadBool("S", "b1", false));
    EXPECT_TRUE(ini.ReadBool("S", "b2", false));
    EXPECT_TRUE(ini.ReadBool("S", "bx", true)); // not a number: the default
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "dot", 0), 1.5);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "comma", 0), -2.25);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "bad", 7), 7);
    EXPECT_EQ(ini.ReadInteger("S", "hex", 0), 16);
    ini.WriteFloat("S", "out", -5.5);
    ini.WriteBool("S", "flag", true);
    EXPECT_EQ(ini.ReadString("S", "out", ""), "-5,5");
    EXPECT_EQ(ini.ReadString("S", "flag", ""), "1");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "out", 0), -5.5);
}

TEST(Settings, DefaultsAndOrder)
{
    TIniFile empty;
    TOptions o;
    o.Root = "/prog";
    ReadOptions(empty, o, [](const std::string&) { return true; });
    EXPECT_EQ(o.Root, "/prog");
    EXPECT_EQ(o.COM, "COM1");
    EXPECT_EQ(o.DefFileName, "Blok");
    EXPECT_EQ(o.FlightTemperature, 15);
    EXPECT_EQ(o.DeflectionMin, -5);
    EXPECT_EQ(o.DeflectionMax, 5);
    EXPECT_EQ(o.MarkerThreshold, 0);
    EXPECT_TRUE(o.ShowTable);
    EXPECT_FALSE(o.TBShowLegend);
    EXPECT_EQ(o.AutoGridSize, 10);

    TIniFile out;
    WriteOptions(out, o);
    const std::string text = out.Text();
    const char* order[] = {"Root=",
                           "COM=",
                           "DefFileName=",
                           "FlightTemperature=",
                           "MarkerThreshold=",
                           "DeflectionMin=",
                           "DeflectionMax=",
                           "DeflectionOnGraph=",
                           "SaveWindowsPos=",
                           "AutoGridSize=",
                           "ShowTable=",
                           "TBShowLegend="};
    size_t last = 0;
    for (const char* key : order) {
        const size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    EXPECT_NE(text.find("[Pos]\r\nPanelLeft="), std::string::npos);
    EXPECT_EQ(text.find("Climb="), std::string::npos);
}

TEST(Settings, ClimbSwitchHasASectionOfItsOwnAfterTheOthers)
{
    TIniFile ini;
    ini.Parse("[Options]\r\nCOM=COM3\r\n[Pos]\r\nPanelLeft=200\r\n[GraphSetup]\r\nTimeMax=31\r\n"
              "[FormMain]\r\nRLeft=7\r\n");
    TOptions o;
    ReadOptions(ini, o, {});
    EXPECT_FALSE(o.ShowClimb);
    o.ShowClimb = true;
    WriteOptions(ini, o);
    WriteAnalysisOptions(ini, o);
    EXPECT_EQ(ini.SectionNames(),
              (std::vector<std::string>{"Options", "Pos", "GraphSetup", "FormMain", "Analysis"}));
    EXPECT_NE(ini.Text().find("[Analysis]\r\nClimb=1\r\n"), std::string::npos);
    EXPECT_FALSE(ini.ValueExists("Options", "Climb"));

    TIniFile back;
    back.Parse(ini.Text());
    TOptions read;
    ReadOptions(back, read, {});
    EXPECT_TRUE(read.ShowClimb);
    read.ShowClimb = false;
    WriteAnalysisOptions(back, read);
    EXPECT_EQ(back.ReadString("Analysis", "Climb", ""), "0");
    EXPECT_EQ(back.SectionNames(), ini.SectionNames());

    // Sections written after it once (window positions of a first start) go before it again.
    TIniFile later;
    later.Parse("[Options]\r\nCOM=COM3\r\n[Analysis]\r\nClimb=1\r\n[Screen]\r\nScreenH=900\r\n");
    WriteAnalysisOptions(later, read);
    EXPECT_EQ(later.SectionNames(), (std::vector<std::string>{"Options", "Screen", "Analysis"}));
    EXPECT_EQ(later.ReadString("Analysis", "Climb", ""), "0");
}

TEST(Settings, EventOptionsAndSwitchesLiveInTheAnalysisSection)
{
    TIniFile ini(',');
    TOptions o;
    ReadOptions(ini, o, {});
    EXPECT_EQ(o.Events, TEventOptions{});
    EXPECT_EQ(o.Events.AlesHeight, 200);
    EXPECT_FALSE(o.ShowMotor || o.ShowPhases);

    o.ShowMotor = true;
    o.ShowPhases = true;
    o.Events = {TRules::Ales, 12.5, 150, 3.7};
    WriteAnalysisOptions(ini, o);
    EXPECT_NE(ini.Text().find("[Analysis]\r\nClimb=0\r\nMotor=1\r\nPhases=1\r\nRules=ales\r\n"
                              "MotorThreshold=12,5\r\nAlesHeight=150\r\nLowVoltage=3,7\r\n"),
              std::string::npos)
        << ini.Text();
    TIniFile back(',');
    back.Parse(ini.Text());
    TOptions read;
    ReadOptions(back, read, {});
    EXPECT_EQ(read.Events, o.Events);
    EXPECT_TRUE(read.ShowMotor && read.ShowPhases);

    // An unknown rule set or a value that is no number leaves the default.
    back.Parse("[Analysis]\r\nRules=F3K\r\nAlesHeight=high\r\nLowVoltage=4,2\r\n");
    TOptions unknown;
    ReadOptions(back, unknown, {});
    EXPECT_EQ(unknown.Events.Rules, TRules::None);
    EXPECT_EQ(unknown.Events.AlesHeight, 200);
    EXPECT_EQ(unknown.Events.LowVoltage, 4.2);
}

TEST(Settings, StoredRootIsTakenOnlyWhenItExists)
{
    TIniFile ini;
    ini.Parse("[Options]\r\nRoot=/gone\r\n");
    TOptions o;
    o.Root = "/prog/Data";
    ReadOptions(ini, o, [](const std::string& p) { return p != "/gone"; });
    EXPECT_EQ(o.Root, "/prog/Data");
    ReadOptions(ini, o, [](const std::string&) { return true; });
    EXPECT_EQ(o.Root, "/gone");
}

TEST(GraphSettingsFile, MissingSectionGivesDefaultsAndValuesRoundTrip)
{
    TGraphSettings s;
    s.AltitudeMin = 3;
    s.SettingsChanged = true;
    SetDefaultGraphSettings(s);
    EXPECT_EQ(s.AltitudeMin, 0);
    EXPECT_TRUE(s.SettingsChanged);
    EXPECT_EQ(s.RXLStyle, 1);
    EXPECT_EQ(s.PowerSupLStyle, 2);
    EXPECT_EQ(s.AnnotMarkStyle, 7);
    EXPECT_EQ(s.MarkerMarkStyle, 2);

    TIniFile ini(',');
    TGraphSettings t;
    t.AltitudeAuto = false;
    t.AltitudeMin = -12.5;
    t.TimeMax = 31;
    t.AnnotMarkSize = 9;
    WriteGraphSettings(ini, t);
    TGraphSettings u;
    ReadGraphSettings(ini, u);
    EXPECT_EQ(u, t);

    double max = 30;
    EXPECT_EQ(EnforceMaxAboveMin(30, max), 31);
    EXPECT_EQ(max, 31);
}

TEST(WindowGeometry, PositionsFromALargerScreenAreNotAppliedButStateIs)
{
    TIniFile ini;
    ini.Parse(
        "[Screen]\r\nScreenH=1080\r\nScreenW=1920\r\n[FormMain]\r\nNRLeft=100\r\nNRTop=50\r\n"
        "NRRight=1100\r\nNRBottom=750\r\nRLeft=100\r\nRTop=50\r\nRRight=1100\r\nRBottom=750\r\n"
        "State=1\r\n");
    TWindowGeometry current{{0, 0, 932, 662}, {0, 0, 932, 662}, 0};
    const TWinRect screen{0, 0, 1920, 1160};
    auto small = ReadWindowGeometry(ini, "FormMain", current, 1024, 1280, screen);
    EXPECT_EQ(small.Geometry.R, current.R);
    EXPECT_EQ(small.Geometry.State, 1);
    EXPECT_EQ(small.ScreenH, 1080);
    EXPECT_EQ(small.ScreenW, 1920);
    auto big = ReadWindowGeometry(ini, "FormMain", current, 1200, 1920, screen);
    EXPECT_EQ(big.Geometry.R, (TWinRect{100, 50, 1100, 750}));
}

TEST(WindowGeometry, StoredRectanglesAreFittedIntoTheScreenArea)
{
    const TWinRect area{0, 30, 1280, 1000}; // a panel takes the top 30 pixels
    const TWinRect fallback{10, 40, 942, 702};
    // Too large: the whole area, not a pixel more.
    EXPECT_EQ(FitRectToArea({-5, -5, 30000, 30000}, area, fallback), area);
    // Off screen on any side: moved back in, keeping its size.
    EXPECT_EQ(FitRectToArea({5000, 100, 5500, 500}, area, fallback),
              (TWinRect{780, 100, 1280, 500}));
    EXPECT_EQ(FitRectToArea({-900, -700, -400, -300}, area, fallback), (TWinRect{0, 30, 500, 430}));
    // Wider than the area but in place otherwise: only narrowed.
    EXPECT_EQ(FitRectToArea({100, 100, 2100, 400}, area, fallback), (TWinRect{0, 100, 1280, 400}));
    // Inside already: untouched.
    EXPECT_EQ(FitRectToArea({100, 100, 600, 400}, area, fallback), (TWinRect{100, 100, 600, 400}));
    // No area of its own: the fallback; no screen known: as stored.
    EXPECT_EQ(FitRectToArea({100, 100, 100, 400}, area, fallback), fallback);
    EXPECT_EQ(FitRectToArea({700, 400, 200, 500}, area, fallback), fallback);
    EXPECT_EQ(FitRectToArea({5000, 100, 5500, 500}, {}, fallback),
              (TWinRect{5000, 100, 5500, 500}));
}

TEST(WindowGeometry, HostileNumbersGiveAWindowOnTheScreen)
{
    TIniFile ini;
    ini.Parse(
        "[Screen]\r\nScreenH=0\r\nScreenW=0\r\n[FormOptions]\r\nRLeft=-9223372036854775808\r\n"
        "RTop=4294967396\r\nRRight=9223372036854775807\r\nRBottom=-4294967000\r\n"
        "NRLeft=30000\r\nNRTop=30000\r\nNRRight=60000\r\nNRBottom=60000\r\n");
    const TWinRect area{0, 0, 1920, 1080};
    TWindowGeometry current{{0, 0, 300, 200}, {0, 0, 300, 200}, 0};
    const TRestoredGeometry out = ReadWindowGeometry(ini, "FormOptions", current, 1080, 1920, area);
    // Bottom above top: the window keeps its current rectangle.
    EXPECT_EQ(out.Geometry.R, current.R);
    EXPECT_EQ(out.Geometry.NR, (TWinRect{0, 0, 1920, 1080}));
    // Only the keys that are there count: a section without rectangles changes nothing.
    TIniFile none;
    none.Parse("[FormOptions]\r\nState=0\r\n");
    EXPECT_EQ(ReadWindowGeometry(none, "FormOptions", current, 1080, 1920, area).Geometry, current);
}
