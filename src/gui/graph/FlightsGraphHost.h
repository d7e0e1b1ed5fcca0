// The Graph page and the annotation list as observers of the open flights.
#pragma once

#include "core/app/Settings.h"
#include "core/graph/GraphSettings.h"
#include "gui/graph/FormAnnot.h"
#include "gui/graph/GraphHost.h"

#include <QObject>
#include <functional>

namespace zirko {

class TOpenFlights;
class TGraphPage;

// The program settings the page draws by; they belong to the main window and change under it.
struct TGraphHostSettings {
    const TOptions& Options;
    TGraphSettings& Graph;
    const bool& DeflectionOnGraph;
    const int& NameColMinWidth;
    std::function<bool()> PageActive;
};

// The open flights as the page and the annotation dialog see them: reads, and edits handed to the
// list; it keeps the page's series in step with the list.
class TFlightsGraphHost final : public QObject, public TGraphHost, public TAnnotationHost {
    Q_OBJECT
public:
    TFlightsGraphHost(TOpenFlights& flights, TGraphHostSettings settings);

    // From now on the page follows every change of the list.
    void Observe(TGraphPage& page);

    int FlightCount() const override;
    const TDataBlock* Flight(int row) const override;
    const TFlightSlots* SeriesInfo(int row) const override;
    const std::vector<double>& ClimbRate(int row) const override;
    const TFlightEvents* Events(int row) const override;
    const TRangeIndex* RangeIndex(int row) const override;
    QString FlightName(int row) const override;
    TChannelState ChannelState(int col, int row) const override;
    bool GridVisible() const override;
    int CurrentRow() const override;
    char DecimalSeparator() const override;
    std::string GroupSeparator() const override;
    bool DeflectionOnGraph() const override { return Settings.DeflectionOnGraph; }
    double DeflectionMin() const override { return Settings.Options.DeflectionMin; }
    double DeflectionMax() const override { return Settings.Options.DeflectionMax; }
    TGraphSettings& GraphSettings() override { return Settings.Graph; }
    bool GraphPageActive() const override { return Settings.PageActive(); }
    int AutoGridSize() const override { return Settings.NameColMinWidth; }
    std::vector<int> SetOffsetX(int row, double offset) override;
    std::vector<int> SetOffsetY(int row, int slot, double offset) override;
    std::vector<int> SetShiftOn(int row, bool on) override;
    std::vector<int> MoveOffsetsTo(int row, TShownOffset to) override;
    void SetServoZero(int row, double rxOffsetY) override;

    int AnnotFlightCount() const override { return FlightCount(); }
    QString AnnotFlightName(int row) const override { return FlightName(row); }
    bool AnnotFlightExists(int row) const override { return Flight(row) != nullptr; }
    int AnnotCount(int row) const override;
    double AnnotX(int row, int i) const override;
    double AnnotY(int row, int i) const override;
    QString AnnotLabel(int row, int i) const override;
    void AnnotAppend(int row, double x, double y, const QString& text) override;
    void AnnotDelete(int row, int index) override;

private:
    // The annotation as it shows: its stored values moved by the flight's offsets.
    TShownOffset AnnotationOffset(int row) const;
    const TAnotace* Annotation(int row, int i) const;

    TOpenFlights& Flights;
    TGraphHostSettings Settings;
    TGraphPage* Page = nullptr;
};

} // namespace zirko
