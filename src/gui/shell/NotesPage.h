// The "Flight information" page: the current flight's header values and its rich-text notes.
#pragma once

#include <QWidget>

#include "core/logbook/FlightDetails.h"

#include <string>

class QAction;
class QActionGroup;
class QButtonGroup;
class QComboBox;
class QCompleter;
class QColor;
class QHBoxLayout;
class QIcon;
class QLineEdit;
class QMenu;
class QTextCharFormat;
class QTextEdit;
class QToolButton;

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

    // Brings the toolbar in line with the selection.
    void RichEdit1SelectionChange();
    // Undo and Paste follow what the editor can do while it has the focus.
    void ApplicationIdle();
    // Printer set-up (landscape to start with), then the notes as one document with an empty
    // title, each page under a header line with the current flight's name and date.
    void PrintNotes();

    // Alignment codes carried as tags by the buttons and menu items.
    static constexpr int kAlignLeft = 0;
    static constexpr int kAlignRight = 1;
    static constexpr int kAlignCenter = 2;

    bool UpdatingFormat = false;

    // The values offered while a detail is typed.
    TDetailsCompletion* Completion = nullptr;
    // Shows a flight's details (none: empty boxes) as they are, not as an edit.
    void ShowDetails(const TFlightDetails* details);
    // What the boxes hold that `details` does not; empty when they agree.
    TDetailsEdit EditedDetails(const TFlightDetails& details) const;

signals:
    // The events panel asks for the stretch [from, to] of the flight in `row` on the chart.
    void EventStretchRequested(int row, double from, double to);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* TBPrint = nullptr;
    QToolButton* TBCut = nullptr;
    QToolButton* TBCopy = nullptr;
    QToolButton* TBPaste = nullptr;
    QToolButton* TBUndo = nullptr;
    QToolButton* TBBold = nullptr;
    QToolButton* TBItalic = nullptr;
    QToolButton* TBUnderline = nullptr;
    QToolButton* TBFont = nullptr;
    // Text colour of the selection; its icon shows the current one.
    QToolButton* TBColor = nullptr;
    QComboBox* ComboFontName = nullptr;
    QComboBox* ComboFontSize = nullptr;
    QToolButton* TBLeft = nullptr;
    QToolButton* TBCenter = nullptr;
    QToolButton* TBRight = nullptr;

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

    QMenu* PopupMenu = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuFont = nullptr;
    QAction* mnuColor = nullptr;
    QMenu* mnuAlign = nullptr;
    QAction* mnuAlignLeft = nullptr;
    QAction* mnuAlignCenter = nullptr;
    QAction* mnuAlignRight = nullptr;

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
    QToolButton* AddButton(const QString& text, const QString& hint);
    QToolButton* AddIconButton(const QString& hint, const QIcon& icon);
    QLineEdit* AddInfoEdit();
    void BuildContextMenu();
    void ApplyFormat(const QTextCharFormat& format);
    void StyleButtonClick(QToolButton* button);
    void FontDialog();
    void ColorDialog();
    QColor SelectionColor() const;
    void FontNameChange(int index);
    void FontSizeChange(const QString& text);
    void AlignClick(int tag);
    void Paste();
    void Undo();
    void PopupMenuPopup(const QPoint& pos);
    bool EditorKey(int key, Qt::KeyboardModifiers modifiers);
    int CurrentAlignTag() const;

    QHBoxLayout* ToolbarLayout = nullptr;
    QButtonGroup* AlignButtons = nullptr;
    QActionGroup* AlignActions = nullptr;
};

} // namespace zirko
