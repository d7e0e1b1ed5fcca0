#include "gui/graph/OffscreenGraph.h"

#include "core/analysis/FlightAnalysis.h"
#include "core/flightdata/FlightText.h"
#include "core/graph/GraphColors.h"
#include "core/logbook/FlightDetails.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "platform/files/FlightFile.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <thread>

namespace zirko {

TOffscreenGraphHost::TOffscreenGraphHost(const TOptions& options, const TGraphSettings& settings)
    : Options(options), Settings(settings)
{
}

const TDataBlock* TOffscreenGraphHost::Flight(int row) const
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    return Flights[static_cast<size_t>(row)].get();
}

const TFlightSlots* TOffscreenGraphHost::SeriesInfo(int row) const
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    return Slots[static_cast<size_t>(row)].get();
}

TFlightSlots* TOffscreenGraphHost::SlotsAt(int row)
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    return Slots[static_cast<size_t>(row)].get();
}

std::vector<int> TOffscreenGraphHost::SetOffsetX(int row, double offset)
{
    TFlightSlots* flightSlots = SlotsAt(row);
    return flightSlots ? ApplyShiftX(*flightSlots, offset) : std::vector<int>{};
}

std::vector<int> TOffscreenGraphHost::SetOffsetY(int row, int slot, double offset)
{
    TFlightSlots* flightSlots = SlotsAt(row);
    return flightSlots ? ApplyShiftY(*flightSlots, slot, offset) : std::vector<int>{};
}

std::vector<int> TOffscreenGraphHost::SetShiftOn(int row, bool on)
{
    TFlightSlots* flightSlots = SlotsAt(row);
    return flightSlots ? zirko::SetShiftOn(*flightSlots, on) : std::vector<int>{};
}

std::vector<int> TOffscreenGraphHost::MoveOffsetsTo(int row, TShownOffset to)
{
    TFlightSlots* flightSlots = SlotsAt(row);
    return flightSlots ? zirko::MoveOffsetsTo(*flightSlots, to) : std::vector<int>{};
}

void TOffscreenGraphHost::SetServoZero(int row, double rxOffsetY)
{
    if (row >= 0 && row < FlightCount())
        Flights[static_cast<size_t>(row)]->RxOffsetY = rxOffsetY;
}

const std::vector<double>& TOffscreenGraphHost::ClimbRate(int row) const
{
    static const std::vector<double> kNone;
    if (row < 0 || row >= FlightCount())
        return kNone;
    auto& climb = Climbs[static_cast<size_t>(row)];
    if (!climb)
        climb = zirko::ClimbRate(*Flights[static_cast<size_t>(row)]);
    return *climb;
}

const TFlightEvents* TOffscreenGraphHost::Events(int row) const
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    auto& events = FoundEvents[static_cast<size_t>(row)];
    if (!events) {
        const TDataBlock& flight = *Flights[static_cast<size_t>(row)];
        events = AnalyseEvents(
            flight, EventOptionsFor(Options.Events, &Profiles, FlightDetailsOf(flight).Model));
    }
    return &*events;
}

const TRangeIndex* TOffscreenGraphHost::RangeIndex(int row) const
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    auto& ranges = Ranges[static_cast<size_t>(row)];
    if (!ranges)
        ranges.emplace(*Flights[static_cast<size_t>(row)]);
    return &*ranges;
}

void TOffscreenGraphHost::SetModelProfiles(const TModelProfiles& profiles)
{
    Profiles = profiles;
    for (auto& events : FoundEvents)
        events.reset();
}

QString TOffscreenGraphHost::FlightName(int row) const
{
    if (row < 0 || row >= FlightCount())
        return {};
    return Names[static_cast<size_t>(row)];
}

TChannelState TOffscreenGraphHost::ChannelState(int col, int row) const
{
    const auto it = Channels.find({col, row});
    return it == Channels.end() ? TChannelState::Unavailable : it->second;
}

int TOffscreenGraphHost::AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name)
{
    std::vector<uint8_t> used;
    for (const auto& flightSlots : Slots)
        used.push_back((*flightSlots)[kSlotAltitude].ColorIndex);
    Flights.push_back(std::move(flight));
    Names.push_back(name);
    Slots.push_back(
        std::make_unique<TFlightSlots>(NewFlightSlots(GetFirstPossibleGrafColorIndex(used))));
    Climbs.emplace_back();
    FoundEvents.emplace_back();
    Ranges.emplace_back();
    return FlightCount() - 1;
}

int TOffscreenGraphHost::OpenFlight(TFlightPlot& plot, std::unique_ptr<TDataBlock> flight,
                                    const QString& name)
{
    const int row = AddFlight(std::move(flight), name);
    const TChannelStates states = plot.BuildFlightSeries(row);
    for (int c = 1; c <= kChannelColumns; ++c)
        SetChannelState(c, row, states[static_cast<size_t>(c - 1)]);
    ShowChannel(plot, row, 1, true);
    if (row == 0)
        plot.MoveFlightSeriesToFront(row);
    return row;
}

void TOffscreenGraphHost::ShowChannel(TFlightPlot& plot, int row, int column, bool on)
{
    SetChannelState(column, row, on ? TChannelState::On : TChannelState::Off);
    plot.ShowChannel(row, column, on);
}

TOffscreenGraph::TOffscreenGraph(const TOptions& options, const TGraphSettings& settings)
    : GraphHost(options, settings), Scene(std::make_unique<TFlightPlot>(GraphHost))
{
    Scene->SetLegendShown(options.TBShowLegend);
    Scene->ChangeGraphSettings();
}

TOffscreenGraph::~TOffscreenGraph()
{
    // The series go with the chart; the records they point to outlive it in the host.
    Scene.reset();
}

TGraphSettings TOffscreenGraph::DefaultSettings()
{
    TGraphSettings settings;
    SetDefaultGraphSettings(settings);
    settings.SettingsChanged = false;
    return settings;
}

TOffscreenGraph::TFileRead TOffscreenGraph::ReadFile(const QString& fileName,
                                                     double markerThreshold)
{
    TFileRead read;
    auto flight = std::make_unique<TDataBlock>();
    const std::string path = QFile::encodeName(fileName).toStdString();
    const TReadResult result = ReadDataFile(path, *flight, markerThreshold);
    switch (result.Status) {
    case TReadStatus::Ok:
        if (result.Count < 1) {
            read.Failure = QStringList{QString::fromUtf8("Chyba při otevírání souboru!")};
            return read;
        }
        break;
    case TReadStatus::Failed:
        read.Failure = QStringList{"Error by opening datafile \"" + fileName + "\"! ",
                                   QString::fromStdString(result.Message)};
        return read;
    case TReadStatus::IoError:
        read.Failure = QStringList{QString::fromStdString(result.Message)};
        return read;
    }
    read.Flight = std::move(flight);
    read.Name = QString::fromStdString(FlightNameOf(path));
    return read;
}

std::vector<TOffscreenGraph::TFileRead>
TOffscreenGraph::ReadFiles(const QStringList& fileNames) const
{
    const size_t count = static_cast<size_t>(fileNames.size());
    std::vector<TFileRead> reads(count);
    const double threshold = GraphHost.Options.MarkerThreshold;
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < count;)
            reads[i] = ReadFile(fileNames[static_cast<qsizetype>(i)], threshold);
    };
    // Reading is parsing more than waiting for the disk: more threads than cores gain nothing
    // and each holds a whole file's buffer.
    const size_t workers =
        std::min<size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::thread> threads;
    for (size_t t = 1; t < workers; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
    return reads;
}

QStringList TOffscreenGraph::OpenRead(TFileRead read)
{
    if (!read.Flight)
        return read.Failure;
    AddFlight(std::move(read.Flight), read.Name);
    return {};
}

QStringList TOffscreenGraph::OpenFile(const QString& fileName)
{
    return OpenRead(ReadFile(fileName, GraphHost.Options.MarkerThreshold));
}

int TOffscreenGraph::AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name)
{
    return GraphHost.OpenFlight(*Scene, std::move(flight), name);
}

void TOffscreenGraph::SetChannelShown(int row, int column, bool on)
{
    GraphHost.ShowChannel(*Scene, row, column, on);
}

QSize TOffscreenGraph::ChartSize() const
{
    return Scene->Chart().size();
}

bool TOffscreenGraph::SetChartSize(const QSize& size)
{
    if (size.isEmpty())
        return false;
    Scene->SetSize(size);
    return ChartSize() == size;
}

void TOffscreenGraph::Draw()
{
    Scene->Draw();
}

TChartSource TOffscreenGraph::Source() const
{
    TChart* chart = &Scene->Chart();
    TChartSource source;
    source.Size = chart->size();
    source.Render = [chart](QPainter& painter, const QRect& target) {
        chart->RenderTo(painter, target);
    };
    return source;
}

} // namespace zirko
