// The "Flight information" page: the current flight's header values and its rich-text notes.
#pragma once

#include <QWidget>

#include "core/logbook/FlightDetails.h"
#include "gui/shell/NotesToolbar.h"

#include <string>

class QCompleter;
class QLineEdit;
class QTextEdit;

namespace zirko {

class TDetailsCompletion;
class TFlightEventsPanel;
class TFlightStatsPanel;
class TOpenFlights;

class TNotesPage : public QWidget {
    Q_OBJECT
public:
    explicit TNotesPage(QWidget* parent = nullptr);
    ~TNotesPage() override;

    // From now on the page shows the current flight of `flights` and hands the notes edited here
    // to its record whenever the list asks for them.
    void ObserveFlights(TOpenFlights& flights);

    // Information panel of the current flight; the texts are made by the open-flights list.
    void SetInfo(const QString& date, const QString& sampling, const QString& ver,
                 const QString& flightTime, const QString& maxHeight);
    void ClearInfo();

    // Shows stored notes (RTF or older plain text) and marks the editor unchanged.
    void LoadNotes(const std::string& bytes);
    bool NotesModified() const;
    // The notes as RTF, as they are stored in the flight.
    std::string SaveNotes() const;
    // Empties the editor and marks it unchanged.
    void ClearNotes();

    // Printer set-up (landscape to start with), then the notes as one document with an empty
    // title, each page under a header line with the current flight's name and date.
    void PrintNotes();

    // Alignment codes carried as tags by the buttons and menu items.
    static constexpr int kAlignLeft = TNotesToolbar::kAlignLeft;
    static constexpr int kAlignRight = TNotesToolbar::kAlignRight;
    static constexpr int kAlignCenter = TNotesToolbar::kAlignCenter;

    // The values offered while a detail is typed.
    TDetailsCompletion* Completion = nullptr;
    // Shows a flight's details (none: empty boxes) as they are, not as an edit.
    void ShowDetails(const TFlightDetails* details);
    // What the boxes hold that `details` does not; empty when they agree.
    TDetailsEdit EditedDetails(const TFlightDetails& details) const;

signals:
    // The events panel asks for the stretch [from, to] of the flight in `row` on the chart.
    void EventStretchRequested(int row, double from, double to);

private:
    // The formatting bar above the page, serving RichEdit1 below it.
    TNotesToolbar* Toolbar = nullptr;

    QLineEdit* EditDate = nullptr;
    QLineEdit* EditSample = nullptr;
    QLineEdit* EditVer = nullptr;
    QLineEdit* EditFlyTime = nullptr;
    QLineEdit* EditMaxAlt = nullptr;

    // The current flight's details, edited here and handed to its record by the open flights.
    QLineEdit* EditModel = nullptr;
    QLineEdit* EditSite = nullptr;
    QLineEdit* EditPilot = nullptr;
    QLineEdit* EditTags = nullptr; // comma-separated; completion offers the tag being typed
    QCompleter* TagCompleter = nullptr;

    // The numbers of every open flight, between the boxes and the notes.
    TFlightStatsPanel* StatsPanel = nullptr;
    // The current flight's events, between the numbers and the notes.
    TFlightEventsPanel* EventsPanel = nullptr;
    QTextEdit* RichEdit1 = nullptr;

    TOpenFlights* Flights = nullptr; // the flights observed, for the current one's name and date
    // The header line of the printed notes; empty without a current flight.
    QString PrintHeaderOfNotes() const;
    bool LoadingNotes = false; // the editor is being filled, not edited
    bool LoadingDetails = false;
    bool StoringDetails = false; // a refusal's message box takes the focus from the box
    void StoreDetails(TOpenFlights& flights, int row);
    QLineEdit* AddDetailEdit(const char* name, const QString& hint);
    void TagTyped(const QString& text);
    void TagChosen(const QString& tag);
    QLineEdit* AddInfoEdit();
};

} // namespace zirko
