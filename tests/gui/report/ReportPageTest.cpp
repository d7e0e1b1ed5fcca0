// The printed pages' lines of label and value: a value a little too long for its column is read
// whole in smaller type, a much longer one is cut, nothing runs into the next column.
#include "gui/report/ReportPage.h"
#include "support/PdfPages.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

TEST(ReportPage, ValuesSlightlyTooLongShrinkAndOnlyLongOnesAreCut)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("lines.pdf");
    const QString fits = "2, 103.6 s, best 0.5 m/s";
    const QString tooLong = "12 flights in 3 folders, the longest 1430.2 s from the tow";
    QFont font = PageFont(10.5);
    const double labelWidth = 60;
    // Columns a tenth too narrow for `fits`: the next column starts right after.
    const double valueWidth = QFontMetricsF(font).horizontalAdvance(fits) * 0.9;
    {
        QPdfWriter writer(file);
        writer.setResolution(static_cast<int>(kPageUnitsPerInch));
        writer.setPageLayout(ReportPageLayout());
        QPainter painter(&writer);
        ScaleToPageUnits(painter, writer);
        painter.setFont(font);
        const QRectF box(0, 0, labelWidth + valueWidth, 200);
        DrawLabelledLines(painter, box, labelWidth,
                          {{"Climbs", fits.toStdString()}, {"Long", tooLong.toStdString()}});
        DrawLine(painter, "NEXT", box.right(), 0, 60);
    }
    const auto pages = ReadPdfPages(file);
    if (!pages)
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    ASSERT_EQ(pages->size(), 1u);
    const QString text = pages->front().Text();
    EXPECT_TRUE(text.contains(fits)) << text.toStdString();
    EXPECT_FALSE(text.contains("tow")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("\u2026"))) << text.toStdString();
    // Nothing of the values reaches into the next column.
    const TPdfWord* next = pages->front().Find("NEXT");
    ASSERT_NE(next, nullptr);
    for (const TPdfWord& w : pages->front().Words) {
        if (&w != next) {
            EXPECT_LE(w.Box.right(), next->Box.left() + 0.5) << w.Text.toStdString();
        }
    }
}
