// What the graph page needs from its surroundings: the open flights, their channels and settings.
#pragma once

#include "core/analysis/FlightEvents.h"
#include "core/flightdata/ChannelState.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/GraphSettings.h"
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
    // Null when the row holds no flight.
    virtual TDataBlock* Flight(int row) const = 0;
    // How the flight of a row is shown: the page keeps its series and offsets there. Null when
    // the row holds no flight.
    virtual TFlightSlots* SeriesInfo(int row) const = 0;
    // The flight's climb rate in m/s, one value per sample; empty when the row holds no flight or
    // the flight has no altitude. Worked out once, when first asked for.
    virtual const std::vector<double>& ClimbRate(int row) const = 0;
    // The flight's motor runs, start height, warnings and phases; null when the row holds no
    // flight. Found once, when first asked for, and again when the options change.
    virtual const TFlightEvents* Events(int row) const = 0;
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
    // The page changed what a flight's file holds (its servo offset): the flight is modified.
    virtual void MarkModified(int row) = 0;
    // The page moved a flight's offsets or switched them: only the view changed, not the file.
    virtual void OffsetsEdited(int row) = 0;
};

} // namespace zirko
