#include "gui/graph/OffscreenGraph.h"

#include "core/flightdata/FlightText.h"
#include "gui/graph/Chart.h"
#include "gui/graph/GraphPage.h"
#include "platform/files/FlightFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLayout>

namespace zirko {

TOffscreenGraphHost::TOffscreenGraphHost(const TOptions& options, const TGraphSettings& settings)
    : Options(options), Settings(settings)
{
}

TDataBlock* TOffscreenGraphHost::Flight(int row) const
{
    if (row < 0 || row >= FlightCount())
        return nullptr;
    return Flights[static_cast<size_t>(row)].get();
}

QString TOffscreenGraphHost::FlightName(int row) const
{
    if (row < 0 || row >= FlightCount())
        return {};
    return Names[static_cast<size_t>(row)];
}

QString TOffscreenGraphHost::GridCell(int col, int row) const
{
    const auto it = Cells.find({col, row});
    return it == Cells.end() ? QString() : it->second;
}

int TOffscreenGraphHost::AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name)
{
    Flights.push_back(std::move(flight));
    Names.push_back(name);
    return FlightCount() - 1;
}

TOffscreenGraph::TOffscreenGraph(const TOptions& options, const TGraphSettings& settings)
    : GraphHost(options, settings)
{
    GraphPage = std::make_unique<TGraphPage>(GraphHost);
    // Laid out and painted like a shown page, without a window on any screen.
    GraphPage->setAttribute(Qt::WA_DontShowOnScreen);
    GraphPage->show();
    GraphPage->SetTableShown(options.ShowTable);
    GraphPage->SetLegendShown(options.TBShowLegend);
    GraphPage->ChangeGraphSettings();
    GraphPage->UpdateScrollBars();
}

TOffscreenGraph::~TOffscreenGraph()
{
    // The series go with the chart; the records they point to outlive it in the host.
    GraphPage.reset();
}

TGraphSettings TOffscreenGraph::DefaultSettings()
{
    TGraphSettings settings;
    SetDefaultGraphSettings(settings);
    settings.SettingsChanged = false;
    return settings;
}

QStringList TOffscreenGraph::OpenFile(const QString& fileName)
{
    auto flight = std::make_unique<TDataBlock>();
    const TReadResult result = ReadDataFile(QFile::encodeName(fileName).toStdString(), *flight,
                                            GraphHost.Options.MarkerThreshold);
    switch (result.Status) {
    case TReadStatus::Ok:
        if (result.Count < 1)
            return {QString::fromUtf8("Chyba při otevírání souboru!")};
        break;
    case TReadStatus::Failed:
        return {"Error by opening datafile \"" + fileName + "\"! ",
                QString::fromStdString(result.Message)};
    case TReadStatus::IoError:
        return {QString::fromStdString(result.Message)};
    }
    flight->Modified = false;
    AddFlight(std::move(flight),
              QString::fromStdString(FlightNameOf(QFile::encodeName(fileName).toStdString())));
    return {};
}

int TOffscreenGraph::AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name)
{
    const int row = GraphHost.AddFlight(std::move(flight), name);
    const std::array<QString, 5> states = GraphPage->BuildFlightSeries(row);
    for (int c = 1; c <= 5; ++c)
        GraphHost.SetGridCell(c, row, states[static_cast<size_t>(c - 1)]);
    SetChannelShown(row, 1, true);
    if (row == 0)
        GraphPage->MoveFlightSeriesToFront(row);
    return row;
}

void TOffscreenGraph::SetChannelShown(int row, int column, bool on)
{
    GraphHost.SetGridCell(column, row, on ? "1" : "0");
    GraphPage->ShowChannel(row, column, on);
}

QSize TOffscreenGraph::ChartSize() const
{
    return GraphPage->Chart1->size();
}

bool TOffscreenGraph::SetChartSize(const QSize& size)
{
    if (size.isEmpty())
        return false;
    // The page's own parts take what they take; the chart gets the rest.
    for (int attempt = 0; attempt < 4; ++attempt) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        GraphPage->layout()->activate();
        const QSize missing = size - ChartSize();
        if (missing.isNull())
            return true;
        GraphPage->resize(GraphPage->size() + missing);
    }
    return ChartSize() == size;
}

void TOffscreenGraph::Draw()
{
    TChart& chart = *GraphPage->Chart1;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    chart.Replot();
    // The first draw at a size places the time axis end, which asks for another draw.
    QCoreApplication::processEvents();
    chart.Replot();
}

TChartSource TOffscreenGraph::Source() const
{
    TChart* chart = GraphPage->Chart1;
    TChartSource source;
    source.Size = chart->size();
    source.Render = [chart](QPainter& painter, const QRect& target) {
        chart->RenderTo(painter, target);
    };
    return source;
}

} // namespace zirko
