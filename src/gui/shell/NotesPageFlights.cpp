// The information page as an observer of the open flights.
#include "gui/shell/NotesPage.h"

#include "core/app/TextCodec.h"
#include "core/flightdata/FlightText.h"
#include "core/report/PrintHeaderText.h"
#include "gui/services/UserLocale.h"
#include "gui/shell/DetailsCompletion.h"
#include "gui/shell/FlightEventsPanel.h"
#include "gui/shell/FlightStatsPanel.h"
#include "model/flightdata/OpenFlights.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

namespace zirko {

void TNotesPage::StoreDetails(TOpenFlights& flights, int row)
{
    const TFlightDetails* details = flights.Details(row);
    if (!details || row != flights.ActualRow() || StoringDetails || LoadingDetails)
        return;
    const TDetailsEdit edit = EditedDetails(*details);
    if (edit.Empty())
        return;
    const QScopedValueRollback storing(StoringDetails, true);
    // A refused value is told; the boxes show again what the flight holds.
    if (!flights.EditDetails(row, edit))
        ShowDetails(flights.Details(row));
}

QString TNotesPage::PrintHeaderOfNotes() const
{
    const int row = Flights ? Flights->ActualRow() : -1;
    const TDataBlock* flight = Flights ? Flights->Flight(row) : nullptr;
    if (!flight)
        return {};
    return QString::fromStdString(
        PrintHeaderText({PrintedFlightOf(Flights->Name(row).toStdString(), *flight)}));
}

void TNotesPage::ObserveFlights(TOpenFlights& flights)
{
    Flights = &flights;
    StatsPanel->Observe(flights);
    EventsPanel->Observe(flights);
    connect(&flights, &TOpenFlights::EditsWanted, this, [this, &flights](int row) {
        StoreDetails(flights, row);
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
    // The details, as the notes, are a change of the flight from the first key on; they reach
    // its record when the box is left or the list asks for the edits.
    for (QLineEdit* edit : {EditModel, EditSite, EditPilot, EditTags}) {
        connect(edit, &QLineEdit::textEdited, this, [this, &flights] {
            if (!LoadingDetails)
                flights.SetModified(flights.ActualRow(), true);
        });
        connect(edit, &QLineEdit::editingFinished, this, [this, &flights, edit] {
            // Enter in the completion list reaches the box before the value chosen is put in:
            // the value is stored once it is there.
            QCompleter* completer = edit == EditTags ? TagCompleter : edit->completer();
            if (completer && completer->popup()->isVisible()) {
                QTimer::singleShot(
                    0, this, [this, &flights] { StoreDetails(flights, flights.ActualRow()); });
                return;
            }
            StoreDetails(flights, flights.ActualRow());
        });
        // A value chosen with the mouse finishes no edit.
        QCompleter* completer = edit == EditTags ? TagCompleter : edit->completer();
        connect(completer, qOverload<const QString&>(&QCompleter::activated), this,
                [this, &flights] { StoreDetails(flights, flights.ActualRow()); });
    }
    connect(&flights, &TOpenFlights::DetailsChanged, this, [this, &flights](int row) {
        if (const TFlightDetails* details = flights.Details(row)) {
            Completion->Add(*details);
            if (row == flights.ActualRow())
                ShowDetails(details);
        }
    });
    connect(&flights, &TOpenFlights::FlightOpened, this, [this, &flights](int row) {
        if (const TFlightDetails* details = flights.Details(row))
            Completion->Add(*details);
    });
    connect(&flights, &TOpenFlights::CurrentChanged, this, [this, &flights](int row) {
        const TDataBlock* flight = flights.Flight(row);
        ShowDetails(flights.Details(row));
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
        ShowDetails(nullptr);
    });
}

} // namespace zirko
