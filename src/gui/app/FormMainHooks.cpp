// How the main window's open-flights list reaches the notes editor and the chart.
#include "gui/app/FormMain.h"

#include "platform/richtext/RtfReader.h"
#include "platform/richtext/RtfWriter.h"

#include <QTextEdit>

namespace zirko {

bool TFormMain::NotesModified() const
{
    return RichEdit1->document()->isModified();
}

std::string TFormMain::NotesBytes() const
{
    return WriteRtf(*RichEdit1->document());
}

void TFormMain::LoadNotes(const std::string& bytes)
{
    LoadNotesDocument(bytes, *RichEdit1->document());
}

void TFormMain::ClearNotes()
{
    RichEdit1->clear();
    RichEdit1->document()->setModified(false);
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
