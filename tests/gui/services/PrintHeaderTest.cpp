// The header line of printed pages: in the top margin when the margin holds it, otherwise above
// the content without covering it.
#include "gui/services/PrintHeader.h"

#include <QBuffer>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <gtest/gtest.h>

using namespace zirko;

namespace {

constexpr int kDpi = 300;

double Px(double mm)
{
    return mm * kDpi / 25.4;
}

class PrintHeader : public ::testing::Test {
protected:
    void SetMarginsMm(double mm)
    {
        Writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(mm, mm, mm, mm), QPageLayout::Millimeter));
    }
    QByteArray Bytes;
    QBuffer Buffer{&Bytes};
    QPdfWriter Writer{&Buffer};

    void SetUp() override
    {
        Buffer.open(QIODevice::WriteOnly);
        Writer.setResolution(kDpi);
    }
};

TEST_F(PrintHeader, AWideMarginHoldsTheHeaderAndTheContentKeepsThePrintableArea)
{
    SetMarginsMm(12);
    const TPrintHeader header(Writer, "Supra_1 (15.05.2026 10:00:00)");
    EXPECT_TRUE(header.InMargin());
    const QRectF area = header.ContentArea();
    EXPECT_EQ(area.topLeft(), QPointF(0, 0));
    EXPECT_NEAR(area.width(), Px(297 - 24), 2);
    EXPECT_NEAR(area.height(), Px(210 - 24), 2);

    // No flight, no header: the area is the same.
    const TPrintHeader none(Writer, QString());
    EXPECT_EQ(none.ContentArea(), area);
}

TEST_F(PrintHeader, ANarrowMarginGivesTheHeaderTheTopOfThePrintableArea)
{
    for (double mm : {0.0, 3.0, 5.0}) {
        SetMarginsMm(mm);
        const TPrintHeader header(Writer, "Supra_1 (15.05.2026 10:00:00)");
        EXPECT_FALSE(header.InMargin()) << mm;
        const QRectF area = header.ContentArea();
        // Room for a line of about 9 points and a gap, and nothing lost at the bottom.
        EXPECT_GT(area.top(), Px(3)) << mm;
        EXPECT_LT(area.top(), Px(10)) << mm;
        EXPECT_EQ(area.bottom(), TPrintHeader(Writer, QString()).ContentArea().bottom()) << mm;
    }
}

TEST_F(PrintHeader, PrintsStartInLandscapeWithRoomForTheHeaderAndKeepThePaper)
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    SetHeaderedPrintDefaults(printer);
    const QPageLayout layout = printer.pageLayout();
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(layout.pageSize().id(), QPageSize::Letter);
    EXPECT_TRUE(TPrintHeader(printer, "F").InMargin());
}

} // namespace
