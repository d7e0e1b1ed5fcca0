#include "model/flightdata/OpenFlights.h"

#include "core/flightdata/FlightText.h"
#include "core/graph/GraphColors.h"
#include "core/shell/Assertion.h"
#include "platform/files/FlightFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>

namespace zirko {

namespace {
constexpr const char* kUnit = "Data";

bool ChannelColumn(int col)
{
    return col >= 1 && col <= kChannelColumns;
}
} // namespace

TOpenFlights::TOpenFlights(TFlightsDialogs& dialogs, std::function<double()> markerThreshold,
                           QObject* parent)
    : QObject(parent), Questions(dialogs), MarkerThreshold(std::move(markerThreshold))
{
}

TOpenFlights::~TOpenFlights() = default;

TOpenFlight* TOpenFlights::At(int row) const
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    return DataList[static_cast<size_t>(row)].get();
}

TDataBlock* TOpenFlights::Record(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry ? entry->Record.get() : nullptr;
}

const TDataBlock* TOpenFlights::Flight(int row) const
{
    return Record(row);
}

const TOpenFlight* TOpenFlights::Entry(int row) const
{
    return At(row);
}

const TFlightSlots* TOpenFlights::SeriesInfo(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry ? &entry->SeriesInfo : nullptr;
}

QString TOpenFlights::FileName(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry ? entry->FileName : QString();
}

QString TOpenFlights::Name(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry ? entry->Name : QString();
}

TChannelState TOpenFlights::Channel(int col, int row) const
{
    const TOpenFlight* entry = At(row);
    if (!entry || !ChannelColumn(col))
        return TChannelState::Unavailable;
    return entry->Channels[static_cast<size_t>(col - 1)];
}

bool TOpenFlights::Modified(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry && entry->Modified;
}

uint32_t TOpenFlights::Color(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry ? entry->Color : 0;
}

bool TOpenFlights::ChannelShownAnywhere(int column) const
{
    return std::any_of(DataList.begin(), DataList.end(), [column](const auto& entry) {
        return ChannelColumn(column) &&
               entry->Channels[static_cast<size_t>(column - 1)] == TChannelState::On;
    });
}

int TOpenFlights::OpenDataFile(const QString& fileName)
{
    const std::string path = QFile::encodeName(fileName).toStdString();
    const QFileInfo info(fileName);
    // A FIFO or a device is told about and never opened: it would block or never end. Folders
    // and missing files are passed over as before.
    if (const std::string other = NotRegularFileText(path); !other.empty() && !info.isDir()) {
        Questions.ShowError(QString::fromStdString(other));
        return -1;
    }
    if (!info.isFile())
        return -1;
    // Running out of memory for one flight is told, and the program and the flights already open
    // go on as they were.
    const auto outOfMemory = [&] {
        Questions.ShowError(QString::fromStdString(NotEnoughMemoryText(path)));
        return -1;
    };
    std::unique_ptr<TOpenFlight> entry;
    try {
        auto flight = std::make_unique<TDataBlock>();
        int count = -1;
        const TReadResult result =
            ReadDataFile(path, *flight, MarkerThreshold ? MarkerThreshold() : 0.0);
        switch (result.Status) {
        case TReadStatus::Ok:
            count = result.Count;
            break;
        case TReadStatus::Failed:
            Questions.ShowError("Error by opening datafile \"" + fileName + "\"! \r" +
                                QString::fromStdString(result.Message));
            count = -1;
            break;
        case TReadStatus::IoError:
            Questions.ShowError(QString::fromStdString(result.Message));
            count = 0;
            break;
        }
        if (count < 1)
            return -1;

        entry = std::make_unique<TOpenFlight>();
        // The lowest colour no open flight has; past the table's end the chart picks one.
        const uint8_t colorIndex = FreeColorIndex();
        entry->SeriesInfo = NewFlightSlots(colorIndex);
        entry->Color = GraphColorBgr(colorIndex);
        entry->Channels = InitialChannelStates(*flight);
        entry->Details = FlightDetailsOf(*flight);
        entry->Record = std::move(flight);
        entry->FileName = fileName;
        entry->Name = QString::fromStdString(FlightNameOf(fileName.toStdString()));
        DataList.reserve(DataList.size() + 1);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    } catch (const std::length_error&) {
        return outOfMemory();
    }
    DataList.push_back(std::move(entry));
    const int row = FlightCount() - 1;
    try {
        emit FlightOpened(row);
    } catch (const std::bad_alloc&) {
        // What the views built for it so far goes with it.
        DropFlight(row);
        return outOfMemory();
    }
    // The altitude is switched on even for a flight that recorded none.
    DataList.back()->Channels[0] = TChannelState::On;
    GridCheck(1, row, true);
    if (FlightCount() == 1)
        GridChangeActualFile(0, -1);
    return row;
}

void TOpenFlights::GridCheck(int col, int arow, bool checked)
{
    try {
        if (!ZIRKO_ASSERT(arow <= FlightCount() - 1, "Arow<=FormMain.DataList.count-1 in GridCheck",
                          kUnit))
            throw std::runtime_error("Data record not found in GridCheck!");
        TOpenFlight* entry = At(arow);
        if (!ZIRKO_ASSERT(entry != nullptr, "DataBlockPtr<>nil in GridCheck", kUnit))
            throw std::runtime_error("Data record pointer invalid in GridCheck!");
        if (ChannelColumn(col)) {
            TChannelState& state = entry->Channels[static_cast<size_t>(col - 1)];
            // A channel without samples stays greyed whatever asks for it.
            if (state != TChannelState::Unavailable)
                state = checked ? TChannelState::On : TChannelState::Off;
            emit ChannelChanged(arow, col);
        }
    } catch (const std::exception& e) {
        Questions.ShowError(QString::fromUtf8(e.what()) + "\rIn GridCheck.");
    }
}

void TOpenFlights::ToggleChannel(int col, int row)
{
    GridCheck(col, row, Channel(col, row) != TChannelState::On);
}

void TOpenFlights::StoreEditedNotes(int row)
{
    if (Flight(row))
        emit EditsWanted(row);
}

void TOpenFlights::StoreNotes(int row, std::string notes)
{
    TDataBlock* flight = Record(row);
    if (!flight)
        return;
    flight->Notes = std::move(notes);
    SetModified(row, true);
}

void TOpenFlights::SetModified(int row, bool modified)
{
    TOpenFlight* entry = At(row);
    if (!entry || entry->Modified == modified)
        return;
    entry->Modified = modified;
    emit ModifiedChanged(row);
}

void TOpenFlights::SetColor(int row, uint32_t color)
{
    TOpenFlight* entry = At(row);
    if (!entry || entry->Color == color)
        return;
    entry->Color = color;
    emit ColorChanged(row);
}

std::vector<int> TOpenFlights::OffsetsEdited(int row, std::vector<int> changed)
{
    if (!changed.empty())
        emit OffsetsChanged(row);
    return changed;
}

std::vector<int> TOpenFlights::SetOffsetX(int row, double offset)
{
    TOpenFlight* entry = At(row);
    return entry ? OffsetsEdited(row, ApplyShiftX(entry->SeriesInfo, offset)) : std::vector<int>{};
}

std::vector<int> TOpenFlights::SetOffsetY(int row, int slot, double offset)
{
    TOpenFlight* entry = At(row);
    return entry ? OffsetsEdited(row, ApplyShiftY(entry->SeriesInfo, slot, offset))
                 : std::vector<int>{};
}

std::vector<int> TOpenFlights::SetShiftOn(int row, bool on)
{
    TOpenFlight* entry = At(row);
    return entry ? OffsetsEdited(row, zirko::SetShiftOn(entry->SeriesInfo, on))
                 : std::vector<int>{};
}

std::vector<int> TOpenFlights::MoveOffsetsTo(int row, TShownOffset to)
{
    TOpenFlight* entry = At(row);
    return entry ? OffsetsEdited(row, zirko::MoveOffsetsTo(entry->SeriesInfo, to))
                 : std::vector<int>{};
}

void TOpenFlights::SetServoZero(int row, double rxOffsetY)
{
    TDataBlock* flight = Record(row);
    if (!flight)
        return;
    flight->RxOffsetY = rxOffsetY;
    SetModified(row, true);
}

int TOpenFlights::AddAnnotation(int row, TAnotace annotation)
{
    TDataBlock* flight = Record(row);
    if (!flight)
        return -1;
    flight->Annotations.push_back(std::move(annotation));
    SetModified(row, true);
    emit AnnotationsChanged(row);
    return static_cast<int>(flight->Annotations.size()) - 1;
}

bool TOpenFlights::ChangeAnnotation(int row, int index, TAnotace annotation)
{
    TDataBlock* flight = Record(row);
    if (!flight || index < 0 || index >= static_cast<int>(flight->Annotations.size()))
        return false;
    flight->Annotations[static_cast<size_t>(index)] = std::move(annotation);
    SetModified(row, true);
    emit AnnotationsChanged(row);
    return true;
}

bool TOpenFlights::DeleteAnnotation(int row, int index)
{
    TDataBlock* flight = Record(row);
    if (!flight || index < 0 || index >= static_cast<int>(flight->Annotations.size()))
        return false;
    flight->Annotations.erase(flight->Annotations.begin() + index);
    SetModified(row, true);
    emit AnnotationsChanged(row);
    return true;
}

uint8_t TOpenFlights::FreeColorIndex() const
{
    std::vector<uint8_t> used;
    used.reserve(DataList.size());
    for (const auto& entry : DataList)
        used.push_back(entry->SeriesInfo[kSlotAltitude].ColorIndex);
    return GetFirstPossibleGrafColorIndex(used);
}

void TOpenFlights::GridChangeActualFile(int arow, int lastrow)
{
    try {
        if (lastrow >= 0) {
            ZIRKO_ASSERT(lastrow <= FlightCount() - 1,
                         "Lastrow<=FormMain.DataList.count-1 in GridChangeActualFile", kUnit);
            if (ZIRKO_ASSERT(Flight(lastrow) != nullptr,
                             "DataBlockPtr<>nil in GridChangeActualFile", kUnit))
                StoreEditedNotes(lastrow);
        }
        CurrentRow = arow;
        ZIRKO_ASSERT(arow <= FlightCount() - 1,
                     "Arow<=FormMain.DataList.count-1 in GridChangeActualFile", kUnit);
        if (!ZIRKO_ASSERT(Flight(arow) != nullptr, "DataBlockPtr<>nil in GridChangeActualFile",
                          kUnit))
            return;
        emit CurrentChanged(arow);
    } catch (const std::exception& e) {
        Questions.ShowError(QString::fromUtf8(e.what()) + "\rIn GridChangeActualFile.");
    }
}

bool TOpenFlights::SaveDataFile(int row, bool ask)
{
    TOpenFlight* entry = At(row);
    if (!entry)
        return true;
    if (ask) {
        if (!entry->Modified)
            return true;
        if (!Questions.AskYesNo("Do you want to save changes of " + entry->FileName + "?"))
            return true;
    }
    QString file = entry->FileName;
    if (!QFileInfo::exists(file)) {
        file = Questions.AskSaveFileName("DataFile " + entry->FileName + " not found!");
        if (file.isEmpty())
            return true;
    }
    emit SaveStarting(row);
    const TWriteResult result =
        WriteDataFile(QFile::encodeName(file).toStdString(), *entry->Record);
    switch (result.Status) {
    case TWriteStatus::Ok:
        entry->Stats.reset();
        entry->Ranges.reset();
        entry->Events.reset();
        SetModified(row, false);
        // Saved under a new name, the flight belongs to that file from now on.
        if (file != entry->FileName)
            RenameFlight(row, file);
        emit FlightSaved(row);
        return true;
    case TWriteStatus::IoError:
    case TWriteStatus::Exists: // only a new file is refused for that
        Questions.ShowError(QString::fromStdString(result.Message));
        return false;
    case TWriteStatus::Failed:
        throw std::runtime_error(result.Message);
    }
    return false;
}

void TOpenFlights::SaveFlight(int row)
{
    if (!At(row))
        return;
    // The file gets the notes as the editor shows them.
    if (row == CurrentRow)
        StoreEditedNotes(row);
    try {
        SaveDataFile(row, false);
    } catch (const std::exception& e) {
        Questions.ShowError(QString("Error by saving data!\r") + e.what());
    }
}

const std::vector<double>& TOpenFlights::ClimbRate(int row) const
{
    static const std::vector<double> kNone;
    const TOpenFlight* entry = At(row);
    if (!entry || !entry->Record)
        return kNone;
    if (!entry->Climb)
        entry->Climb = zirko::ClimbRate(*entry->Record);
    return *entry->Climb;
}

const TFlightStats* TOpenFlights::Stats(int row) const
{
    const TOpenFlight* entry = At(row);
    if (!entry || !entry->Record)
        return nullptr;
    if (!entry->Stats) {
        const std::vector<double>& climb = ClimbRate(row);
        entry->Stats = AnalyseFlight(*entry->Record, climb.empty() ? nullptr : &climb);
    }
    return &*entry->Stats;
}

const TRangeIndex* TOpenFlights::RangeIndex(int row) const
{
    const TOpenFlight* entry = At(row);
    if (!entry || !entry->Record)
        return nullptr;
    if (!entry->Ranges)
        entry->Ranges.emplace(*entry->Record);
    return &*entry->Ranges;
}

const TFlightEvents* TOpenFlights::Events(int row) const
{
    const TOpenFlight* entry = At(row);
    if (!entry || !entry->Record)
        return nullptr;
    if (!entry->Events) {
        entry->EventsFoundWith = EventOptionsOf(row);
        entry->Events = AnalyseEvents(*entry->Record, entry->EventsFoundWith);
    }
    return &*entry->Events;
}

TEventOptions TOpenFlights::EventOptionsOf(int row) const
{
    const TOpenFlight* entry = At(row);
    return EventOptionsFor(Options, &Profiles, entry ? entry->Details.Model : std::string());
}

void TOpenFlights::SetEventOptions(const TEventOptions& options)
{
    if (options == Options)
        return;
    Options = options;
    Reanalyse();
}

void TOpenFlights::SetModelProfiles(const TModelProfiles& profiles)
{
    Profiles = profiles;
    Reanalyse();
}

void TOpenFlights::Reanalyse()
{
    bool changed = false;
    for (int row = 0; row < FlightCount(); ++row) {
        TOpenFlight* entry = At(row);
        if (!entry->Record)
            continue;
        const TEventOptions options = EventOptionsOf(row);
        if (entry->Events && entry->EventsFoundWith == options)
            continue;
        entry->EventsFoundWith = options;
        entry->Events = AnalyseEvents(*entry->Record, options);
        changed = true;
    }
    if (changed)
        emit EventsChanged();
}

const TFlightDetails* TOpenFlights::Details(int row) const
{
    const TOpenFlight* entry = At(row);
    return entry ? &entry->Details : nullptr;
}

bool TOpenFlights::EditDetails(int row, const TDetailsEdit& edit)
{
    TOpenFlight* entry = At(row);
    if (!entry || !entry->Record)
        return false;
    if (const auto refused = CheckDetailsEdit(edit)) {
        Questions.ShowError(QString::fromStdString(*refused));
        return false;
    }
    std::vector<std::string> lines = ApplyDetailsEdit(entry->Record->ExtraLines, edit);
    if (lines == entry->Record->ExtraLines)
        return true;
    entry->Record->ExtraLines = std::move(lines);
    entry->Details = FlightDetailsOf(*entry->Record);
    SetModified(row, true);
    emit DetailsChanged(row);
    Reanalyse();
    return true;
}

void TOpenFlights::AdoptExtraLines(int row, std::vector<std::string> lines)
{
    TOpenFlight* entry = At(row);
    if (!entry || !entry->Record)
        return;
    entry->Record->ExtraLines = std::move(lines);
    const TFlightDetails details = FlightDetailsOf(*entry->Record);
    if (details == entry->Details)
        return;
    entry->Details = details;
    emit DetailsChanged(row);
    Reanalyse();
}

void TOpenFlights::DropFlight(int row)
{
    {
        // The entry leaves the list whatever an observer throws while letting go of it, so row
        // i keeps naming the same flight for everyone.
        const auto erase = qScopeGuard([this, row] { DataList.erase(DataList.begin() + row); });
        emit FlightClosing(row);
    }
    emit FlightClosed(row);
}

bool TOpenFlights::GridCloseFile(int arow)
{
    try {
        if (arow > FlightCount())
            throw std::runtime_error("Error in GridCloseFile, Arow>FormMain.DataList.Count");
        if (!At(arow))
            return false;
        if (arow == CurrentRow)
            StoreEditedNotes(arow);
        // Changes that could not be written keep the flight open, record and series included,
        // so the user can save it elsewhere or drop the changes later.
        bool saved = false;
        try {
            saved = SaveDataFile(arow, true);
        } catch (const std::exception& e) {
            Questions.ShowError(QString::fromUtf8(e.what()) + "\rIn GridCloseFile.");
        }
        if (!saved)
            return false;
        DropFlight(arow);
        return true;
    } catch (const std::exception& e) {
        Questions.ShowError(QString::fromUtf8(e.what()) + "\rIn GridCloseFile.");
    }
    return false;
}

void TOpenFlights::CloseDataFile(int row)
{
    const int rows = FlightCount();
    if (row < 0 || row >= rows) {
        Questions.ShowError(
            "Chyba při rušení řádku ze seznamu otevřených souborů! Řádek neexistuje!");
        return;
    }
    // The current flight's edited notes reach its record before the rows shift.
    const int selected = CurrentRow;
    if (selected >= 0 && selected != row)
        StoreEditedNotes(selected);
    if (!GridCloseFile(row))
        return; // not closed (its changes could not be saved): everything stays as it is
    // The current row keeps its index, so the flight moving up into it becomes current; only
    // past the new last row does it move up.
    const int newSelected = std::min(selected, rows - 2);
    CurrentRow = newSelected;
    if (newSelected >= 0)
        GridChangeActualFile(newSelected, -1);
    else
        emit CurrentChanged(-1);
}

void TOpenFlights::CloseAllDataFiles()
{
    StoreEditedNotes(CurrentRow);
    size_t i = 0;
    while (i < DataList.size()) {
        const int row = static_cast<int>(i);
        bool saved = false;
        try {
            saved = SaveDataFile(row, true);
        } catch (const std::exception& e) {
            Questions.ShowError(QString::fromUtf8(e.what()));
        }
        if (!saved) {
            ++i;
            continue;
        }
        DropFlight(row);
        // The current flight stays current while the rows above it go; when it goes itself, the
        // one moving up into its place takes over.
        if (row < CurrentRow)
            --CurrentRow;
    }
    if (DataList.empty()) {
        CurrentRow = -1;
        emit CurrentChanged(-1);
        return;
    }
    const int current = std::clamp(CurrentRow, 0, FlightCount() - 1);
    GridChangeActualFile(current, -1);
}

bool TOpenFlights::CloseFlightsForRemoval(std::vector<int> rows)
{
    // From the last row up, so that the rows still to close keep their numbers.
    std::erase_if(rows, [this](int row) { return !At(row); });
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // The editor's unsaved notes count as changes of the current flight.
    if (std::find(rows.begin(), rows.end(), CurrentRow) != rows.end())
        StoreEditedNotes(CurrentRow);
    // Every question first: a Cancel leaves all of them as they were.
    std::vector<bool> save(rows.size(), false);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!Modified(rows[i]))
            continue;
        const TYesNoCancel answer =
            Questions.AskYesNoCancel("Do you want to save changes of " + FileName(rows[i]) + "?");
        if (answer == TYesNoCancel::Cancel)
            return false;
        save[i] = answer == TYesNoCancel::Yes;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = rows[i];
        if (save[i]) {
            bool saved = false;
            try {
                saved = SaveDataFile(row, false);
            } catch (const std::exception& e) {
                Questions.ShowError(QString("Error by saving data!\r") + e.what());
            }
            if (!saved)
                return false;
        }
        // Saved, or its changes dropped: closing asks nothing more.
        SetModified(row, false);
        const int before = FlightCount();
        CloseDataFile(row);
        if (FlightCount() == before)
            return false;
    }
    return true;
}

std::vector<int> TOpenFlights::RowsOfFilesIn(const QString& path) const
{
    const QString item = QDir::cleanPath(path);
    const QString folder = item.endsWith('/') ? item : item + '/';
    std::vector<int> rows;
    for (int row = 0; row < FlightCount(); ++row) {
        const QString file = QDir::cleanPath(FileName(row));
        if (file == item || file.startsWith(folder))
            rows.push_back(row);
    }
    return rows;
}

void TOpenFlights::RenameFlight(int row, const QString& fullPath)
{
    TOpenFlight* entry = At(row);
    if (!entry) {
        Questions.ShowError("Chyba při přejmenování seznamu otevřených souborů! Řádek neexistuje!");
        return;
    }
    entry->FileName = fullPath;
    entry->Name = QString::fromStdString(FlightNameOf(fullPath.toStdString()));
    emit FlightRenamed(row);
}

} // namespace zirko
