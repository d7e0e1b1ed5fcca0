// The main window's controls and sub-forms, each found once by its object name.
#pragma once

class QAction;
class QMenu;
class QObject;
class QSplitter;
class QTabWidget;
class QWidget;

namespace zirko {
class TDataTree;
class TFlightGrid;
class TFormAbout;
class TFormAnnot;
class TFormAnnotEdit;
class TFormAssert;
class TFormGraphSetup;
class TFormImport;
class TFormOptions;
class TGraphPage;
class TLogbookPage;
class TNotesPage;
class TZirkoComForm;
} // namespace zirko

namespace zirko::test {

struct TMainWindowControls {
    TMainWindowControls() = default;
    // Every control is looked up here; a missing one fails the test at once.
    explicit TMainWindowControls(const QObject& window);

    TFlightGrid* StringGrid1 = nullptr;
    TDataTree* TreeView1 = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* TabInfo = nullptr;
    QWidget* TabGraph = nullptr;
    QWidget* TabLogbook = nullptr;
    TNotesPage* NotesPage = nullptr; // the information tab itself
    TGraphPage* GraphPage = nullptr;
    TLogbookPage* LogbookPage = nullptr; // the logbook tab itself
    QWidget* PanelLeft = nullptr;
    QWidget* PanelTree = nullptr;
    QWidget* PanelOpenFiles = nullptr;
    QSplitter* Splitter1 = nullptr;
    QSplitter* SplitterLeft = nullptr;
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
    TFormOptions* FormOptions = nullptr;
    TFormGraphSetup* FormGraphSetup = nullptr;
    TFormAnnotEdit* FormAnnotEdit = nullptr;
    TFormAnnot* FormAnnot = nullptr;
    TFormImport* FormImport = nullptr;
};

} // namespace zirko::test
