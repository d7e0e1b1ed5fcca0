#include "support/MainWindowControls.h"

#include "gui/app/FormAbout.h"
#include "gui/device/ZirkoComForm.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/FormAnnot.h"
#include "gui/graph/FormAnnotEdit.h"
#include "gui/graph/FormGraphSetup.h"
#include "gui/graph/GraphPage.h"
#include "gui/import/FormImport.h"
#include "gui/logbook/LogbookPage.h"
#include "gui/shell/DataTree.h"
#include "gui/shell/FormAssert.h"
#include "gui/shell/FormOptions.h"
#include "gui/shell/NotesPage.h"
#include "support/TestUtil.h"

#include <QAction>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>

namespace zirko::test {

TMainWindowControls::TMainWindowControls(const QObject& window)
    : StringGrid1(Named<TFlightGrid>(window, "StringGrid1")),
      TreeView1(Named<TDataTree>(window, "TreeView1")),
      PageControl(Named<QTabWidget>(window, "PageControl")),
      TabInfo(Named<QWidget>(window, "TabInfo")), TabGraph(Named<QWidget>(window, "TabGraph")),
      TabLogbook(Named<QWidget>(window, "LogbookPage")),
      NotesPage(Named<TNotesPage>(window, "TabInfo")),
      GraphPage(Named<TGraphPage>(window, "GraphPage")),
      LogbookPage(Named<TLogbookPage>(window, "LogbookPage")),
      PanelLeft(Named<QWidget>(window, "PanelLeft")),
      PanelTree(Named<QWidget>(window, "PanelTree")),
      PanelOpenFiles(Named<QWidget>(window, "PanelOpenFiles")),
      Splitter1(Named<QSplitter>(window, "Splitter1")),
      SplitterLeft(Named<QSplitter>(window, "SplitterLeft")),
      PopupGraf(Named<QMenu>(window, "PopupGraf")),
      pmnuAnnotNew(Named<QMenu>(window, "pmnuAnnotNew")),
      pmnuAnnotModify(Named<QMenu>(window, "pmnuAnnotModify")),
      pmnuCancelZoom(Named<QAction>(window, "pmnuCancelZoom")),
      pmnuGraphSetup(Named<QAction>(window, "pmnuGraphSetup")),
      pmnuAdjustToZero(Named<QAction>(window, "pmnuAdjustToZero")),
      pmnuAdjustAllToZero(Named<QAction>(window, "pmnuAdjustAllToZero")),
      pmnuAlignLaunches(Named<QAction>(window, "pmnuAlignLaunches")),
      pmnuAdjustRxToZero(Named<QAction>(window, "pmnuAdjustRxToZero")),
      pmnuResetShift(Named<QAction>(window, "pmnuResetShift")),
      mnuOpenFlight(Named<QAction>(window, "mnuOpenFlight")),
      mnuRecent(Named<QMenu>(window, "mnuRecent")),
      mnuSaveFlight(Named<QAction>(window, "mnuSaveFlight")),
      mnuFlightReport(Named<QAction>(window, "mnuFlightReport")),
      mnuOptions(Named<QAction>(window, "mnuOptions")),
      mnuImport(Named<QAction>(window, "mnuImport")),
      mnuRefreshMain(Named<QAction>(window, "mnuRefreshMain")),
      mnuExit(Named<QAction>(window, "mnuExit")),
      mnuReadData(Named<QAction>(window, "mnuReadData")),
      mnuAbout(Named<QAction>(window, "mnuAbout")),
      FormAssert(Named<TFormAssert>(window, "FormAssert")),
      FormAbout(Named<TFormAbout>(window, "FormAbout")),
      ZirkoComForm(Named<TZirkoComForm>(window, "ZirkoComForm")),
      FormOptions(Named<TFormOptions>(window, "FormOptions")),
      FormGraphSetup(Named<TFormGraphSetup>(window, "FormGraphSetup")),
      FormAnnotEdit(Named<TFormAnnotEdit>(window, "FormAnnotEdit")),
      FormAnnot(Named<TFormAnnot>(window, "FormAnnot")),
      FormImport(Named<TFormImport>(window, "FormImport"))
{
}

} // namespace zirko::test
