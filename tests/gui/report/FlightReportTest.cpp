// The report commands of the windows: File > "Flight report..." and the logbook's "Flight
// report..." and "Score sheet..." on the selected flights. The preview's pages are the pages
// zirko-cli report writes.
#include "gui/report/FlightReport.h"
#include "gui/app/FormMain.h"
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "gui/graph/OffscreenGraph.h"
#include "gui/logbook/LogbookPage.h"
#include "model/flightdata/OpenFlights.h"
#include "support/MainWindowFixture.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QImage>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace zirko;
using namespace zirko::test;

namespace {

// A motor climb and a glide with servo and voltage, details and rich-text notes.
TDataBlock MotorFlight(double top, const char* model)
{
    TDataBlock f;
    f.DateText = "14.6.2026 16:20:00";
    f.Sampling = 100;
    f.ChannelMask = kMaskAltitude | kMaskRx | kMaskVoltage;
    f.ExtraLines = {std::string("Model=") + model, "Pilot=Eva"};
    f.Notes = "{\\rtf1\\ansi Calm air, \\b good\\b0  thermal.}";
    for (int i = 0; i <= 1500; ++i) {
        const double t = i * 0.2;
        f.Time.push_back(t);
        f.Altitude.push_back(t < 20 ? top * t / 20 : std::max(0.0, top - (t - 20) * 0.5));
        f.Rx.push_back(t >= 1 && t < 20 ? 80 : -100);
        f.Voltage.push_back(8.1 - t * 1e-3);
    }
    return f;
}

int RunProgram(const QString& program, const QStringList& args)
{
    const TProcessRun p =
        RunProcess(program, args, QProcessEnvironment::systemEnvironment(), 120000);
    EXPECT_NE(p.Code, -1) << program.toStdString();
    return p.Code;
}

// The PDF's pages rasterised, in order.
std::vector<QImage> Pages(const QString& pdf, const QString& prefix)
{
    EXPECT_EQ(RunProgram("pdftoppm", {"-r", "40", "-png", pdf, prefix}), 0);
    std::vector<QImage> pages;
    for (int i = 1;; ++i) {
        const QImage page(prefix + "-" + QString::number(i) + ".png");
        if (page.isNull())
            break;
        pages.push_back(page.convertToFormat(QImage::Format_RGB32));
    }
    return pages;
}

// The share of pixels that differ by more than a little in any colour.
double DifferentShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1;
    qint64 different = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 16 || std::abs(qGreen(p) - qGreen(q)) > 16 ||
                std::abs(qBlue(p) - qBlue(q)) > 16)
                ++different;
        }
    return static_cast<double>(different) / (a.width() * a.height());
}

class FlightReportTest : public TMainWindowFixture {
protected:
    // The next preview: its page count, then its pages printed into `pdf` as the preview's Print
    // button prints them.
    void PrintNextPreviewTo(const QString& pdf, int* pageCount)
    {
        Dialogs->DialogScripts.push_back([pdf, pageCount](QDialog& dialog) {
            auto* preview = dialog.findChild<QPrintPreviewWidget*>();
            EXPECT_NE(preview, nullptr);
            if (!preview)
                return int(QDialog::Rejected);
            dialog.show();
            QTest::qWait(10);
            preview->updatePreview();
            *pageCount = preview->pageCount();
            auto* printer = static_cast<QPrintPreviewDialog&>(dialog).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            preview->print();
            return int(QDialog::Accepted);
        });
    }
    void OpenLogbook()
    {
        QTabBar* bar = Ui.PageControl->tabBar();
        const int tab = Ui.PageControl->indexOf(Ui.TabLogbook);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        ASSERT_TRUE(QTest::qWaitFor([this] { return !Ui.LogbookPage->IsReading(); }, 20000));
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                return Named<QTableView>(*Ui.LogbookPage, "TableLogbook")->model()->rowCount() == 2;
            },
            20000));
    }
    // Every row selected, then a right click and the action chosen in the popup.
    void ChooseForAll(QAction* action)
    {
        TLogbookPage* page = Ui.LogbookPage;
        QTableView* table = Named<QTableView>(*page, "TableLogbook");
        table->setFocus();
        table->selectAll();
        const QPoint pos = table->visualRect(table->model()->index(0, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, table->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(table->viewport(), &event);
        ASSERT_TRUE(Named<QMenu>(*page, "PopupLogbook")->isVisible());
        QTest::qWait(20);
        ASSERT_TRUE(action->isEnabled());
        QTest::mouseClick(Named<QMenu>(*page, "PopupLogbook"), Qt::LeftButton, {},
                          Named<QMenu>(*page, "PopupLogbook")->actionGeometry(action).center());
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST_F(FlightReportTest, PreviewOfTheCurrentFlightIsOnePageAndLooksAsZirkoCliWritesIt)
{
    ASSERT_NO_FATAL_FAILURE(StartForm());
    const QString file = WriteFlight("Let0007.zdf", MotorFlight(150, "Pike"));
    ASSERT_GE(Form->OpenFlightFile(file), 0);
    const QString previewPdf = Dir.filePath("preview.pdf");
    int pages = 0;
    PrintNextPreviewTo(previewPdf, &pages);
    Ui.mnuFlightReport->trigger();
    EXPECT_TRUE(Dialogs->Log.contains("dialog: ZIRKO flight report"))
        << Dialogs->Log.join('\n').toStdString();
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(Dialogs->Errors().isEmpty());

    const QString cliPdf = Dir.filePath("cli.pdf");
    ASSERT_EQ(RunProgram(QString::fromUtf8(ZIRKO_CLI_PATH), {"report", file, "-o", cliPdf}), 0);
    const std::vector<QImage> shown = Pages(previewPdf, Dir.filePath("shown"));
    const std::vector<QImage> written = Pages(cliPdf, Dir.filePath("written"));
    ASSERT_EQ(shown.size(), 1u);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_LT(DifferentShare(shown[0], written[0]), 0.002);
}

TEST_F(FlightReportTest, LogbookReportsAndScoresTheSelectedFlights)
{
    WriteFlight("a.zdf", MotorFlight(150, "Pike"));
    WriteFlight("Club/b.zdf", MotorFlight(120, "Supra"));
    ASSERT_NO_FATAL_FAILURE(StartForm());
    ASSERT_NO_FATAL_FAILURE(OpenLogbook());
    TLogbookPage* page = Ui.LogbookPage;

    int pages = 0;
    PrintNextPreviewTo(Dir.filePath("logbook.pdf"), &pages);
    ASSERT_NO_FATAL_FAILURE(ChooseForAll(Named<QAction>(*page, "pmnuReport")));
    EXPECT_EQ(pages, 2);

    // Saved as CSV under a name without an ending: the chosen type gives it.
    Dialogs->Choices.push_back(0);
    Dialogs->FileNames.push_back(Dir.filePath("day"));
    Dialogs->Filters.push_back("CSV (*.csv)");
    ASSERT_NO_FATAL_FAILURE(ChooseForAll(Named<QAction>(*page, "pmnuScoreSheet")));
    const QString csv = QString::fromUtf8(ReadBytes(Dir.filePath("day.csv")));
    EXPECT_TRUE(csv.startsWith("Flight,Date,Pilot,Model,")) << csv.toStdString();
    EXPECT_TRUE(csv.contains("\r\na,14.6.2026 16:20:00,Eva,Pike,")) << csv.toStdString();
    EXPECT_TRUE(csv.contains("\r\nb,14.6.2026 16:20:00,Eva,Supra,")) << csv.toStdString();
    EXPECT_TRUE(csv.contains("\r\nTotal,2 flights,")) << csv.toStdString();

    // A flight file is never replaced by a sheet.
    const QByteArray flight = ReadBytes(Dir.filePath("a.zdf"));
    Dialogs->Choices.push_back(0);
    Dialogs->FileNames.push_back(Dir.filePath("a.zdf"));
    ASSERT_NO_FATAL_FAILURE(ChooseForAll(Named<QAction>(*page, "pmnuScoreSheet")));
    EXPECT_EQ(ReadBytes(Dir.filePath("a.zdf")), flight);
    ASSERT_FALSE(Dialogs->Errors().isEmpty());
    EXPECT_TRUE(Dialogs->Errors().back().contains("is a flight data file"));

    // As PDF, chosen by the name's ending.
    Dialogs->Choices.push_back(0);
    Dialogs->FileNames.push_back(Dir.filePath("day.pdf"));
    ASSERT_NO_FATAL_FAILURE(ChooseForAll(Named<QAction>(*page, "pmnuScoreSheet")));
    EXPECT_TRUE(ReadBytes(Dir.filePath("day.pdf")).startsWith("%PDF"));
}

TEST(ReportChart, CurvesKeepClearOfThePlotFrame)
{
    auto graph = ReportChart(std::make_unique<TDataBlock>(MotorFlight(150, "Pike")), "Let0007",
                             TEventOptions());
    TChart& chart = graph->Plot().Chart();
    const QRect plot = chart.PlotRect();
    ASSERT_GT(plot.height(), 100);
    // The altitude peak, the servo's full throw both ways and the voltage's highest and lowest.
    for (TAxisId axis : {TAxisId::Left, TAxisId::Right, TAxisId::Voltage}) {
        const auto extent = chart.DataExtent(axis);
        ASSERT_TRUE(extent.has_value()) << static_cast<int>(axis);
        EXPECT_GT(chart.PixelOfValue(axis, extent->second), plot.top() + 5)
            << static_cast<int>(axis);
        EXPECT_LT(chart.PixelOfValue(axis, extent->first), plot.bottom() - 5)
            << static_cast<int>(axis);
    }
    // The time axis still runs from the first sample to the last.
    EXPECT_DOUBLE_EQ(chart.Minimum(TAxisId::Bottom), 0);
    EXPECT_DOUBLE_EQ(chart.Maximum(TAxisId::Bottom), 300);
}
