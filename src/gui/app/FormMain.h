// The main window: the data folder tree, the open flights, the information and graph pages.
#pragma once

#include "core/app/Settings.h"
#include "core/flightdata/DataBlock.h"
#include "core/graph/GraphSettings.h"
#include "platform/files/AppPaths.h"

#include <QMainWindow>
#include <QPoint>
#include <array>
#include <memory>
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
class TDataTree;
class TNotesPage;
class TZirkoComForm;
class TFormOptions;
class TGraphPage;
class TFormGraphSetup;
class TFormAnnotEdit;
class TFormAnnot;
class TMainGraphHost;

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TFormMain(const TAppPaths& paths, QWidget* parent = nullptr);
    ~TFormMain() override;

    // --- open flights (row i of StringGrid1 is DataList[i]) ---
    int OpenDataFile(const QString& fileName);
    void CloseDataFile(int row);
    // Writes the flight of `row`; with `ask` only a modified flight, after a Yes. Returns false
    // when the write failed (the message has been shown).
    bool SaveDataFile(int row, bool ask);
    void GridCheck(int col, int arow, bool checked);
    void GridChangeActualFile(int arow, int lastrow);
    // Saves a modified flight after a Yes and takes it out of the list; false when it stays
    // open (its changes could not be written) or there was no flight to close.
    bool GridCloseFile(int arow);
    void CloseAllDataFiles();
    // Opens a flight named on the command line: through its tree node when it lies in the data
    // folder (so the tree shows it open), otherwise straight into the list. Returns the grid row.
    int OpenFlightFile(const QString& fileName);
    bool ChannelShownAnywhere(int column) const;
    TDataBlock* Flight(int row) const;
    int FlightCount() const { return static_cast<int>(DataList.size()); }
    QString GridCell(int col, int row) const;

    // --- settings ---
    void ReadSettings();
    void WriteSettings();
    const TAppPaths& Paths() const { return AppPaths; }
    char DecimalSeparator() const;

    // State with the names the rest of the program uses.
    QString DataDir;
    std::vector<std::unique_ptr<TDataBlock>> DataList;
    int ActualRow = -1;
    int NameColMinWidth = 10;
    bool DeflectionOnGraph = false;
    bool NotifyEnabled = false;
    TOptions Options; // port, file name, temperature, deflection, threshold, switches
    TGraphSettings GraphSettings;

    // Controls tests and other windows reach.
    TFlightGrid* StringGrid1 = nullptr;
    TDataTree* TreeView1 = nullptr; // the data folder tree, inside PanelTree
    QTabWidget* PageControl = nullptr;
    QWidget* TabInfo = nullptr;
    QWidget* TabGraph = nullptr;
    QWidget* PanelLeft = nullptr;
    QWidget* PanelTree = nullptr;
    QWidget* PanelOpenFiles = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* SplitterLeft = nullptr;
    QLineEdit* EditDate = nullptr;
    QLineEdit* EditSample = nullptr;
    QLineEdit* EditVer = nullptr;
    QLineEdit* EditFlyTime = nullptr;
    QLineEdit* EditMaxAlt = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QMenu* PopupGrid = nullptr;
    // The chart's context menu, rebuilt at every right press on the plot.
    QMenu* PopupGraf = nullptr;
    QMenu* pmnuAnnotNew = nullptr;
    QMenu* pmnuAnnotModify = nullptr;
    QAction* pmnuCancelZoom = nullptr;
    QAction* pmnuGraphSetup = nullptr;
    QAction* pmnuAdjustToZero = nullptr;
    QAction* pmnuAdjustAllToZero = nullptr;
    QAction* pmnuAdjustRxToZero = nullptr;
    QAction* pmnuResetShift = nullptr;
    // Chart pixel position where PopupGraf was opened.
    QPoint PopupPos;
    QAction* mnuOptions = nullptr;
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

signals:
    void FirstShown();
    // A grid row was closed; the rows below it moved up by one.
    void GridRowClosed(int row);

public slots:
    void ExecuteOptions();
    void ExecuteReadData();
    void ShowAbout();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    void CreatePanels();
    QWidget* CreateInfoPage();
    void FormShowFirst();
    void CloseQuery();
    void ResizeNameColumn();
    void ClearFlightInfo();
    // Removes the flight of `row` from the chart and the list.
    void DropFlight(int row);
    void SetPagesEnabled(bool on);
    void PopupGridAt(int row, const QPoint& globalPos);
    void ShowError(const QString& text);
    // The notes editor and the chart as the open-flights list uses them.
    bool NotesModified() const;
    std::string NotesBytes() const;
    void LoadNotes(const std::string& bytes);
    void ClearNotes();
    // The editor's notes are in the current flight's record: the editor counts as unchanged.
    void MarkNotesStored();
    std::array<QString, 5> BuildFlightSeries(int row);
    void ShowFlightChannel(int row, int col, bool on);
    void RemoveFlightSeries(int row);
    void MoveFlightSeriesToFront(int row);
    void StoreEditedNotes(int row);
    uint32_t FlightColorValue(int row) const; // the altitude series' colour as 0x00BBGGRR
    void CollectAnnotations(int row);         // rebuilds Annotations from the chart before a save
    void LoadShiftControls(int row);
    // Makes a grid row the current one, as a click on its name does.
    void MakeRowCurrent(int row);
    void CreatePopupGraf();
    void ChartPopup(const QPoint& chartPos, const QPoint& globalPos);
    void AnnotNewFromChart(int row);
    void AdjustToZero();
    void AdjustAllToZero();
    void AdjustRxToZero();
    void ResetShift();

    void CreateGraphPage();
    void ApplyChartSettings();
    void ExecuteGraphSetupDialog();
    void PrintGraphPage();
    std::unique_ptr<TMainGraphHost> GraphHostAdapter;
    std::unique_ptr<QPrinter> GraphPrinter;
    TAppPaths AppPaths;
    bool Shown = false;
    bool Closed = false;
    int PanelLeftWidth = 233;
};

} // namespace zirko
