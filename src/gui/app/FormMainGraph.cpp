// The main window's Graph page: the host it talks to, its dialogs, export and printing.
#include "gui/app/FormMain.h"
#include "gui/app/MainGraphHost.h"

#include "gui/app/UserDialogs.h"
#include "gui/flightdata/FlightGrid.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FormAnnot.h"
#include "gui/graph/FormAnnotEdit.h"
#include "gui/graph/FormGraphSetup.h"
#include "gui/graph/GraphExport.h"
#include "gui/graph/GraphHost.h"
#include "gui/graph/GraphPage.h"

#include <QPainter>
#include <QPrinter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zirko {

void TFormMain::CreateGraphPage()
{
    GraphHostAdapter = std::make_unique<TMainGraphHost>(*this);
    GraphPage = new TGraphPage(*GraphHostAdapter, TabGraph);
    TabGraph->layout()->addWidget(GraphPage);
    FormAnnotEdit = new TFormAnnotEdit(this);
    FormAnnot = new TFormAnnot(*GraphHostAdapter, *FormAnnotEdit, this);
    FormGraphSetup = new TFormGraphSetup(this);
    auto chartSource = [this] {
        TChartSource source;
        source.Size = GraphPage->Chart1->size();
        source.Render = [this](QPainter& painter, const QRect& target) {
            GraphPage->Chart1->RenderTo(painter, target);
        };
        return source;
    };
    connect(GraphPage, &TGraphPage::CopyGraphRequested, this,
            [chartSource] { CopyGraphToClipboard(chartSource()); });
    connect(GraphPage, &TGraphPage::SaveGraphRequested, this,
            [this, chartSource] { ExecuteSaveGraph(this, chartSource(), DataDir); });
    connect(GraphPage, &TGraphPage::PrintGraphRequested, this, [this, chartSource] {
        if (!GraphPage->Chart1->isVisible())
            return;
        if (!GraphPrinter)
            GraphPrinter = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
        PrintGraph(this, *GraphPrinter, chartSource());
    });
    connect(GraphPage, &TGraphPage::GraphSetupRequested, this, &TFormMain::ExecuteGraphSetupDialog);
    connect(GraphPage, &TGraphPage::AnnotationsRequested, this,
            [this] { FormAnnot->ShowAnnotationList(StringGrid1->SelectedRow()); });
}

void TFormMain::ExecuteGraphSetupDialog()
{
    if (ExecuteGraphSetup(*FormGraphSetup, GraphSettings)) {
        GraphPage->ChangeGraphSettings();
        GraphPage->UpdateScrollBars();
    }
}

void TFormMain::ApplyChartSettings()
{
    GraphPage->SetTableShown(Options.ShowTable);
    GraphPage->SetLegendShown(Options.TBShowLegend);
    GraphPage->ChangeGraphSettings();
    GraphPage->UpdateScrollBars();
}

} // namespace zirko
