// The plot scene away from the main window: flights are opened into it the way the main window
// opens them, and the chart is drawn at a chosen size for pictures, reports and zirko-cli.
#pragma once

#include "core/app/Settings.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/GraphSettings.h"
#include "core/logbook/ModelProfiles.h"
#include "gui/graph/GraphExport.h"
#include "gui/graph/GraphHost.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace zirko {

class TFlightPlot;

// The host side of the scene: the open flights, their channels and the program's options.
class TOffscreenGraphHost final : public TGraphHost {
public:
    TOffscreenGraphHost(const TOptions& options, const TGraphSettings& settings);

    int FlightCount() const override { return static_cast<int>(Flights.size()); }
    const TDataBlock* Flight(int row) const override;
    const TFlightSlots* SeriesInfo(int row) const override;
    const std::vector<double>& ClimbRate(int row) const override;
    const TFlightEvents* Events(int row) const override;
    const TRangeIndex* RangeIndex(int row) const override;
    QString FlightName(int row) const override;
    TChannelState ChannelState(int col, int row) const override;
    bool GridVisible() const override { return !Flights.empty(); }
    int CurrentRow() const override { return Flights.empty() ? -1 : 0; }
    char DecimalSeparator() const override { return '.'; }
    std::string GroupSeparator() const override { return "\xC2\xA0"; }
    bool DeflectionOnGraph() const override { return Options.DeflectionOnGraph; }
    double DeflectionMin() const override { return Options.DeflectionMin; }
    double DeflectionMax() const override { return Options.DeflectionMax; }
    TGraphSettings& GraphSettings() override { return Settings; }
    bool GraphPageActive() const override { return true; }
    int AutoGridSize() const override { return Options.AutoGridSize; }
    std::vector<int> SetOffsetX(int row, double offset) override;
    std::vector<int> SetOffsetY(int row, int slot, double offset) override;
    std::vector<int> SetShiftOn(int row, bool on) override;
    std::vector<int> MoveOffsetsTo(int row, TShownOffset to) override;
    void SetServoZero(int row, double rxOffsetY) override;

    void SetChannelState(int col, int row, TChannelState state) { Channels[{col, row}] = state; }
    // A flight whose model has a profile is analysed with it over the options' events.
    void SetModelProfiles(const TModelProfiles& profiles);
    int AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name);
    // Adds a flight already read and opens it in the scene as the main window opens one: its
    // series are built and its altitude channel is shown. The first flight becomes the current
    // one. Returns its row.
    int OpenFlight(TFlightPlot& plot, std::unique_ptr<TDataBlock> flight, const QString& name);
    // Grid column 1..5 of a flight shown or hidden in the scene.
    void ShowChannel(TFlightPlot& plot, int row, int column, bool on);

    const TOptions Options;

private:
    TGraphSettings Settings;
    std::vector<std::unique_ptr<TDataBlock>> Flights;
    std::vector<QString> Names;
    TFlightSlots* SlotsAt(int row);
    std::vector<std::unique_ptr<TFlightSlots>> Slots;
    mutable std::vector<std::optional<std::vector<double>>> Climbs;
    mutable std::vector<std::optional<TFlightEvents>> FoundEvents;
    mutable std::vector<std::optional<TRangeIndex>> Ranges;
    std::map<std::pair<int, int>, TChannelState> Channels;
    TModelProfiles Profiles;
};

// A plot scene that is never put on screen. Its chart is laid out and drawn as if it were shown.
class TOffscreenGraph {
public:
    // The scene starts as the main window leaves it after reading its settings: the legend as the
    // options say, then the graph settings applied.
    explicit TOffscreenGraph(const TOptions& options = TOptions(),
                             const TGraphSettings& settings = DefaultSettings());
    ~TOffscreenGraph();
    TOffscreenGraph(const TOffscreenGraph&) = delete;
    TOffscreenGraph& operator=(const TOffscreenGraph&) = delete;

    static TGraphSettings DefaultSettings();

    // A flight file read, or the lines that say why it could not be (the message last).
    struct TFileRead {
        std::unique_ptr<TDataBlock> Flight;
        QString Name;
        QStringList Failure;
    };
    // Reads a flight file as OpenFile reads it; safe on any thread.
    static TFileRead ReadFile(const QString& fileName, double markerThreshold);
    // Reads the files on worker threads, at most one per processor core; in the order given.
    std::vector<TFileRead> ReadFiles(const QStringList& fileNames) const;
    // Opens what ReadFile read; returns its failure, empty on success.
    QStringList OpenRead(TFileRead read);
    // Reads a flight file and opens it. Returns the failure as the lines the program shows, the
    // message last; empty on success.
    QStringList OpenFile(const QString& fileName);
    // Opens a flight already read: its series are built and the altitude channel is shown, as
    // when a flight is opened in the program. The first flight becomes the current one. Returns
    // its row.
    int AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name);
    // Grid column 1..5 of a flight shown or hidden.
    void SetChannelShown(int row, int column, bool on);

    // The chart exactly `size`; false for an empty size.
    bool SetChartSize(const QSize& size);
    QSize ChartSize() const;
    // A full draw at the chart's size.
    void Draw();
    // The chart as the picture export takes it.
    TChartSource Source() const;

    TFlightPlot& Plot() { return *Scene; }
    TOffscreenGraphHost& Host() { return GraphHost; }

private:
    TOffscreenGraphHost GraphHost;
    std::unique_ptr<TFlightPlot> Scene;
};

} // namespace zirko
