// The chart and the notes printed from the main window: landscape to start with, each page under
// a header line that names the flights printed with their dates.
#include "gui/app/FormMain.h"
#include "gui/shell/NotesPage.h"
#include "model/flightdata/OpenFlights.h"
#include "support/MainWindowFixture.h"
#include "support/PdfPages.h"
#include "support/TestUtil.h"

#include <QPageLayout>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

// The top margin the prints start with, in points: the header must lie inside it.
constexpr double kTopMarginPt = 12 / 25.4 * 72;

TDataBlock Flight(const char* date, double climb)
{
    TDataBlock flight;
    flight.DateText = date;
    flight.Sampling = 10;
    flight.ChannelMask = kMaskAltitude;
    for (int i = 0; i <= 600; ++i) {
        flight.Time.push_back(i * 0.1);
        flight.Altitude.push_back(i * 0.1 * climb);
    }
    return flight;
}

QToolButton* ButtonWithHint(QWidget& parent, const QString& hint)
{
    for (QToolButton* b : parent.findChildren<QToolButton*>())
        if (b->toolTip() == hint)
            return b;
    return nullptr;
}

class PrintHeaders : public TMainWindowFixture {
protected:
    void SetUp() override
    {
        TMainWindowFixture::SetUp();
        const QString first = WriteFlight("Cup/Supra_1.zdf", Flight("15.05.2026 10:00:00", 1));
        const QString second = WriteFlight("Cup/Supra_2.zdf", Flight("15.05.2026 10:07:12", 2));
        const QString hidden = WriteFlight("Cup/Hidden_3.zdf", Flight("16.05.2026 8:00:00", 3));
        StartForm(QSize(1100, 750));
        ASSERT_EQ(Form->Flights->OpenDataFile(first), 0);
        ASSERT_EQ(Form->Flights->OpenDataFile(second), 1);
        ASSERT_EQ(Form->Flights->OpenDataFile(hidden), 2);
    }

    // The one page printed into `name`; skips the test without pdftotext.
    TPdfPage PrintedPage(const QString& name)
    {
        const auto pages = ReadPdfPages(Dir.filePath(name));
        if (!pages)
            return {};
        EXPECT_EQ(pages->size(), 1u);
        return pages->empty() ? TPdfPage{} : pages->front();
    }
};

TEST_F(PrintHeaders, TheChartIsPrintedInLandscapeUnderTheShownFlightsNamesAndDates)
{
    // The third flight is open but drawn by no channel: it is not on the printed chart.
    Form->Flights->GridCheck(1, 2, false);
    Ui.PageControl->setCurrentWidget(Ui.TabGraph);
    Dialogs->PrinterFile = Dir.filePath("chart.pdf");
    Dialogs->PrinterAnswers = {true};
    QTest::mouseClick(Named<QToolButton>(*Form, "TBPrintGraph"), Qt::LeftButton);
    EXPECT_EQ(Dialogs->Errors(), QStringList());
    EXPECT_EQ(Dialogs->OfferedOrientations, std::vector<int>{QPageLayout::Landscape});
    if (!ReadPdfPages(Dialogs->PrinterFile))
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    const TPdfPage page = PrintedPage("chart.pdf");
    EXPECT_GT(page.Width, page.Height);
    const QString text = page.Text();
    EXPECT_TRUE(text.contains("Supra_1 (15.05.2026 10:00:00), Supra_2 (15.05.2026 10:07:12)"))
        << text.toStdString();
    EXPECT_FALSE(text.contains("Hidden_3"));
    const TPdfWord* name = page.Find("Supra_1");
    ASSERT_NE(name, nullptr);
    EXPECT_LT(name->Box.bottom(), kTopMarginPt);

    // Cancelled the second time: nothing printed, the printer's set-up kept for the next print.
    Dialogs->PrinterFile = Dir.filePath("again.pdf");
    QTest::mouseClick(Named<QToolButton>(*Form, "TBPrintGraph"), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(Dialogs->PrinterFile));
    EXPECT_EQ(Dialogs->OfferedOrientations.size(), 2u);
}

TEST_F(PrintHeaders, TheNotesArePrintedUnderTheCurrentFlightsNameAndDate)
{
    Form->Flights->GridChangeActualFile(1, 0);
    Ui.PageControl->setCurrentWidget(Ui.TabInfo);
    QTextEdit* notes = Named<QTextEdit>(*Ui.NotesPage, "RichEdit1");
    notes->setFocus();
    QTest::keyClicks(notes, "Thermal over the forest");
    Dialogs->PrinterFile = Dir.filePath("notes.pdf");
    Dialogs->PrinterAnswers = {true};
    QToolButton* print = ButtonWithHint(*Ui.NotesPage, "Tisk");
    ASSERT_NE(print, nullptr);
    QTest::mouseClick(print, Qt::LeftButton);
    EXPECT_EQ(Dialogs->Errors(), QStringList());
    EXPECT_EQ(Dialogs->OfferedOrientations, std::vector<int>{QPageLayout::Landscape});
    if (!ReadPdfPages(Dialogs->PrinterFile))
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    const TPdfPage page = PrintedPage("notes.pdf");
    EXPECT_GT(page.Width, page.Height);
    const QString text = page.Text();
    EXPECT_TRUE(text.startsWith("Supra_2 (15.05.2026 10:07:12)")) << text.toStdString();
    EXPECT_FALSE(text.contains("Supra_1"));
    EXPECT_TRUE(text.contains("Thermal over the forest"));
    const TPdfWord* name = page.Find("Supra_2");
    const TPdfWord* first = page.Find("Thermal");
    ASSERT_TRUE(name && first);
    EXPECT_LT(name->Box.bottom(), kTopMarginPt);
    // The notes start where they always did: at the top of the printable area.
    EXPECT_GE(first->Box.top(), kTopMarginPt - 1);
    EXPECT_LT(first->Box.top(), kTopMarginPt + 20);
}

} // namespace
