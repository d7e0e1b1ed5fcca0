#include "gui/graph/FlightsGraphHost.h"

#include "core/app/TextCodec.h"
#include "core/graph/GraphColors.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/OffsetPanel.h"
#include "gui/services/UserLocale.h"
#include "model/flightdata/OpenFlights.h"

namespace zirko {

TFlightsGraphHost::TFlightsGraphHost(TOpenFlights& flights, TGraphHostSettings settings)
    : Flights(flights), Settings(std::move(settings))
{
}

void TFlightsGraphHost::Observe(TGraphPage& page)
{
    Page = &page;
    connect(&Flights, &TOpenFlights::FlightOpened, &page, [this](int row) {
        Page->Plot().BuildFlightSeries(row);
        // Past the table's colours the chart chose one of its own: the grid shows that one.
        const TFlightSlots* flightSlots = Flights.SeriesInfo(row);
        if (flightSlots && (*flightSlots)[kSlotAltitude].ColorIndex >= kGraphColorCount)
            if (const TChartSeries* altitude = Page->Plot().SeriesOf(row, kSlotAltitude)) {
                const QColor c = altitude->Color();
                Flights.SetColor(row, static_cast<uint32_t>(c.red()) |
                                          (static_cast<uint32_t>(c.green()) << 8) |
                                          (static_cast<uint32_t>(c.blue()) << 16));
            }
    });
    connect(&Flights, &TOpenFlights::ChannelChanged, &page, [this](int row, int col) {
        Page->Plot().ShowChannel(row, col, Flights.Channel(col, row) == TChannelState::On);
    });
    connect(&Flights, &TOpenFlights::CurrentChanged, &page, [this](int row) {
        if (row < 0)
            return;
        Page->Offsets().LoadShiftControls(row);
        Page->Plot().MoveFlightSeriesToFront(row);
    });
    connect(&Flights, &TOpenFlights::FlightClosing, &page,
            [this](int row) { Page->Plot().RemoveFlightSeries(row); });
    connect(&Flights, &TOpenFlights::FlightRenamed, &page,
            [this](int row) { Page->Plot().RetitleFlightSeries(row); });
    connect(&Flights, &TOpenFlights::AnnotationsChanged, &page,
            [this](int row) { Page->Plot().ShowAnnotations(row); });
    // A saved flight's events are taken anew, as are all of them when the options change.
    connect(&Flights, &TOpenFlights::EventsChanged, &page,
            [this] { Page->Plot().Chart().Replot(); });
    connect(&Flights, &TOpenFlights::FlightSaved, &page, [this] { Page->Plot().Chart().Replot(); });
}

int TFlightsGraphHost::FlightCount() const
{
    return Flights.FlightCount();
}

const TDataBlock* TFlightsGraphHost::Flight(int row) const
{
    return Flights.Flight(row);
}

const TFlightSlots* TFlightsGraphHost::SeriesInfo(int row) const
{
    return Flights.SeriesInfo(row);
}

const std::vector<double>& TFlightsGraphHost::ClimbRate(int row) const
{
    return Flights.ClimbRate(row);
}

const TFlightEvents* TFlightsGraphHost::Events(int row) const
{
    return Flights.Events(row);
}

const TRangeIndex* TFlightsGraphHost::RangeIndex(int row) const
{
    return Flights.RangeIndex(row);
}

QString TFlightsGraphHost::FlightName(int row) const
{
    return Flights.Name(row);
}

TChannelState TFlightsGraphHost::ChannelState(int col, int row) const
{
    return Flights.Channel(col, row);
}

bool TFlightsGraphHost::GridVisible() const
{
    return !Flights.Empty();
}

int TFlightsGraphHost::CurrentRow() const
{
    return Flights.ActualRow();
}

char TFlightsGraphHost::DecimalSeparator() const
{
    return UserDecimalSeparator();
}

std::string TFlightsGraphHost::GroupSeparator() const
{
    return UserGroupSeparator();
}

std::vector<int> TFlightsGraphHost::SetOffsetX(int row, double offset)
{
    return Flights.SetOffsetX(row, offset);
}

std::vector<int> TFlightsGraphHost::SetOffsetY(int row, int slot, double offset)
{
    return Flights.SetOffsetY(row, slot, offset);
}

std::vector<int> TFlightsGraphHost::SetShiftOn(int row, bool on)
{
    return Flights.SetShiftOn(row, on);
}

std::vector<int> TFlightsGraphHost::MoveOffsetsTo(int row, TShownOffset to)
{
    return Flights.MoveOffsetsTo(row, to);
}

void TFlightsGraphHost::SetServoZero(int row, double rxOffsetY)
{
    Flights.SetServoZero(row, rxOffsetY);
}

TShownOffset TFlightsGraphHost::AnnotationOffset(int row) const
{
    const TFlightSlots* flightSlots = Flights.SeriesInfo(row);
    return flightSlots ? ShownOffset((*flightSlots)[kSlotAnnotation]) : TShownOffset{};
}

const TAnotace* TFlightsGraphHost::Annotation(int row, int i) const
{
    const TDataBlock* flight = Flights.Flight(row);
    if (!flight || i < 0 || i >= static_cast<int>(flight->Annotations.size()))
        return nullptr;
    return &flight->Annotations[static_cast<size_t>(i)];
}

int TFlightsGraphHost::AnnotCount(int row) const
{
    const TDataBlock* flight = Flights.Flight(row);
    return flight ? static_cast<int>(flight->Annotations.size()) : 0;
}

double TFlightsGraphHost::AnnotX(int row, int i) const
{
    const TAnotace* a = Annotation(row, i);
    return a ? a->Time + AnnotationOffset(row).Dx : 0;
}

double TFlightsGraphHost::AnnotY(int row, int i) const
{
    const TAnotace* a = Annotation(row, i);
    return a ? a->Value + AnnotationOffset(row).Dy : 0;
}

QString TFlightsGraphHost::AnnotLabel(int row, int i) const
{
    const TAnotace* a = Annotation(row, i);
    return a ? QString::fromStdString(DecodeFileText(a->Text)) : QString();
}

void TFlightsGraphHost::AnnotAppend(int row, double x, double y, const QString& text)
{
    // Placed where it shows now, held as the file's values.
    const TShownOffset offset = AnnotationOffset(row);
    TAnotace a;
    a.Time = x - offset.Dx;
    a.Value = y - offset.Dy;
    a.Text = text.toStdString();
    Flights.AddAnnotation(row, std::move(a));
}

void TFlightsGraphHost::AnnotDelete(int row, int index)
{
    Flights.DeleteAnnotation(row, index);
}

} // namespace zirko
