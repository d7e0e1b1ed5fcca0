#include "core/graph/GraphColors.h"
#include "core/shell/Assertion.h"
#include "model/flightdata/OpenFlights.h"
#include "platform/files/FlightFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <deque>
#include <sys/stat.h>

using namespace zirko;

namespace {

// Answers the list's questions from a script and keeps what it was told.
class TScriptedQuestions final : public TFlightsDialogs {
public:
    void ShowError(const QString& text) override { Log << "error: " + text; }
    bool AskYesNo(const QString& text) override
    {
        Log << "ask: " + text;
        if (Answers.empty())
            return false;
        const bool yes = Answers.front();
        Answers.pop_front();
        return yes;
    }
    TYesNoCancel AskYesNoCancel(const QString& text) override
    {
        Log << "ask (cancel): " + text;
        if (ThreeWay.empty())
            return TYesNoCancel::Cancel;
        const TYesNoCancel answer = ThreeWay.front();
        ThreeWay.pop_front();
        return answer;
    }
    QString AskSaveFileName(const QString& title) override
    {
        Log << "save: " + title;
        if (FileNames.empty())
            return {};
        const QString name = FileNames.front();
        FileNames.pop_front();
        return name;
    }
    QStringList Errors() const { return Log.filter(QRegularExpression("^error: ")); }

    QStringList Log;
    std::deque<bool> Answers;
    std::deque<TYesNoCancel> ThreeWay;
    std::deque<QString> FileNames;
};

TDataBlock MakeFlight(double height, bool voltage = true)
{
    TDataBlock f;
    f.DateText = "8.12.2026 7:14:28";
    f.Sampling = 10;
    f.ChannelMask = voltage ? 0xC800 : 0xC000;
    for (int i = 0; i < 10; ++i) {
        f.Time.push_back(i * 0.5);
        f.Altitude.push_back(i == 5 ? height : i * 0.1);
        f.Rx.push_back(i % 3 == 0 ? 50 : -20);
        if (voltage)
            f.Voltage.push_back(5.0);
    }
    f.Notes = "notes";
    return f;
}

class OpenFlightsModelTest : public ::testing::Test {
protected:
    OpenFlightsModelTest() : Flights(Questions, [this] { return Threshold; })
    {
        auto record = [this](const char* what) {
            return [this, what](int row) { Events << QString("%1 %2").arg(what).arg(row); };
        };
        QObject::connect(&Flights, &TOpenFlights::FlightOpened, &Flights, record("opened"));
        QObject::connect(&Flights, &TOpenFlights::FlightClosing, &Flights, record("closing"));
        QObject::connect(&Flights, &TOpenFlights::FlightClosed, &Flights, record("closed"));
        QObject::connect(&Flights, &TOpenFlights::CurrentChanged, &Flights, record("current"));
        QObject::connect(&Flights, &TOpenFlights::ModifiedChanged, &Flights, record("modified"));
        QObject::connect(&Flights, &TOpenFlights::FlightRenamed, &Flights, record("renamed"));
        QObject::connect(&Flights, &TOpenFlights::EditsWanted, &Flights, record("edits"));
        QObject::connect(&Flights, &TOpenFlights::SaveStarting, &Flights, record("saving"));
        QObject::connect(&Flights, &TOpenFlights::FlightSaved, &Flights, record("saved"));
        QObject::connect(&Flights, &TOpenFlights::OffsetsChanged, &Flights, record("offsets"));
        QObject::connect(
            &Flights, &TOpenFlights::ChannelChanged, &Flights,
            [this](int row, int col) { Events << QString("channel %1 %2").arg(row).arg(col); });
    }

    QString Write(const QString& name, const TDataBlock& f)
    {
        const QString path = Dir.filePath(name);
        EXPECT_TRUE(WriteDataFile(path.toStdString(), f).Ok());
        return path;
    }
    // Opens flights a.zdf, b.zdf, ... of heights 1, 2, ... and forgets the events so far.
    std::vector<QString> OpenSome(int count)
    {
        std::vector<QString> paths;
        for (int i = 0; i < count; ++i) {
            paths.push_back(Write(QString("%1.zdf").arg(QChar('a' + i)), MakeFlight(i + 1)));
            EXPECT_EQ(Flights.OpenDataFile(paths.back()), i);
        }
        Events.clear();
        return paths;
    }
    std::vector<QString> Names() const
    {
        std::vector<QString> names;
        for (int row = 0; row < Flights.FlightCount(); ++row)
            names.push_back(Flights.Name(row));
        return names;
    }

    QTemporaryDir Dir;
    TScriptedQuestions Questions;
    double Threshold = 30;
    TOpenFlights Flights;
    QStringList Events;
};

// A path that exists but cannot be replaced by a file: the write fails, also for root.
void BlockWrites(const QString& path)
{
    QFile::remove(path);
    QDir().mkpath(path);
}

} // namespace

TEST_F(OpenFlightsModelTest, OpeningAppendsWithAltitudeOnAndTheFirstBecomesCurrent)
{
    const QString a = Write("a.zdf", MakeFlight(12));
    const QString b = Write("b.zdf", MakeFlight(5, false));
    EXPECT_EQ(Flights.OpenDataFile(a), 0);
    EXPECT_EQ(Events, (QStringList{"opened 0", "channel 0 1", "current 0"}));
    EXPECT_EQ(Flights.ActualRow(), 0);
    EXPECT_EQ(Flights.Name(0), "a");
    EXPECT_EQ(Flights.FileName(0), a);
    EXPECT_FALSE(Flights.Modified(0));
    EXPECT_EQ(Flights.Channel(1, 0), TChannelState::On);
    EXPECT_EQ(Flights.Channel(2, 0), TChannelState::Off);
    EXPECT_EQ(Flights.Channel(3, 0), TChannelState::Off);
    EXPECT_EQ(Flights.Channel(5, 0), TChannelState::Off);
    // Marker flags follow the threshold given when the file is read.
    EXPECT_EQ(Flights.Flight(0)->MarkerFlags[0], 1);
    EXPECT_EQ(Flights.Flight(0)->MarkerFlags[1], 0);

    Events.clear();
    Threshold = 60;
    EXPECT_EQ(Flights.OpenDataFile(b), 1);
    EXPECT_EQ(Events, (QStringList{"opened 1", "channel 1 1"}));
    EXPECT_EQ(Flights.ActualRow(), 0);
    EXPECT_EQ(Flights.Channel(3, 1), TChannelState::Unavailable); // no voltage samples
    EXPECT_EQ(Flights.Flight(1)->MarkerFlags[0], 0);
    EXPECT_EQ(Flights.FlightCount(), 2);
    EXPECT_TRUE(Questions.Log.isEmpty());
}

TEST_F(OpenFlightsModelTest, UnreadableFilesAreNotOpened)
{
    EXPECT_EQ(Flights.OpenDataFile(Dir.filePath("missing.zdf")), -1);
    EXPECT_TRUE(Questions.Log.isEmpty());
    const QString bad = Dir.filePath("bad.zdf");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<header>\r\n<Data>\r\n1\r\n</Data>\r\n");
    file.close();
    EXPECT_EQ(Flights.OpenDataFile(bad), -1);
    EXPECT_EQ(Questions.Errors(), QStringList{"error: Error by opening datafile \"" + bad +
                                              "\"! \rBad header of file"});
    EXPECT_TRUE(Flights.Empty());
    EXPECT_TRUE(Events.isEmpty());
    EXPECT_EQ(Flights.ActualRow(), -1);

    // A FIFO is told about without being opened (opening it would wait for a writer).
    Questions.Log.clear();
    const QString fifo = Dir.filePath("pipe.zdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(Flights.OpenDataFile(fifo), -1);
    EXPECT_EQ(Questions.Errors(), QStringList{"error: " + fifo + " is not a regular file."});
    EXPECT_TRUE(Flights.Empty());
}

// A flight that does not fit in memory is told about; the flights already open stay as they were.
TEST_F(OpenFlightsModelTest, AFlightTooLargeForMemoryIsToldAndTheOthersStay)
{
    const std::vector<QString> paths = OpenSome(2);
    // Ten thousand empty data lines: every one a sample of time, altitude, servo and voltage.
    const QString empty = Dir.filePath("empty-lines.zdf");
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<Header>\r\nd\r\n10\r\n51200\r\n0\r\n0\r\n0\r\n0\r\n0\r\n</Header>\r\n"
               "<Data>\r\n" +
               QByteArray("\r\n").repeated(10000) + "</Data>\r\n");
    file.close();
    ASSERT_EQ(SampleMemoryBytes(10000, 0xC800), 10000u * 36);
    SetFlightMemoryLimit(300000);
    const int row = Flights.OpenDataFile(empty);
    SetFlightMemoryLimit(0);
    EXPECT_EQ(row, -1);
    EXPECT_EQ(Questions.Errors(), QStringList{"error: Not enough memory to open " + empty + "."});
    EXPECT_TRUE(Events.isEmpty());
    EXPECT_EQ(Names(), (std::vector<QString>{"a", "b"}));
    EXPECT_EQ(Flights.Flight(1)->Altitude[5], 2);
    // Below the limit the same file opens, every empty line a sample of zeros.
    EXPECT_EQ(Flights.OpenDataFile(empty), 2);
    EXPECT_EQ(Flights.Flight(2)->Time.size(), 10000u);
    EXPECT_EQ(Flights.Flight(2)->Voltage.back(), 0);

    // An allocation that fails while a view takes in the flight: the flight is dropped again.
    Questions.Log.clear();
    Events.clear();
    const QMetaObject::Connection failing = QObject::connect(
        &Flights, &TOpenFlights::FlightOpened, &Flights, [](int) { throw std::bad_alloc(); });
    EXPECT_EQ(Flights.OpenDataFile(paths[0]), -1);
    QObject::disconnect(failing);
    EXPECT_EQ(Questions.Errors(),
              QStringList{"error: Not enough memory to open " + paths[0] + "."});
    EXPECT_EQ(Events, (QStringList{"opened 3", "closing 3", "closed 3"}));
    EXPECT_EQ(Flights.FlightCount(), 3);
}

TEST_F(OpenFlightsModelTest, ChannelsToggleButUnavailableOnesStayGreyed)
{
    Write("b.zdf", MakeFlight(5, false));
    ASSERT_EQ(Flights.OpenDataFile(Dir.filePath("b.zdf")), 0);
    Events.clear();
    Flights.ToggleChannel(2, 0);
    EXPECT_EQ(Flights.Channel(2, 0), TChannelState::On);
    EXPECT_TRUE(Flights.ChannelShownAnywhere(2));
    Flights.ToggleChannel(2, 0);
    EXPECT_EQ(Flights.Channel(2, 0), TChannelState::Off);
    EXPECT_FALSE(Flights.ChannelShownAnywhere(2));
    Flights.GridCheck(3, 0, true);
    EXPECT_EQ(Flights.Channel(3, 0), TChannelState::Unavailable);
    EXPECT_FALSE(Flights.ChannelShownAnywhere(3));
    EXPECT_TRUE(Flights.ChannelShownAnywhere(1));
    EXPECT_EQ(Events, (QStringList{"channel 0 2", "channel 0 2", "channel 0 3"}));

    // A row that holds no flight fails the check and is refused with the message, no change.
    std::vector<std::string> failed;
    SetAssertionHandler([&failed](const std::string& message, const std::string&, int, uintptr_t) {
        failed.push_back(message);
    });
    Flights.GridCheck(1, 4, true);
    SetAssertionHandler(nullptr);
    EXPECT_EQ(failed, std::vector<std::string>{"Arow<=FormMain.DataList.count-1 in GridCheck"});
    EXPECT_EQ(Questions.Errors(),
              QStringList{"error: Data record not found in GridCheck!\rIn GridCheck."});
    EXPECT_EQ(Events.size(), 3);
}

TEST_F(OpenFlightsModelTest, SelectingStoresTheEditsOfTheLastRowFirst)
{
    OpenSome(3);
    QObject::connect(&Flights, &TOpenFlights::EditsWanted, &Flights,
                     [this](int row) { Flights.StoreNotes(row, "edited " + std::to_string(row)); });
    Flights.GridChangeActualFile(2, Flights.ActualRow());
    EXPECT_EQ(Events, (QStringList{"edits 0", "modified 0", "current 2"}));
    EXPECT_EQ(Flights.ActualRow(), 2);
    EXPECT_EQ(Flights.Flight(0)->Notes, "edited 0");
    EXPECT_TRUE(Flights.Modified(0));
    EXPECT_FALSE(Flights.Modified(2));
}

TEST_F(OpenFlightsModelTest, ClosingMovesTheLaterRowsUpAndKeepsTheCurrentIndex)
{
    OpenSome(4);
    Flights.GridChangeActualFile(2, 0);
    Events.clear();
    Flights.CloseDataFile(0);
    EXPECT_EQ(Events, (QStringList{"edits 2", "closing 0", "closed 0", "current 2"}));
    EXPECT_EQ(Names(), (std::vector<QString>{"b", "c", "d"}));
    EXPECT_EQ(Flights.ActualRow(), 2); // "d" moved up into the current row
    EXPECT_EQ(Flights.FileName(2), Dir.filePath("d.zdf"));

    // Past the new last row the current row moves up.
    Events.clear();
    Flights.CloseDataFile(2);
    EXPECT_EQ(Events, (QStringList{"edits 2", "closing 2", "closed 2", "current 1"}));
    EXPECT_EQ(Flights.ActualRow(), 1);

    Flights.CloseDataFile(5);
    EXPECT_EQ(Questions.Errors().last(),
              "error: Chyba při rušení řádku ze seznamu otevřených souborů! Řádek neexistuje!");
    Flights.CloseDataFile(1);
    Events.clear();
    Flights.CloseDataFile(0);
    EXPECT_EQ(Events, (QStringList{"edits 0", "closing 0", "closed 0", "current -1"}));
    EXPECT_TRUE(Flights.Empty());
    EXPECT_EQ(Flights.ActualRow(), -1);
}

TEST_F(OpenFlightsModelTest, SavingAsksOnlyForModifiedFlightsAndClearsModified)
{
    const std::vector<QString> paths = OpenSome(1);
    Flights.StoreNotes(0, "changed");
    EXPECT_TRUE(Flights.Modified(0));

    Questions.Answers = {false};
    EXPECT_TRUE(Flights.SaveDataFile(0, true));
    EXPECT_EQ(Questions.Log.last(), "ask: Do you want to save changes of " + paths[0] + "?");
    TDataBlock onDisk;
    ReadDataFile(paths[0].toStdString(), onDisk, 0);
    EXPECT_EQ(onDisk.Notes, "notes");
    EXPECT_TRUE(Flights.Modified(0));

    Events.clear();
    Questions.Answers = {true};
    EXPECT_TRUE(Flights.SaveDataFile(0, true));
    EXPECT_EQ(Events, (QStringList{"saving 0", "modified 0", "saved 0"}));
    TDataBlock saved;
    ReadDataFile(paths[0].toStdString(), saved, 0);
    EXPECT_EQ(saved.Notes, "changed");
    EXPECT_FALSE(Flights.Modified(0));
    const qsizetype asked = Questions.Log.size();
    EXPECT_TRUE(Flights.SaveDataFile(0, true)); // not modified: no question
    EXPECT_EQ(Questions.Log.size(), asked);
}

TEST_F(OpenFlightsModelTest, SavingAVanishedFileAsksForAName)
{
    const std::vector<QString> paths = OpenSome(1);
    QFile::remove(paths[0]);
    EXPECT_TRUE(Flights.SaveDataFile(0, false));
    EXPECT_EQ(Questions.Log.last(), "save: DataFile " + paths[0] + " not found!");
    EXPECT_FALSE(QFile::exists(paths[0]));

    const QString other = Dir.filePath("other.zdf");
    Questions.FileNames = {other};
    Events.clear();
    EXPECT_TRUE(Flights.SaveDataFile(0, false));
    EXPECT_TRUE(QFile::exists(other));
    // The flight now lives in the file it was saved to: every view shows that one.
    EXPECT_EQ(Flights.FileName(0), other);
    EXPECT_EQ(Flights.Name(0), "other");
    EXPECT_TRUE(Events.contains("renamed 0"));
    EXPECT_TRUE(Flights.SaveDataFile(0, false));
    EXPECT_EQ(Questions.Log.filter("save: ").size(), 2); // the next save asks nothing
}

TEST_F(OpenFlightsModelTest, FlightsOfARemovedItemAreClosedAfterTheirQuestions)
{
    QDir().mkpath(Dir.filePath("Sub"));
    const QString inSub = Write("Sub/s.zdf", MakeFlight(7));
    const QString beside = Write("Subway.zdf", MakeFlight(8));
    const std::vector<QString> paths = OpenSome(2); // a, b
    ASSERT_EQ(Flights.OpenDataFile(inSub), 2);
    ASSERT_EQ(Flights.OpenDataFile(beside), 3);
    EXPECT_EQ(Flights.RowsOfFilesIn(Dir.filePath("Sub")), std::vector<int>{2});
    EXPECT_EQ(Flights.RowsOfFilesIn(Dir.filePath("Sub/")), std::vector<int>{2});
    EXPECT_EQ(Flights.RowsOfFilesIn(paths[1]), std::vector<int>{1});
    EXPECT_EQ(Flights.RowsOfFilesIn(Dir.path()), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_TRUE(Flights.RowsOfFilesIn(Dir.filePath("a")).empty());

    Flights.StoreNotes(0, "changed a");
    Flights.StoreNotes(2, "changed s");
    Flights.GridChangeActualFile(1, 0);
    Events.clear();
    // Cancel on any question: every flight stays open and modified, nothing is written.
    Questions.ThreeWay = {TYesNoCancel::Yes, TYesNoCancel::Cancel};
    EXPECT_FALSE(Flights.CloseFlightsForRemoval({0, 2}));
    EXPECT_EQ(Questions.Log.filter("ask (cancel): ").size(), 2);
    EXPECT_EQ(Flights.FlightCount(), 4);
    EXPECT_TRUE(Flights.Modified(0));
    EXPECT_TRUE(Flights.Modified(2));
    TDataBlock untouched;
    ReadDataFile(inSub.toStdString(), untouched, 0);
    EXPECT_EQ(untouched.Notes, "notes");

    // Yes saves (the last row is asked first), No drops the changes; both close.
    Questions.Log.clear();
    Questions.ThreeWay = {TYesNoCancel::Yes, TYesNoCancel::No};
    EXPECT_TRUE(Flights.CloseFlightsForRemoval({2, 0, 2}));
    EXPECT_EQ(Questions.Log,
              (QStringList{"ask (cancel): Do you want to save changes of " + inSub + "?",
                           "ask (cancel): Do you want to save changes of " + paths[0] + "?"}));
    EXPECT_EQ(Names(), (std::vector<QString>{"b", "Subway"}));
    TDataBlock saved;
    ReadDataFile(inSub.toStdString(), saved, 0);
    EXPECT_EQ(saved.Notes, "changed s");
    TDataBlock dropped;
    ReadDataFile(paths[0].toStdString(), dropped, 0);
    EXPECT_EQ(dropped.Notes, "notes");

    // A save that fails keeps the flight open and stops the removal.
    Flights.StoreNotes(0, "changed b");
    BlockWrites(paths[1]);
    Questions.ThreeWay = {TYesNoCancel::Yes};
    EXPECT_FALSE(Flights.CloseFlightsForRemoval({0}));
    EXPECT_EQ(Questions.Errors().size(), 1);
    EXPECT_EQ(Names(), (std::vector<QString>{"b", "Subway"}));
}

TEST_F(OpenFlightsModelTest, AFlightWhoseSaveFailsStaysOpen)
{
    const std::vector<QString> paths = OpenSome(2);
    Flights.SetModified(0, true);
    BlockWrites(paths[0]);
    Events.clear();
    Questions.Answers = {true};
    Flights.CloseDataFile(0);
    EXPECT_EQ(Questions.Errors().size(), 1);
    EXPECT_EQ(Events, (QStringList{"edits 0", "saving 0"}));
    EXPECT_EQ(Names(), (std::vector<QString>{"a", "b"}));
    EXPECT_TRUE(Flights.Modified(0));
    EXPECT_EQ(Flights.ActualRow(), 0);

    // Answering No drops the changes and closes as usual.
    Questions.Answers = {false};
    EXPECT_TRUE(Flights.GridCloseFile(0));
    EXPECT_EQ(Names(), (std::vector<QString>{"b"}));
}

TEST_F(OpenFlightsModelTest, ClosingAllKeepsOnlyTheFlightsThatCouldNotBeSaved)
{
    const std::vector<QString> paths = OpenSome(4);
    for (int row = 0; row < 4; ++row)
        Flights.StoreNotes(row, "changed");
    Flights.GridChangeActualFile(3, -1);
    BlockWrites(paths[1]);
    BlockWrites(paths[2]);
    Events.clear();
    Questions.Answers = {true, true, true, true};
    Flights.CloseAllDataFiles();
    EXPECT_EQ(Questions.Errors().size(), 2);
    EXPECT_EQ(Names(), (std::vector<QString>{"b", "c"}));
    EXPECT_EQ(Events.filter("closed"), (QStringList{"closed 0", "closed 2"}));
    // The current flight went; the one that moved up into its place (clamped to the list) is
    // current now.
    EXPECT_EQ(Events.last(), "current 1");
    EXPECT_EQ(Flights.ActualRow(), 1);
    TDataBlock saved;
    ReadDataFile(paths[3].toStdString(), saved, 0);
    EXPECT_EQ(saved.Notes, "changed");
}

TEST_F(OpenFlightsModelTest, RenamingFollowsTheFileAndRefusesMissingRows)
{
    OpenSome(2);
    const QString moved = Dir.filePath("Sub/renamed.zdf");
    Flights.RenameFlight(1, moved);
    EXPECT_EQ(Events, QStringList{"renamed 1"});
    EXPECT_EQ(Flights.FileName(1), moved);
    EXPECT_EQ(Flights.Name(1), "renamed");
    Flights.RenameFlight(2, moved);
    EXPECT_EQ(Questions.Errors(),
              QStringList{"error: Chyba při přejmenování seznamu otevřených souborů! Řádek "
                          "neexistuje!"});
    EXPECT_EQ(Events.size(), 1);
}

TEST_F(OpenFlightsModelTest, ColourAndOffsetsAreToldOnlyWhenTheyChange)
{
    OpenSome(1);
    QStringList colours;
    QObject scope; // the connection ends with the test
    QObject::connect(&Flights, &TOpenFlights::ColorChanged, &scope,
                     [&](int row) { colours << QString::number(Flights.Color(row), 16); });
    // The flight opened in the first colour of the table (blue).
    Flights.SetColor(0, 0x0000FF);
    Flights.SetColor(0, 0x0000FF);
    EXPECT_EQ(colours, QStringList{"ff"});
    EXPECT_FALSE(Flights.SetOffsetX(0, 2.5).empty());
    EXPECT_TRUE(Flights.SetOffsetX(0, 2.5).empty());
    EXPECT_TRUE(Flights.SetOffsetX(3, 1).empty());
    EXPECT_EQ(Events, QStringList{"offsets 0"});
    Flights.SetModified(0, false);
    EXPECT_EQ(Events.size(), 1);
}

TEST_F(OpenFlightsModelTest, AnalysisStaysWithItsFlightAcrossClosesAndIsTakenAnewAfterASave)
{
    OpenSome(3);
    ASSERT_EQ(Flights.ClimbRate(1).size(), 10u);
    const TFlightStats* b = Flights.Stats(1);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->MaxAltitude, 2);
    EXPECT_EQ(Flights.Stats(2)->MaxAltitude, 3);
    EXPECT_EQ(Flights.Stats(1)->MaxClimbRate, AnalyseFlight(*Flights.Flight(1)).MaxClimbRate);

    Flights.CloseDataFile(0);
    EXPECT_EQ(Flights.Stats(0)->MaxAltitude, 2);
    EXPECT_EQ(Flights.Stats(1)->MaxAltitude, 3);
    EXPECT_FALSE(Flights.Stats(2));
    EXPECT_TRUE(Flights.ClimbRate(2).empty());
    EXPECT_FALSE(Flights.Stats(-1));

    // Whatever the record holds as the save starts is what the numbers follow (the record is
    // changed behind the list's back here, only to tell the numbers apart).
    QObject::connect(&Flights, &TOpenFlights::SaveStarting, &Flights, [this](int row) {
        const_cast<TDataBlock*>(Flights.Flight(row))->Voltage.assign(10, 4.5);
    });
    EXPECT_EQ(Flights.Stats(0)->MeanVoltage, 5.0);
    Flights.SaveFlight(0);
    EXPECT_EQ(Events.last(), "saved 0");
    EXPECT_EQ(Flights.Stats(0)->MeanVoltage, 4.5);
}

TEST_F(OpenFlightsModelTest, EventsFollowTheOptionsAtOnceAndAreTakenAnewAfterASave)
{
    OpenSome(2);
    int told = 0;
    QObject scope; // the connection ends with the test
    QObject::connect(&Flights, &TOpenFlights::EventsChanged, &scope, [&told] { ++told; });
    // The servo is at 50 % every third sample: four runs, and under f5j three restarts.
    const TFlightEvents* a = Flights.Events(0);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->MotorRuns.size(), 4u);
    EXPECT_EQ(a->Rules, TRules::None);
    EXPECT_TRUE(a->Warnings.empty());
    EXPECT_EQ(Flights.Events(0), a); // kept
    EXPECT_FALSE(Flights.Events(2));
    EXPECT_FALSE(Flights.Events(-1));

    TEventOptions f5j;
    f5j.Rules = TRules::F5j;
    Flights.SetEventOptions(f5j);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(Flights.EventOptions(), f5j);
    for (int row : {0, 1}) {
        EXPECT_EQ(Flights.Events(row)->Rules, TRules::F5j);
        EXPECT_EQ(Flights.Events(row)->Warnings.size(), 3u);
        EXPECT_TRUE(Flights.Events(row)->Penalty);
    }
    Flights.SetEventOptions(f5j);
    EXPECT_EQ(told, 1); // nothing changed

    f5j.MotorThreshold = 50; // strictly above: no run
    Flights.SetEventOptions(f5j);
    EXPECT_EQ(told, 2);
    EXPECT_TRUE(Flights.Events(1)->MotorRuns.empty());

    // What the record holds as a save starts counts from then on.
    QObject::connect(&Flights, &TOpenFlights::SaveStarting, &Flights, [this](int row) {
        const_cast<TDataBlock*>(Flights.Flight(row))->Rx.assign(10, 80);
    });
    Flights.SaveFlight(1);
    ASSERT_EQ(Flights.Events(1)->MotorRuns.size(), 1u);
    EXPECT_EQ(Flights.Events(1)->MotorRuns[0].Stop, 4.5);
    Flights.CloseDataFile(0);
    EXPECT_EQ(Flights.Events(0)->MotorRuns.size(), 1u); // the saved flight moved up
}

TEST_F(OpenFlightsModelTest, DetailsEditsMarkTheFlightModifiedAndSaveWithTheUnknownExtraLines)
{
    TDataBlock flight = MakeFlight(1);
    flight.ExtraLines = {"StartElevation=312.50", "Model=Pike", "Future=kept"};
    const QString path = Write("a.zdf", flight);
    ASSERT_EQ(Flights.OpenDataFile(path), 0);
    EXPECT_EQ(Flights.Details(0)->Model, "Pike");
    EXPECT_FALSE(Flights.Details(1));
    Events.clear();
    int told = 0;
    QObject::connect(&Flights, &TOpenFlights::DetailsChanged,
                     [&told](int row) { told += row + 1; });

    TDetailsEdit edit;
    edit.Model = "Pike Perfect";
    edit.Site = "Raná\r\nnorth slope";
    edit.Tags = "thermal, calm";
    ASSERT_TRUE(Flights.EditDetails(0, edit));
    EXPECT_TRUE(Flights.Modified(0));
    EXPECT_EQ(told, 1);
    EXPECT_EQ(Flights.Details(0)->Site, "Raná  north slope"); // line breaks become blanks
    EXPECT_EQ(Flights.Details(0)->Tags, (std::vector<std::string>{"thermal", "calm"}));
    EXPECT_EQ(Events, QStringList{"modified 0"});

    // The same values again change nothing; a refused one is told and changes nothing.
    ASSERT_TRUE(Flights.EditDetails(0, edit));
    EXPECT_EQ(told, 1);
    TDetailsEdit refused;
    refused.Pilot = "Eva RxOffsetY=3";
    EXPECT_FALSE(Flights.EditDetails(0, refused));
    ASSERT_EQ(Questions.Errors().size(), 1);
    EXPECT_TRUE(Questions.Errors()[0].contains("must not contain \"RxOffsetY\""));
    EXPECT_TRUE(Flights.Details(0)->Pilot.empty());

    ASSERT_TRUE(Flights.SaveDataFile(0, false));
    EXPECT_FALSE(Flights.Modified(0));
    TDataBlock back;
    ASSERT_EQ(ReadDataFile(path.toStdString(), back, 0).Status, TReadStatus::Ok);
    EXPECT_EQ(back.ExtraLines, (std::vector<std::string>{
                                   "StartElevation=312.50", "Model=Pike Perfect", "Future=kept",
                                   "Site=Raná  north slope", "Tags=thermal, calm"}));
    Flights.CloseDataFile(0);
    ASSERT_EQ(Flights.OpenDataFile(path), 0);
    EXPECT_EQ(Flights.Details(0)->Model, "Pike Perfect");
}

TEST_F(OpenFlightsModelTest, AFlightIsAnalysedWithItsModelsProfileAndAnewWhenEitherChanges)
{
    TDataBlock pike = MakeFlight(1);
    pike.ExtraLines = {"Model=Pike"};
    ASSERT_EQ(Flights.OpenDataFile(Write("a.zdf", pike)), 0);
    ASSERT_EQ(Flights.OpenDataFile(Write("b.zdf", MakeFlight(2))), 1);
    int told = 0;
    QObject::connect(&Flights, &TOpenFlights::EventsChanged, [&told] { ++told; });
    TEventOptions general;
    general.AlesHeight = 120;
    Flights.SetEventOptions(general);
    told = 0;

    TModelProfiles profiles;
    profiles.Parse("[pike]\r\nRules=f5j\r\nMotorThreshold=50\r\n");
    Flights.SetModelProfiles(profiles);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(Flights.Events(0)->Rules, TRules::F5j);
    EXPECT_TRUE(Flights.Events(0)->MotorRuns.empty()); // 50 % is not above 50
    EXPECT_EQ(Flights.EventOptionsOf(0).AlesHeight, 120);
    EXPECT_EQ(Flights.Events(1)->Rules, TRules::None);
    EXPECT_EQ(Flights.Events(1)->MotorRuns.size(), 4u);

    // The same profiles again find nothing anew.
    Flights.SetModelProfiles(profiles);
    EXPECT_EQ(told, 1);

    // Giving the second flight the model analyses it by the profile; taking the model away from
    // the first by the general options.
    TDetailsEdit toPike;
    toPike.Model = "PIKE";
    ASSERT_TRUE(Flights.EditDetails(1, toPike));
    EXPECT_EQ(told, 2);
    EXPECT_EQ(Flights.Events(1)->Rules, TRules::F5j);
    TDetailsEdit none;
    none.Model = "";
    ASSERT_TRUE(Flights.EditDetails(0, none));
    EXPECT_EQ(Flights.Events(0)->Rules, TRules::None);
    EXPECT_EQ(Flights.Events(0)->MotorRuns.size(), 4u);
    // A change of site alone finds nothing anew.
    TDetailsEdit site;
    site.Site = "Raná";
    const int before = told;
    ASSERT_TRUE(Flights.EditDetails(1, site));
    EXPECT_EQ(told, before);
}

TEST_F(OpenFlightsModelTest, EachOpenedFlightTakesTheLowestColourNoOpenFlightHas)
{
    OpenSome(3);
    for (int row = 0; row < 3; ++row) {
        for (const TSeriesInfo& slot : *Flights.SeriesInfo(row))
            EXPECT_EQ(slot.ColorIndex, row);
        EXPECT_EQ(Flights.Color(row), GraphColorBgr(static_cast<uint8_t>(row)));
    }
    EXPECT_EQ(Flights.Color(0), 0xFF0000u); // blue, kept as 0x00BBGGRR
    Flights.CloseDataFile(1);
    const QString d = Write("d.zdf", MakeFlight(4));
    const int row = Flights.OpenDataFile(d);
    EXPECT_EQ((*Flights.SeriesInfo(row))[kSlotAltitude].ColorIndex, 1);
    // Past the table's colours a flight gets none of them.
    for (int i = Flights.FlightCount(); i <= kGraphColorCount; ++i)
        Flights.OpenDataFile(Write(QString("x%1.zdf").arg(i), MakeFlight(1)));
    ASSERT_EQ(Flights.FlightCount(), kGraphColorCount + 1);
    EXPECT_EQ((*Flights.SeriesInfo(kGraphColorCount))[kSlotAltitude].ColorIndex, kFreeColorIndex);
    EXPECT_EQ(Flights.Color(kGraphColorCount), 0u);
}

TEST_F(OpenFlightsModelTest, OffsetsAreNumbersOfTheViewAndNeverModifyTheFlight)
{
    OpenSome(2);
    auto slot = [this](int k) { return (*Flights.SeriesInfo(0))[static_cast<size_t>(k)]; };
    EXPECT_EQ(Flights.SetOffsetX(0, 3.25).size(), static_cast<size_t>(kSlotCount));
    for (int k = 0; k < kSlotCount; ++k)
        EXPECT_DOUBLE_EQ(slot(k).OffsetX, 3.25);
    // The altitude's value offset carries the markers and the annotations, nothing else.
    EXPECT_EQ(Flights.SetOffsetY(0, kSlotAltitude, -4),
              (std::vector<int>{kSlotAltitude, kSlotMarker, kSlotAnnotation}));
    EXPECT_DOUBLE_EQ(slot(kSlotServo).OffsetY, 0);
    EXPECT_EQ(Flights.SetOffsetY(0, kSlotVoltage, 0.5), std::vector<int>{kSlotVoltage});
    EXPECT_TRUE(Flights.SetOffsetY(0, kSlotMarker, 1).empty()); // only 0..2 take one
    // Switched off, the numbers stay and nothing is shown shifted; the same switch is no change.
    EXPECT_EQ(Flights.SetShiftOn(0, false).size(), static_cast<size_t>(kSlotCount));
    EXPECT_TRUE(Flights.SetShiftOn(0, false).empty());
    EXPECT_EQ(ShownOffset(slot(kSlotAltitude)), TShownOffset{});
    EXPECT_DOUBLE_EQ(slot(kSlotAltitude).OffsetY, -4);
    // Moved exactly, and switched on again.
    Flights.MoveOffsetsTo(0, {-1.5, 7});
    EXPECT_EQ(ShownOffset(slot(kSlotAnnotation)), (TShownOffset{-1.5, 7}));
    EXPECT_EQ(ShownOffset(slot(kSlotVoltage)), (TShownOffset{-1.5, 0.5}));
    // The other flight is untouched and no file changes by a view.
    EXPECT_EQ(ShownOffset((*Flights.SeriesInfo(1))[kSlotAltitude]), TShownOffset{});
    EXPECT_FALSE(Flights.Modified(0));
    EXPECT_EQ(Events.filter("offsets").size(), 5);
    EXPECT_TRUE(Flights.SetOffsetX(5, 1).empty());
}

TEST_F(OpenFlightsModelTest, ServoZeroIsSavedWithTheFlight)
{
    const std::vector<QString> paths = OpenSome(2);
    Flights.SetServoZero(1, -12.75);
    EXPECT_EQ(Flights.Flight(1)->RxOffsetY, -12.75);
    EXPECT_TRUE(Flights.Modified(1));
    EXPECT_FALSE(Flights.Modified(0));
    Flights.SetServoZero(7, 1); // no such row: nothing happens
    Flights.SaveFlight(1);
    TDataBlock saved;
    ReadDataFile(paths[1].toStdString(), saved, 0);
    EXPECT_DOUBLE_EQ(saved.RxOffsetY, -12.75);
}

TEST_F(OpenFlightsModelTest, AnnotationEditsAreToldPerFlightAndSaved)
{
    const std::vector<QString> paths = OpenSome(2);
    QStringList told;
    QObject scope;
    QObject::connect(&Flights, &TOpenFlights::AnnotationsChanged, &scope,
                     [&](int row) { told << QString::number(row); });
    EXPECT_EQ(Flights.AddAnnotation(1, {10, 20, "start"}), 0);
    EXPECT_EQ(Flights.AddAnnotation(1, {2, 3, "early"}), 1); // in the order added
    EXPECT_TRUE(Flights.ChangeAnnotation(1, 0, {11, 21, "launch"}));
    EXPECT_FALSE(Flights.ChangeAnnotation(1, 2, {0, 0, "none"}));
    EXPECT_FALSE(Flights.DeleteAnnotation(1, -1));
    EXPECT_EQ(Flights.AddAnnotation(4, {0, 0, "nowhere"}), -1);
    EXPECT_EQ(told, (QStringList{"1", "1", "1"}));
    EXPECT_TRUE(Flights.Modified(1));
    EXPECT_FALSE(Flights.Modified(0));
    Flights.SaveFlight(1);
    TDataBlock saved;
    ReadDataFile(paths[1].toStdString(), saved, 0);
    ASSERT_EQ(saved.Annotations.size(), 2u);
    EXPECT_EQ(saved.Annotations[0].Text, "launch");
    EXPECT_DOUBLE_EQ(saved.Annotations[0].Time, 11);
    EXPECT_EQ(saved.Annotations[1].Text, "early");
    EXPECT_TRUE(Flights.DeleteAnnotation(1, 0));
    ASSERT_EQ(Flights.Flight(1)->Annotations.size(), 1u);
    EXPECT_EQ(Flights.Flight(1)->Annotations[0].Text, "early");
    EXPECT_EQ(told.size(), 4);
}

TEST_F(OpenFlightsModelTest, AdoptedExtraLinesBringTheirDetailsWithoutModifyingTheFlight)
{
    OpenSome(1);
    int told = 0;
    QObject scope;
    QObject::connect(&Flights, &TOpenFlights::DetailsChanged, &scope, [&told] { ++told; });
    Flights.AdoptExtraLines(0, {"Model=Pike", "Pilot=Eva"});
    EXPECT_EQ(Flights.Details(0)->Model, "Pike");
    EXPECT_EQ(Flights.Flight(0)->ExtraLines, (std::vector<std::string>{"Model=Pike", "Pilot=Eva"}));
    EXPECT_FALSE(Flights.Modified(0));
    Flights.AdoptExtraLines(0, {"Model=Pike", "Pilot=Eva"});
    EXPECT_EQ(told, 1);
}
