// The main window's Graph page: the host it talks to, its dialogs, export and printing.
#include "gui/app/FormMain.h"

#include "gui/graph/Chart.h"
#include "gui/graph/FlightsGraphHost.h"
#include "gui/graph/FormAnnot.h"
#include "gui/graph/FormAnnotEdit.h"
#include "gui/graph/FormGraphSetup.h"
#include "gui/graph/GraphExport.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/OffsetPanel.h"
#include "gui/services/PrintHeader.h"
#include "gui/services/UserDialogs.h"
#include "gui/shell/DataTree.h"
#include "gui/shell/FlightEventsPanel.h"
#include "gui/shell/NotesPage.h"
#include "model/flightdata/OpenFlights.h"

#include "core/app/NumberFormat.h"
#include "core/graph/Offsets.h"
#include "core/report/PrintHeaderText.h"
#include "core/shell/Assertion.h"

#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zirko {

namespace {
constexpr const char* kUnit = "Annot";

// The flights the chart shows, by any of their channels, for the header of its print.
QString ShownFlightsHeader(const TOpenFlights& flights)
{
    std::vector<TPrintedFlight> printed;
    for (int row = 0; row < flights.FlightCount(); ++row) {
        const TDataBlock* flight = flights.Flight(row);
        bool shown = false;
        for (int col = 1; col <= kChannelColumns; ++col)
            shown = shown || flights.Channel(col, row) == TChannelState::On;
        if (flight && shown)
            printed.push_back(PrintedFlightOf(flights.Name(row).toStdString(), *flight));
    }
    return QString::fromStdString(PrintHeaderText(printed));
}
} // namespace

void TFormMain::CreateGraphPage()
{
    GraphHostAdapter = std::make_unique<TFlightsGraphHost>(
        *Flights, TGraphHostSettings{Options, GraphSettings, DeflectionOnGraph, NameColMinWidth,
                                     [this] { return PageControl->currentWidget() == TabGraph; }});
    GraphPage = new TGraphPage(*GraphHostAdapter, TabGraph);
    GraphPage->setObjectName("GraphPage");
    GraphHostAdapter->Observe(*GraphPage);
    TabGraph->layout()->addWidget(GraphPage);
    // A stretch chosen among the events of the information page is shown on the Graph page.
    connect(NotesPage, &TNotesPage::EventStretchRequested, this,
            [this](int row, double from, double to) {
                PageControl->setCurrentWidget(TabGraph);
                GraphPage->ShowFlightStretch(row, from, to);
            });
    FormAnnotEdit = new TFormAnnotEdit(this);
    FormAnnot = new TFormAnnot(*GraphHostAdapter, *FormAnnotEdit, this);
    FormGraphSetup = new TFormGraphSetup(this);
    auto chartSource = [this] {
        TChartSource source;
        source.Size = GraphPage->Plot().Chart().size();
        source.Render = [this](QPainter& painter, const QRect& target) {
            GraphPage->Plot().Chart().RenderTo(painter, target);
        };
        return source;
    };
    connect(GraphPage, &TGraphPage::CopyGraphRequested, this,
            [chartSource] { CopyGraphToClipboard(chartSource()); });
    connect(GraphPage, &TGraphPage::SaveGraphRequested, this,
            [this, chartSource] { ExecuteSaveGraph(this, chartSource(), DataFolder->DataDir()); });
    connect(GraphPage, &TGraphPage::PrintGraphRequested, this, [this, chartSource] {
        if (!GraphPage->Plot().Chart().isVisible())
            return;
        if (!GraphPrinter) {
            GraphPrinter = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
            SetHeaderedPrintDefaults(*GraphPrinter);
        }
        PrintGraph(this, *GraphPrinter, chartSource(), ShownFlightsHeader(*Flights));
    });
    connect(GraphPage, &TGraphPage::GraphSetupRequested, this, &TFormMain::ExecuteGraphSetupDialog);
    connect(GraphPage, &TGraphPage::AnnotationsRequested, this,
            [this] { FormAnnot->ShowAnnotationList(Flights->ActualRow()); });
    connect(GraphPage, &TGraphPage::PopupRequested, this, &TFormMain::ChartPopup);
    CreatePopupGraf();
}

void TFormMain::CreatePopupGraf()
{
    PopupGraf = new QMenu(this);
    PopupGraf->setObjectName("PopupGraf");
    pmnuAnnotNew = PopupGraf->addMenu("New Annotation");
    pmnuAnnotNew->setObjectName("pmnuAnnotNew");
    pmnuAnnotModify = PopupGraf->addMenu("Modify Annotations");
    pmnuAnnotModify->setObjectName("pmnuAnnotModify");
    PopupGraf->addSeparator();
    pmnuCancelZoom = PopupGraf->addAction("Cancel Zoom", this, [this] { GraphPage->UndoZoom(); });
    pmnuCancelZoom->setObjectName("pmnuCancelZoom");
    pmnuGraphSetup = PopupGraf->addAction("Graph setup", this, &TFormMain::ExecuteGraphSetupDialog);
    pmnuGraphSetup->setObjectName("pmnuGraphSetup");
    PopupGraf->addSeparator();
    pmnuAdjustToZero = PopupGraf->addAction("Set Alt. to (0,0)", this, &TFormMain::AdjustToZero);
    pmnuAdjustToZero->setObjectName("pmnuAdjustToZero");
    pmnuAdjustAllToZero =
        PopupGraf->addAction("Set all Alt. to (0,0)", this, &TFormMain::AdjustAllToZero);
    pmnuAdjustAllToZero->setObjectName("pmnuAdjustAllToZero");
    pmnuAlignLaunches = PopupGraf->addAction("Align launches", this, &TFormMain::AlignLaunches);
    pmnuAlignLaunches->setObjectName("pmnuAlignLaunches");
    pmnuAdjustRxToZero =
        PopupGraf->addAction("Set Servo to (x,0)", this, &TFormMain::AdjustRxToZero);
    pmnuAdjustRxToZero->setObjectName("pmnuAdjustRxToZero");
    pmnuResetShift = PopupGraf->addAction("Reset shift", this, &TFormMain::ResetShift);
    pmnuResetShift->setObjectName("pmnuResetShift");
}

void TFormMain::ChartPopup(const QPoint& chartPos, const QPoint& globalPos)
{
    PopupPos = chartPos;
    pmnuAnnotNew->clear();
    pmnuAnnotModify->clear();
    for (int row = 0; row < Flights->FlightCount(); ++row) {
        const QString name = Flights->Name(row);
        pmnuAnnotNew->addAction(name, this, [this, row] { AnnotNewFromChart(row); });
        pmnuAnnotModify->addAction(name, this, [this, row] { FormAnnot->ShowAnnotationList(row); });
    }
    const char sep = DecimalSeparator();
    const TChart* chart = &GraphPage->Plot().Chart();
    FormAnnotEdit->Fill(QString::fromStdString(FormatDisplay(
                            chart->ValueAtPixel(TAxisId::Bottom, chartPos.x()), 1, sep)),
                        QString::fromStdString(FormatDisplay(
                            chart->ValueAtPixel(TAxisId::Left, chartPos.y()), 1, sep)),
                        QString());
    pmnuAdjustRxToZero->setEnabled(Flights->ChannelShownAnywhere(2));
    PopupGraf->popup(globalPos);
}

void TFormMain::AnnotNewFromChart(int row)
{
    if (!ZIRKO_ASSERT(Flights->Flight(row) != nullptr, "P=nil in FormAnnot.pmnuAnnotNewClick",
                      kUnit)) {
        ShowError("Pointer not found!");
        return;
    }
    if (Dialogs().Exec(*FormAnnotEdit) != QDialog::Accepted)
        return;
    GraphHostAdapter->AnnotAppend(row, FormAnnotEdit->TimeValue(), FormAnnotEdit->AltitudeValue(),
                                  FormAnnotEdit->TextValue());
}

void TFormMain::MakeRowCurrent(int row)
{
    if (row < 0 || row >= Flights->FlightCount())
        return;
    Flights->GridChangeActualFile(row, Flights->ActualRow());
}

void TFormMain::AdjustToZero()
{
    GraphPage->Offsets().AdjustToZero(GraphPage->Offsets().ZeroPointAt(PopupPos.x(), PopupPos.y()),
                                      true);
}

void TFormMain::AdjustAllToZero()
{
    // Every flight's point at the popup position goes to (0, 0): the values are read once, from
    // the axes as they stand now.
    const TOffsetPanel::TZeroPoint point =
        GraphPage->Offsets().ZeroPointAt(PopupPos.x(), PopupPos.y());
    const int remembered = Flights->ActualRow();
    for (int row = 0; row < Flights->FlightCount(); ++row) {
        MakeRowCurrent(row);
        GraphPage->Offsets().AdjustToZero(point, row == remembered);
    }
    MakeRowCurrent(remembered);
}

void TFormMain::AlignLaunches()
{
    const std::vector<std::string> withoutLaunch = GraphPage->Offsets().AlignLaunches();
    if (!withoutLaunch.empty())
        Dialogs().ShowMessage(this, QString::fromStdString(NoLaunchMessage(withoutLaunch)));
}

void TFormMain::AdjustRxToZero()
{
    GraphPage->Offsets().AdjustRxToZero(PopupPos.y());
}

void TFormMain::ResetShift()
{
    const int remembered = Flights->ActualRow();
    for (int row = 0; row < Flights->FlightCount(); ++row) {
        MakeRowCurrent(row);
        GraphPage->Offsets().ResetFlightShift();
    }
    MakeRowCurrent(remembered);
    GraphPage->UndoZoom();
}

void TFormMain::ExecuteGraphSetupDialog()
{
    if (!ExecuteGraphSetup(*FormGraphSetup, GraphSettings))
        return;
    try {
        GraphPage->Plot().ChangeGraphSettings();
        GraphPage->UpdateScrollBars();
    } catch (const std::exception& e) {
        ShowError(QString("Error in Graph Setup!\n") + e.what());
    }
}

void TFormMain::ApplyChartSettings()
{
    GraphPage->SetTableShown(Options.ShowTable);
    GraphPage->Plot().SetLegendShown(Options.TBShowLegend);
    try {
        GraphPage->Plot().ChangeGraphSettings();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    }
    GraphPage->UpdateScrollBars();
}

} // namespace zirko
