// How the main window's open-flights list reaches the notes editor and the chart.
#include "gui/app/FormMain.h"

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

std::array<QString, 5> TFormMain::BuildFlightSeries(int row)
{
    std::array<QString, 5> states;
    const TDataBlock* f = Flight(row);
    states[0] = f && !f->Altitude.empty() ? "0" : "2";
    states[1] = f && !f->Rx.empty() ? "0" : "2";
    states[2] = f && !f->Voltage.empty() ? "0" : "2";
    states[3] = f && !f->Altitude.empty() && !f->MarkerFlags.empty() ? "0" : "2";
    states[4] = "0";
    return states;
}

void TFormMain::ShowFlightChannel(int, int, bool) {}
void TFormMain::RemoveFlightSeries(int) {}
void TFormMain::MoveFlightSeriesToFront(int) {}
void TFormMain::LoadShiftControls(int) {}

uint32_t TFormMain::FlightColorValue(int) const
{
    return 0xFF0000;
}

void TFormMain::CollectAnnotations(int) {}

} // namespace zirko
