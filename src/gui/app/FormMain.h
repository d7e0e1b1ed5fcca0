// The main window: the data folder tree, the open flights, the information and graph pages.
#pragma once

#include "core/app/Settings.h"
#include "core/graph/GraphSettings.h"
#include "platform/files/AppPaths.h"

#include <QMainWindow>
#include <QPoint>
#include <memory>
#include <string>
#include <vector>

class QSplitter;
class QTabWidget;
class QLineEdit;
class QTextEdit;
class QMenu;
class QAction;
class QLabel;
class QPrinter;

namespace zirko {

class TFlightGrid;
class TFormAssert;
class TFormAbout;
class TDataFolder;
class TDataTree;
class TNotesPage;
class TZirkoComForm;
class TFormOptions;
class TGraphPage;
class TFormGraphSetup;
class TFormAnnotEdit;
class TFormAnnot;
class TFlightsGraphHost;
class TFlightsDialogs;
class TOpenFlights;
class TFormImport;
class TLogbookPage;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(const TAppPaths& paths, QWidget* parent = nullptr);
    ~TFormMain() override;

    // Opens a flight file from anywhere (command line, File menu, recent flights, a drop): through
    // its tree node when the tree shows it, otherwise straight into the list; a flight already
    // open becomes the current one instead. Returns the grid row, -1 when it could not be opened
    // (the message has been shown).
    int OpenFlightFile(const QString& fileName);
    // Files dropped on the window or handed over otherwise, each opened as what it is.
    void OpenDroppedFiles(const QStringList& fileNames);
    // The flights opened last, newest first (full paths).
    const std::vector<std::string>& RecentFlights() const { return Recent; }

    // --- settings ---
    void ReadSettings();
    // The data folder's model profiles for the open flights' analysis, and the details used there
    // for the completion of the information page (gathered in the background).
    void LoadDataFolderDetails(bool profilesOnly = false);
    void WriteSettings();
    void WriteAnalysisSettings();
    // Loads the settings file, lets `change` edit it and saves it; a failed save is shown.
    void ChangeSettingsFile(const std::function<void(TIniFile&)>& change);
    const TAppPaths& Paths() const { return AppPaths; }
    char DecimalSeparator() const;

    // The open flights; every window that shows them observes this list.
    TOpenFlights* Flights = nullptr;
    TDataFolder* DataFolder = nullptr; // the root data folder, its watcher and its changes
    int NameColMinWidth = 10;
    bool DeflectionOnGraph = false;
    TOptions Options; // port, file name, temperature, deflection, threshold, switches
    TGraphSettings GraphSettings;

signals:
    void FirstShown();

public slots:
    // File > Open flight: one or several flight files from anywhere.
    void ExecuteOpenFlight();
    // Ctrl+S: the current flight with the editor's notes, as the open-flights menu saves it.
    void SaveCurrentFlight();
    void ExecuteOptions();
    void ExecuteReadData();
    void ShowAbout();
    // File > Import flights...: other loggers' files chosen, previewed and written as flights.
    void ExecuteImport();
    // The import dialog over these files; what it writes goes to the tree at once.
    void ImportFlights(const QStringList& files);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The window's controls and sub-forms; each carries its field's name as its object name, but
    // for the information and logbook tabs, which are their pages ("TabInfo", "LogbookPage").
    TFlightGrid* StringGrid1 = nullptr;
    TDataTree* TreeView1 = nullptr; // the data folder tree, inside PanelTree
    QTabWidget* PageControl = nullptr;
    QWidget* TabInfo = nullptr;
    QWidget* TabGraph = nullptr;
    QWidget* TabLogbook = nullptr;
    TLogbookPage* LogbookPage = nullptr;
    QWidget* PanelLeft = nullptr;
    QWidget* PanelTree = nullptr;
    QWidget* PanelOpenFiles = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* SplitterLeft = nullptr;
    // The chart's context menu, rebuilt at every right press on the plot.
    QMenu* PopupGraf = nullptr;
    QMenu* pmnuAnnotNew = nullptr;
    QMenu* pmnuAnnotModify = nullptr;
    QAction* pmnuCancelZoom = nullptr;
    QAction* pmnuGraphSetup = nullptr;
    QAction* pmnuAdjustToZero = nullptr;
    QAction* pmnuAdjustAllToZero = nullptr;
    QAction* pmnuAlignLaunches = nullptr;
    QAction* pmnuAdjustRxToZero = nullptr;
    QAction* pmnuResetShift = nullptr;
    // Chart pixel position where PopupGraf was opened.
    QPoint PopupPos;
    QAction* mnuOpenFlight = nullptr;
    QMenu* mnuRecent = nullptr;
    QAction* mnuSaveFlight = nullptr;
    QAction* mnuFlightReport = nullptr;
    QAction* mnuOptions = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuRefreshMain = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuReadData = nullptr;
    QAction* mnuAbout = nullptr;
    TFormAssert* FormAssert = nullptr;
    TFormAbout* FormAbout = nullptr;
    TZirkoComForm* ZirkoComForm = nullptr;
    TNotesPage* NotesPage = nullptr;
    TFormOptions* FormOptions = nullptr;
    TGraphPage* GraphPage = nullptr;
    TFormGraphSetup* FormGraphSetup = nullptr;
    TFormAnnotEdit* FormAnnotEdit = nullptr;
    TFormAnnot* FormAnnot = nullptr;
    TFormImport* FormImport = nullptr;

    void CreateMenu();
    void FillRecentMenu();
    void CreatePanels();
    QWidget* CreateInfoPage();
    void FormShowFirst();
    void CloseQuery();
    void ResizeNameColumn();
    void ObserveFlights();
    void SetPagesEnabled(bool on);
    void ShowError(const QString& text);
    // Makes a grid row the current one, as a click on its name does.
    void MakeRowCurrent(int row);
    void CreatePopupGraf();
    void ChartPopup(const QPoint& chartPos, const QPoint& globalPos);
    void AnnotNewFromChart(int row);
    void AdjustToZero();
    void AdjustAllToZero();
    void AlignLaunches();
    void AdjustRxToZero();
    void ResetShift();

    void CreateGraphPage();
    void ConnectLogbook();
    // Opens the logbook's flights; `align` shows them on the graph with their launches aligned.
    void OpenLogbookFlights(const QStringList& files, bool align);
    void ApplyChartSettings();
    void ExecuteGraphSetupDialog();
    std::unique_ptr<TFlightsDialogs> FlightQuestions;
    std::unique_ptr<TOpenFlights> FlightList;
    std::unique_ptr<TFlightsGraphHost> GraphHostAdapter;
    std::unique_ptr<QPrinter> GraphPrinter;
    TAppPaths AppPaths;
    bool Shown = false;
    bool Closed = false;
    int PanelLeftWidth = 233;
    std::vector<std::string> Recent;
};

} // namespace zirko
