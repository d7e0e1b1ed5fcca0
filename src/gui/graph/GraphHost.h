// What the graph page needs from its surroundings: the open flights, their channels and settings.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/analysis/RangeIndex.h"
#include "core/flightdata/ChannelState.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/GraphSettings.h"
#include "core/graph/Offsets.h"
#include "core/graph/SeriesInfo.h"

#include <QString>
#include <string>
#include <vector>

namespace zirko {

// Row i is the open flight in grid row i.
class TGraphHost {
public:
    virtual ~TGraphHost() = default;

    virtual int FlightCount() const = 0;
    // Null when the row holds no flight. The page reads the record; it changes it only through
    // the edits below.
    virtual const TDataBlock* Flight(int row) const = 0;
    // The colour and offsets the flight of a row is shown with. Null when the row holds no
    // flight.
    virtual const TFlightSlots* SeriesInfo(int row) const = 0;
    // The flight's climb rate in m/s, one value per sample; empty when the row holds no flight or
    // the flight has no altitude. Worked out once, when first asked for.
    virtual const std::vector<double>& ClimbRate(int row) const = 0;
    // The flight's motor runs, start height, warnings and phases; null when the row holds no
    // flight. Found once, when first asked for, and again when the options change.
    virtual const TFlightEvents* Events(int row) const = 0;
    // The block summaries the Range table reads the flight's numbers from; null when the row
    // holds no flight. Built once, when first asked for.
    virtual const TRangeIndex* RangeIndex(int row) const = 0;
    // The flight's name as the grid shows it (file name without folder and ".zdf").
    virtual QString FlightName(int row) const = 0;
    // Channel column 1..5 of a row.
    virtual TChannelState ChannelState(int col, int row) const = 0;
    // The open-flights grid is shown (at least one flight is open).
    virtual bool GridVisible() const = 0;
    // Row of the current flight, -1 for none.
    virtual int CurrentRow() const = 0;
    virtual char DecimalSeparator() const = 0;
    // The digit-grouping text of axis and marker labels (UTF-8).
    virtual std::string GroupSeparator() const = 0;
    // Servo drawn on the deflection range instead of in percent.
    virtual bool DeflectionOnGraph() const = 0;
    virtual double DeflectionMin() const = 0;
    virtual double DeflectionMax() const = 0;
    // The program-wide graph settings (undo zoom and settings changes may store corrected maxima).
    virtual TGraphSettings& GraphSettings() = 0;
    // The Graph tab is the active page.
    virtual bool GraphPageActive() const = 0;
    // Column fitting of the readings table (below 8: widths left alone).
    virtual int AutoGridSize() const = 0;
    // The offsets of a flight (only its view, never its file). Each returns the slots whose
    // shown offset changed.
    virtual std::vector<int> SetOffsetX(int row, double offset) = 0;
    virtual std::vector<int> SetOffsetY(int row, int slot, double offset) = 0;
    virtual std::vector<int> SetShiftOn(int row, bool on) = 0;
    virtual std::vector<int> MoveOffsetsTo(int row, TShownOffset to) = 0;
    // The servo value that reads as 0, saved with the flight: the flight is modified.
    virtual void SetServoZero(int row, double rxOffsetY) = 0;
};

// Some open flight shows channel column 1..5 (none while the grid is hidden).
inline bool ChannelShownAnywhere(const TGraphHost& host, int column)
{
    if (!host.GridVisible())
        return false;
    for (int row = 0; row < host.FlightCount(); ++row)
        if (host.ChannelState(column, row) == TChannelState::On)
            return true;
    return false;
}

} // namespace zirko
