#include "gui/report/FlightReport.h"

#include "core/analysis/FlightAnalysis.h"
#include "core/graph/ChartMath.h"
#include "core/report/ReportContent.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "gui/graph/OffscreenGraph.h"
#include "gui/report/ReportPage.h"
#include "platform/richtext/RtfReader.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <algorithm>

namespace zirko {

namespace {

// The chart is drawn at a size of the screen and scaled into its box on the page.
constexpr QSize kChartPixels(960, 480);
constexpr double kTitleFont = 22;
constexpr double kBodyFont = 10.5;
constexpr double kSmallFont = 9;
constexpr double kGap = 10;
// The value axes are widened as a zoom out by this percentage widens them: 5 % of the curves'
// span above and below, so that a peak or a full servo throw does not lie on the plot's frame.
constexpr double kChartZoomPercent = 95;

QString Qs(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<std::pair<std::string, std::string>> Pairs(const std::vector<TReportLine>& lines)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const TReportLine& l : lines)
        pairs.emplace_back(l.Label, l.Value);
    return pairs;
}

// Rich text is laid out as on a screen of kPageUnitsPerInch, whatever device the page goes to.
class TScreenMeasure {
public:
    TScreenMeasure() : Image(1, 1, QImage::Format_RGB32)
    {
        const int perMeter = static_cast<int>(kPageUnitsPerInch / 0.0254 + 0.5);
        Image.setDotsPerMeterX(perMeter);
        Image.setDotsPerMeterY(perMeter);
    }
    QPaintDevice* Device() { return &Image; }

private:
    QImage Image;
};

} // namespace

std::unique_ptr<TOffscreenGraph> ReportChart(std::unique_ptr<TDataBlock> flight,
                                             const QString& name, const TEventOptions& options)
{
    TOptions settings;
    settings.ShowTable = false;
    settings.TBShowLegend = true;
    settings.Events = options;
    auto graph = std::make_unique<TOffscreenGraph>(settings);
    const int row = graph->AddFlight(std::move(flight), name);
    for (int column = 2; column <= 3; ++column)
        if (graph->Host().ChannelState(column, row) != TChannelState::Unavailable)
            graph->SetChannelShown(row, column, true);
    graph->Plot().SetMotorShown(true);
    graph->Plot().SetPhasesShown(true);
    TChart& chart = graph->Plot().Chart();
    for (TAxisId axis : {TAxisId::Left, TAxisId::Right, TAxisId::Voltage}) {
        const TAxisRange r =
            ZoomByPercent({chart.Minimum(axis), chart.Maximum(axis)}, kChartZoomPercent);
        chart.SetMinMax(axis, r.Min, r.Max);
    }
    graph->SetChartSize(kChartPixels);
    graph->Draw();
    return graph;
}

struct TFlightReport::TPage {
    std::unique_ptr<TOffscreenGraph> Chart;
    TReportContent Content;
    std::string Notes;
};

TFlightReport::TFlightReport() = default;
TFlightReport::~TFlightReport() = default;

void TFlightReport::AddFlight(std::unique_ptr<TDataBlock> flight, const QString& name,
                              const TEventOptions& options)
{
    auto page = std::make_unique<TPage>();
    const TFlightEvents events = AnalyseEvents(*flight, options);
    page->Content =
        ReportContentOf(name.toStdString(), *flight, AnalyseFlight(*flight), events, '.');
    page->Notes = flight->Notes;
    page->Chart = ReportChart(std::move(flight), name, options);
    Pages.push_back(std::move(page));
}

void TFlightReport::PaintPage(QPainter& painter, int index, const QRectF& area) const
{
    if (index < 0 || index >= PageCount())
        return;
    const TPage& page = *Pages[static_cast<size_t>(index)];
    const TReportContent& c = page.Content;
    painter.save();
    painter.setPen(Qt::black);
    double y = area.top();

    // The title: the flight's name, then its date and details in four columns.
    painter.setFont(PageFont(kTitleFont, true));
    DrawLine(painter, Qs(c.Name), area.left(), y, area.width() * 0.75);
    painter.setFont(PageFont(kSmallFont));
    DrawLine(painter, QString("%1 of %2").arg(index + 1).arg(PageCount()),
             area.left() + area.width() * 0.75, y, area.width() * 0.25, Qt::AlignRight);
    y += kTitleFont * 1.4;
    painter.setFont(PageFont(kBodyFont));
    const double quarter = area.width() / 4;
    for (size_t i = 0; i < c.Title.size(); ++i) {
        const double left = area.left() + quarter * static_cast<double>(i);
        DrawLine(painter, Qs(c.Title[i].Label + ": " + c.Title[i].Value), left, y, quarter - kGap);
    }
    y += LineHeight(painter) + kGap / 2;
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    y += kGap / 2;

    // The chart in the proportion it was drawn in, as wide as the page lets it be.
    const TChartSource chart = page.Chart->Source();
    const double chartHeight =
        std::min(area.width() * kChartPixels.height() / kChartPixels.width(), area.height() * 0.4);
    const double chartWidth = chartHeight * kChartPixels.width() / kChartPixels.height();
    const QRect chartBox(static_cast<int>(area.left() + (area.width() - chartWidth) / 2),
                         static_cast<int>(y), static_cast<int>(chartWidth),
                         static_cast<int>(chartHeight));
    if (chart.Render && !chart.Size.isEmpty()) {
        painter.save();
        painter.setClipRect(chartBox);
        painter.fillRect(chartBox, Qt::white);
        chart.Render(painter, chartBox);
        painter.restore();
    }
    y += chartHeight + kGap;

    // Events, statistics and warnings side by side.
    painter.setFont(PageFont(kBodyFont));
    const double third = area.width() / 3;
    const double lineStep = LineHeight(painter);
    const double columnsHeight =
        lineStep * static_cast<double>(1 + std::max(c.Events.size(), c.Stats.size()));
    const auto heading = [&](const QString& text, double left, double top, double width) {
        painter.setFont(PageFont(kBodyFont * 1.15, true));
        DrawLine(painter, text, left, top, width);
        painter.setFont(PageFont(kBodyFont));
    };
    heading("Events", area.left(), y, third);
    DrawLabelledLines(painter, QRectF(area.left(), y + lineStep, third - kGap, columnsHeight),
                      third * 0.42, Pairs(c.Events));
    heading("Statistics", area.left() + third, y, third);
    DrawLabelledLines(painter,
                      QRectF(area.left() + third, y + lineStep, third - kGap, columnsHeight),
                      third * 0.42, Pairs(c.Stats));
    heading("Warnings", area.left() + 2 * third, y, third);
    if (c.Warnings.empty())
        DrawLine(painter, "none", area.left() + 2 * third, y + lineStep, third);
    else
        DrawLabelledLines(painter,
                          QRectF(area.left() + 2 * third, y + lineStep, third, columnsHeight),
                          third * 0.22, Pairs(c.Warnings));
    y += columnsHeight + lineStep + kGap;

    // The motor runs and phases on the left, the notes on the right, down to the page's end.
    const double tableWidth = area.width() * 0.55;
    heading("Motor runs and phases", area.left(), y, tableWidth);
    heading("Notes", area.left() + tableWidth + kGap, y, area.width() - tableWidth - kGap);
    y += lineStep;
    painter.setFont(PageFont(kSmallFont));
    if (c.PhaseRows.empty())
        DrawLine(painter, "none", area.left(), y, tableWidth);
    else
        DrawTable(painter, QRectF(area.left(), y, tableWidth - kGap, area.bottom() - y),
                  c.PhaseHeaders, c.PhaseRows, {0.2, 0.16, 0.16, 0.16, 0.15, 0.17}, 1);
    const QRectF notesBox(area.left() + tableWidth + kGap, y, area.width() - tableWidth - kGap,
                          area.bottom() - y);
    if (!page.Notes.empty() && notesBox.height() > 0) {
        QTextDocument notes;
        TScreenMeasure screen;
        notes.documentLayout()->setPaintDevice(screen.Device());
        LoadNotesDocument(page.Notes, notes);
        notes.setDocumentMargin(0);
        notes.setTextWidth(notesBox.width());
        painter.save();
        painter.translate(notesBox.topLeft());
        notes.drawContents(&painter, QRectF(0, 0, notesBox.width(), notesBox.height()));
        painter.restore();
    } else {
        DrawLine(painter, "none", notesBox.left(), y, notesBox.width());
    }
    painter.restore();
}

QString TFlightReport::Print(QPagedPaintDevice& device) const
{
    if (Pages.empty())
        return "There is no flight to report.";
    QPainter painter;
    if (!painter.begin(&device))
        return "The printer could not be started.";
    ScaleToPageUnits(painter, device);
    const QRectF area = PageArea(device);
    for (int i = 0; i < PageCount(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return "The printer refused a new page.";
        }
        PaintPage(painter, i, area);
    }
    if (!painter.end())
        return "The print job could not be finished.";
    return {};
}

QString TFlightReport::WritePdf(const QString& fileName) const
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QString error;
    {
        QPdfWriter writer(&file);
        writer.setResolution(static_cast<int>(kPageUnitsPerInch));
        writer.setPageLayout(ReportPageLayout());
        writer.setTitle(kReportTitle);
        writer.setCreator("ZIRKO");
        error = Print(writer);
    }
    if (!error.isEmpty()) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace zirko
