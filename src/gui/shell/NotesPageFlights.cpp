// The information page as an observer of the open flights.
#include "gui/shell/NotesPage.h"

#include "core/app/TextCodec.h"
#include "core/flightdata/FlightText.h"
#include "gui/services/UserLocale.h"
#include "gui/shell/FlightEventsPanel.h"
#include "gui/shell/FlightStatsPanel.h"
#include "model/flightdata/OpenFlights.h"

#include <QLineEdit>
#include <QTextDocument>
#include <QTextEdit>

namespace zirko {

void TNotesPage::ObserveFlights(TOpenFlights& flights)
{
    StatsPanel->Observe(flights);
    EventsPanel->Observe(flights);
    connect(&flights, &TOpenFlights::EditsWanted, this, [this, &flights](int row) {
        if (!NotesModified())
            return;
        flights.StoreNotes(row, SaveNotes());
        // The record holds the edits now; from here on the flight's Modified flag speaks for them.
        RichEdit1->document()->setModified(false);
    });
    // An edit of the notes is a change of the current flight from the first key on, so the
    // open-flights grid marks it at once.
    connect(RichEdit1->document(), &QTextDocument::modificationChanged, this,
            [this, &flights](bool changed) {
                if (changed && !LoadingNotes)
                    flights.SetModified(flights.ActualRow(), true);
            });
    connect(&flights, &TOpenFlights::CurrentChanged, this, [this, &flights](int row) {
        const TDataBlock* flight = flights.Flight(row);
        if (!flight)
            return;
        const char sep = UserDecimalSeparator();
        EditDate->setText(QString::fromStdString(DecodeFileText(flight->DateText)));
        // Without samples there is no flight time: the field keeps what it showed.
        if (!flight->Time.empty())
            EditFlyTime->setText(QString::fromStdString(FlightTimeText(*flight, sep)));
        EditSample->setText(QString::fromStdString(SamplingText(*flight, sep)));
        EditVer->setText("0");
        EditMaxAlt->setText(QString::fromStdString(MaxHeightText(*flight, sep)));
        LoadNotes(flight->Notes);
    });
    connect(&flights, &TOpenFlights::FlightClosed, this, [this] {
        ClearNotes();
        ClearInfo();
    });
}

} // namespace zirko
