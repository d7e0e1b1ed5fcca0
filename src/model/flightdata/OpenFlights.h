// The open flights in grid order: their records, channel states, colours and Modified flags.
#pragma once

#include "core/analysis/FlightAnalysis.h"
#include "core/analysis/FlightEvents.h"
#include "core/analysis/RangeIndex.h"
#include "core/flightdata/ChannelState.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/Offsets.h"
#include "core/graph/SeriesInfo.h"
#include "core/logbook/FlightDetails.h"
#include "core/logbook/ModelProfiles.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zirko {

enum class TYesNoCancel { Yes, No, Cancel };

// The questions and messages the open flights put to the user.
class TFlightsDialogs {
public:
    virtual ~TFlightsDialogs() = default;
    virtual void ShowError(const QString& text) = 0;
    virtual bool AskYesNo(const QString& text) = 0;
    // Yes, No and Cancel; Cancel is the default.
    virtual TYesNoCancel AskYesNoCancel(const QString& text) = 0;
    // A file name to save under, chosen starting in the data folder; empty when cancelled.
    virtual QString AskSaveFileName(const QString& title) = 0;
};

// One open flight: the record as read from its file and what the program shows of it.
struct TOpenFlight {
    std::unique_ptr<TDataBlock> Record;
    QString FileName; // full path
    QString Name;     // file name without folder and extension
    TChannelStates Channels{};
    uint32_t Color = 0; // the flight's colour as 0x00BBGGRR
    // The program holds changes of the flight that its file does not have yet.
    bool Modified = false;
    // The colour and offsets the chart shows the flight with; changed only through the list.
    TFlightSlots SeriesInfo{};
    // What the record's samples tell, worked out when first asked for. The time and altitude of
    // an open flight never change, so the climb rate stays; the numbers are taken anew after a
    // save.
    mutable std::optional<std::vector<double>> Climb;
    mutable std::optional<TFlightStats> Stats;
    mutable std::optional<TRangeIndex> Ranges;
    // Found by the event options of the list and the profile of the flight's model; taken anew
    // when either changes and after a save.
    mutable std::optional<TFlightEvents> Events;
    mutable TEventOptions EventsFoundWith;
    // Model, site, pilot and tags as the record's extra lines hold them.
    TFlightDetails Details;
};

// Row i is the flight in grid row i. Observers hear of every change through the signals, in the
// order the changes happen; the signals carry rows as they are at that moment.
class TOpenFlights : public QObject {
    Q_OBJECT
public:
    // `markerThreshold` gives the servo value above which a sample is marked, as it is when a
    // flight is read.
    TOpenFlights(TFlightsDialogs& dialogs, std::function<double()> markerThreshold,
                 QObject* parent = nullptr);
    ~TOpenFlights() override;

    // Reads the file and appends its flight with the altitude channel on; the first flight
    // becomes the current one. Returns its row, -1 when it could not be read (the message has
    // been shown).
    int OpenDataFile(const QString& fileName);
    // Closes a row: the current flight's edits are stored, a modified flight is saved after a
    // Yes, the rows below move up and the current row keeps its index where it can.
    void CloseDataFile(int row);
    // Saves a modified flight after a Yes and takes it out of the list; false when it stays
    // open (its changes could not be written) or there was no flight to close.
    bool GridCloseFile(int arow);
    // Closes every flight in order; one whose changes could not be saved stays open.
    void CloseAllDataFiles();
    // Closes the flights of `rows` before their files go away: each modified one is asked about
    // first (Yes saves, No drops the changes). False when the user cancelled (every flight stays
    // open) or a save failed (that flight and those not yet closed stay open).
    bool CloseFlightsForRemoval(std::vector<int> rows);
    // The rows of the flights read from `path` or from a file anywhere below it.
    std::vector<int> RowsOfFilesIn(const QString& path) const;
    // Writes the flight of `row`; with `ask` only a modified flight, after a Yes. Returns false
    // when the write failed (the message has been shown); throws when the file could not be
    // written at all.
    bool SaveDataFile(int row, bool ask);
    // Saves a row as the open-flights menu does: with the editor's notes, whatever Modified says.
    void SaveFlight(int row);
    // The edits of `lastrow` are stored, then `arow` becomes the current flight.
    void GridChangeActualFile(int arow, int lastrow);
    // Channel column 1..5 of a row shown or hidden.
    void GridCheck(int col, int arow, bool checked);
    // The grid's click on a check box: on becomes off, off becomes on.
    void ToggleChannel(int col, int row);
    // The flight's file has a new path (after a rename or move in the data folder).
    void RenameFlight(int row, const QString& fullPath);
    // Asks the observers to put the edits they hold of `row` into its record.
    void StoreEditedNotes(int row);
    void StoreNotes(int row, std::string notes);
    void SetModified(int row, bool modified);
    // A colour of the chart's own for a flight opened when every colour of the table was taken.
    void SetColor(int row, uint32_t color);

    // --- the flight's offsets (a view of it: the file never changes by them) ---
    // Each returns the slots whose shown offset changed; OffsetsChanged tells of any.
    // The time offset of every slot.
    std::vector<int> SetOffsetX(int row, double offset);
    // The value offset of slot 0..2; the altitude's also moves markers and annotations.
    std::vector<int> SetOffsetY(int row, int slot, double offset);
    // The offsets of all slots switched on or off.
    std::vector<int> SetShiftOn(int row, bool on);
    // Time offset and altitude offset become `to` exactly, switched on.
    std::vector<int> MoveOffsetsTo(int row, TShownOffset to);

    // --- edits of the record ---
    // The servo value that reads as 0 ("RxOffsetY", saved with the flight).
    void SetServoZero(int row, double rxOffsetY);
    // The annotations hold the record's values (not as shown with offsets). Each edit marks the
    // flight modified and tells AnnotationsChanged. Adding returns the new one's index, -1 for a
    // row without a flight; change and delete return false for an index that is not there.
    int AddAnnotation(int row, TAnotace annotation);
    bool ChangeAnnotation(int row, int index, TAnotace annotation);
    bool DeleteAnnotation(int row, int index);

    int FlightCount() const { return static_cast<int>(DataList.size()); }
    bool Empty() const { return DataList.empty(); }
    // Null when the row holds no flight. The record changes only through the list's edits.
    const TDataBlock* Flight(int row) const;
    const TOpenFlight* Entry(int row) const;
    // Null when the row holds no flight.
    const TFlightSlots* SeriesInfo(int row) const;
    QString FileName(int row) const;
    QString Name(int row) const;
    // Column 1..5 of a row; unavailable for a row that holds no flight.
    TChannelState Channel(int col, int row) const;
    bool Modified(int row) const;
    // The flight's climb rate, one value per sample; empty without altitude or flight.
    const std::vector<double>& ClimbRate(int row) const;
    // The flight's numbers; null when the row holds no flight.
    const TFlightStats* Stats(int row) const;
    // The flight's motor runs, start height, warnings and phases by EventOptions; null when the
    // row holds no flight.
    const TFlightEvents* Events(int row) const;
    // The flight's block summaries for the numbers of a range; null when the row holds no flight.
    const TRangeIndex* RangeIndex(int row) const;
    const TEventOptions& EventOptions() const { return Options; }
    // Every open flight's events are found anew by the new options at once; EventsChanged tells
    // the observers. The same options change nothing.
    void SetEventOptions(const TEventOptions& options);
    // The profiles of the data folder's models; a flight whose model has one is analysed with it.
    // Events change only for the flights whose options changed.
    void SetModelProfiles(const TModelProfiles& profiles);
    const TModelProfiles& ModelProfiles() const { return Profiles; }
    // How the flight of `row` is analysed: EventOptions with its model's profile over them.
    TEventOptions EventOptionsOf(int row) const;
    // Null when the row holds no flight.
    const TFlightDetails* Details(int row) const;
    // Changes details of a flight's record as the edit says and marks it modified. A value that
    // cannot be stored is told through the dialogs and changes nothing (false). A new model
    // finds the flight's events anew by its profile.
    bool EditDetails(int row, const TDetailsEdit& edit);
    // The flight's file was rewritten outside the program's flights with a new extra section
    // (`lines`, without the servo zero): the record takes it, so that its next save keeps it,
    // and the details follow. The flight's Modified state stays as it is.
    void AdoptExtraLines(int row, std::vector<std::string> lines);
    uint32_t Color(int row) const;
    // Some open flight shows that channel column.
    bool ChannelShownAnywhere(int column) const;
    int ActualRow() const { return CurrentRow; }

signals:
    // A row was appended; its channels are all off or unavailable yet.
    void FlightOpened(int row);
    // A row is about to go: its record is still there.
    void FlightClosing(int row);
    // A row went; the rows below it moved up by one.
    void FlightClosed(int row);
    // The current row changed or was shown anew (-1: none).
    void CurrentChanged(int row);
    void ChannelChanged(int row, int col);
    void ModifiedChanged(int row);
    void ColorChanged(int row);
    void FlightRenamed(int row);
    void OffsetsChanged(int row);
    // The annotations of `row` were added to, changed or deleted.
    void AnnotationsChanged(int row);
    // Edits held outside the record (the notes editor's) are due in the record of `row` now.
    void EditsWanted(int row);
    // The record of `row` is about to be written.
    void SaveStarting(int row);
    // The record of `row` was written to its file.
    void FlightSaved(int row);
    // The events of open flights were found anew (the options, the profiles or a model changed).
    void EventsChanged();
    // The details of `row` were edited.
    void DetailsChanged(int row);

private:
    TOpenFlight* At(int row) const;
    TDataBlock* Record(int row) const;
    // Tells of changed offsets and passes the changed slots on.
    std::vector<int> OffsetsEdited(int row, std::vector<int> changed);
    // The lowest colour of the table no other open flight has.
    uint8_t FreeColorIndex() const;
    // Takes the row out of the list and tells the observers.
    void DropFlight(int row);

    TFlightsDialogs& Questions;
    std::vector<std::unique_ptr<TOpenFlight>> DataList;
    int CurrentRow = -1; // the ActualRow of the grid
    std::function<double()> MarkerThreshold;
    // Finds the events of every flight anew whose options differ from those it was analysed with;
    // tells the observers when any did.
    void Reanalyse();

    TEventOptions Options;
    TModelProfiles Profiles;
};

} // namespace zirko
