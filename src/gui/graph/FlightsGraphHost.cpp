#include "gui/graph/FlightsGraphHost.h"

#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
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
        Page->BuildFlightSeries(row);
        Flights.SetColor(row, FlightColorValue(row));
    });
    connect(&Flights, &TOpenFlights::ChannelChanged, &page, [this](int row, int col) {
        Page->ShowChannel(row, col, Flights.Channel(col, row) == TChannelState::On);
    });
    connect(&Flights, &TOpenFlights::CurrentChanged, &page, [this](int row) {
        if (row < 0)
            return;
        Page->LoadShiftControls(row);
        Page->MoveFlightSeriesToFront(row);
    });
    connect(&Flights, &TOpenFlights::FlightClosing, &page,
            [this](int row) { Page->RemoveFlightSeries(row); });
    connect(&Flights, &TOpenFlights::FlightRenamed, &page,
            [this](int row) { Page->RetitleFlightSeries(row); });
    connect(&Flights, &TOpenFlights::SaveStarting, &page,
            [this](int row) { CollectAnnotations(row); });
    // A saved flight's events are taken anew, as are all of them when the options change.
    connect(&Flights, &TOpenFlights::EventsChanged, &page, [this] { Page->Chart1->Replot(); });
    connect(&Flights, &TOpenFlights::FlightSaved, &page, [this] { Page->Chart1->Replot(); });
}

int TFlightsGraphHost::FlightCount() const
{
    return Flights.FlightCount();
}

TDataBlock* TFlightsGraphHost::Flight(int row) const
{
    return Flights.Flight(row);
}

TFlightSlots* TFlightsGraphHost::SeriesInfo(int row) const
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

void TFlightsGraphHost::MarkModified(int row)
{
    Flights.SetModified(row, true);
}

void TFlightsGraphHost::OffsetsEdited(int row)
{
    Flights.OffsetsEdited(row);
}

int TFlightsGraphHost::AnnotCount(int row) const
{
    return Page ? Page->AnnotationCount(row) : 0;
}

double TFlightsGraphHost::AnnotX(int row, int i) const
{
    return Page->SeriesOf(row, kSlotAnnotation)->X(i);
}

double TFlightsGraphHost::AnnotY(int row, int i) const
{
    return Page->SeriesOf(row, kSlotAnnotation)->Y(i);
}

QString TFlightsGraphHost::AnnotLabel(int row, int i) const
{
    return Page->SeriesOf(row, kSlotAnnotation)->LabelText(i);
}

void TFlightsGraphHost::AnnotAppend(int row, double x, double y, const QString& text)
{
    Page->AppendAnnotation(row, x, y, text.toStdString());
    Flights.SetModified(row, true);
}

void TFlightsGraphHost::AnnotDelete(int row, int index)
{
    Page->DeleteAnnotation(row, index);
    Flights.SetModified(row, true);
}

uint32_t TFlightsGraphHost::FlightColorValue(int row) const
{
    TChartSeries* series = Page->SeriesOf(row, kSlotAltitude);
    if (!series)
        return 0;
    const QColor c = series->Color();
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

void TFlightsGraphHost::CollectAnnotations(int row)
{
    TDataBlock* flight = Flight(row);
    TChartSeries* series = Page->SeriesOf(row, kSlotAnnotation);
    if (!flight || !series)
        return;
    // The series holds the annotations as the file has them; offsets are only how they show.
    flight->Annotations.clear();
    for (int i = 0; i < series->Count(); ++i) {
        TAnotace a;
        a.Text = series->Label(i);
        a.Time = series->StoredX(i);
        a.Value = series->StoredY(i);
        flight->Annotations.push_back(std::move(a));
    }
}

} // namespace zirko
