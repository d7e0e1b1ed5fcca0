// How the main window's open-flights list reaches the notes editor and the chart.
#include "gui/app/FormMain.h"

#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "gui/shell/NotesPage.h"

#include <QTextEdit>

namespace zirko {

bool TFormMain::NotesModified() const
{
    return NotesPage->NotesModified();
}

std::string TFormMain::NotesBytes() const
{
    return NotesPage->SaveNotes();
}

void TFormMain::LoadNotes(const std::string& bytes)
{
    NotesPage->LoadNotes(bytes);
}

void TFormMain::ClearNotes()
{
    NotesPage->ClearNotes();
}

void TFormMain::MarkNotesStored()
{
    RichEdit1->document()->setModified(false);
}

std::array<QString, 5> TFormMain::BuildFlightSeries(int row)
{
    return GraphPage->BuildFlightSeries(row);
}

void TFormMain::ShowFlightChannel(int row, int col, bool on)
{
    GraphPage->ShowChannel(row, col, on);
}

void TFormMain::RemoveFlightSeries(int row)
{
    GraphPage->RemoveFlightSeries(row);
}

void TFormMain::MoveFlightSeriesToFront(int row)
{
    GraphPage->MoveFlightSeriesToFront(row);
}

void TFormMain::LoadShiftControls(int row)
{
    GraphPage->LoadShiftControls(row);
}

uint32_t TFormMain::FlightColorValue(int row) const
{
    TChartSeries* series = GraphPage->SeriesOf(row, kSlotAltitude);
    if (!series)
        return 0;
    const QColor c = series->Color();
    return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
           (static_cast<uint32_t>(c.blue()) << 16);
}

void TFormMain::CollectAnnotations(int row)
{
    TDataBlock* flight = Flight(row);
    TChartSeries* series = GraphPage->SeriesOf(row, kSlotAnnotation);
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
