// Copy, save and print of the chart: every format read back, the clip kept, errors shown.
#include "gui/graph/GraphExport.h"

#include "gui/services/PrintHeader.h"
#include "support/MetafileReader.h"
#include "support/PdfPages.h"
#include "support/ScriptedDialogs.h"
#include "support/TestUtil.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace zirko;
using namespace zirko::test;

namespace {

const QSize kChartSize(400, 300);
const QRect kPlot(60, 20, 320, 220);
const QColor kLineColor(0, 0, 200);

// A chart in miniature: frame, a thick line clipped to the plot, a legend ellipse and polygon,
// axis texts. It paints in its own 400 x 300 coordinates scaled into the target.
void PaintTestChart(QPainter& p, const QRect& target)
{
    p.save();
    p.translate(target.topLeft());
    p.scale(target.width() / 400.0, target.height() / 300.0);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(kPlot);
    p.save();
    p.setClipRect(kPlot);
    p.setPen(QPen(kLineColor, 5));
    // Runs from far left of the plot to far right at height 130: outside the plot it must vanish.
    p.drawLine(QPointF(0, 130), QPointF(399, 130));
    p.restore();
    p.setPen(QPen(QColor(200, 0, 0), 1));
    p.setBrush(QColor(200, 0, 0));
    p.drawEllipse(QRectF(330, 260, 20, 20));
    p.setBrush(QColor(0, 150, 0));
    p.drawPolygon(QPolygonF({QPointF(360, 280), QPointF(370, 260), QPointF(380, 280)}));
    QFont font("DejaVu Sans");
    font.setPixelSize(14);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(180, 285), "Time [s]");
    p.translate(20, 200);
    p.rotate(-90);
    p.drawText(QPointF(0, 0), "Altitude [m]");
    p.restore();
}

TChartSource TestChart()
{
    return TChartSource{PaintTestChart, kChartSize};
}

bool IsLineColour(QRgb pixel)
{
    return qBlue(pixel) > 150 && qRed(pixel) < 80 && qGreen(pixel) < 80;
}

void ExpectClippedBitmap(const QImage& image)
{
    ASSERT_EQ(image.size(), kChartSize);
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));     // white background
    EXPECT_TRUE(IsLineColour(image.pixel(200, 130)));      // the line inside the plot
    EXPECT_EQ(image.pixel(30, 130), qRgb(255, 255, 255));  // and not left of it
    EXPECT_EQ(image.pixel(395, 130), qRgb(255, 255, 255)); // nor right of it
}

void ExpectSoundMetafile(const TMetafile& file)
{
    ASSERT_EQ(file.Error, QString());
    EXPECT_TRUE(file.Texts().contains("Time [s]"));
    EXPECT_TRUE(file.Texts().contains("Altitude [m]"));
    EXPECT_EQ(file.ShapesOf(TMetaShape::TKind::Ellipse).size(), 1u);
    EXPECT_EQ(file.ShapesOf(TMetaShape::TKind::Polygon).size(), 1u);
    bool sawLine = false;
    for (const TMetaShape* line : file.ShapesOf(TMetaShape::TKind::Polyline)) {
        if (line->Pen && line->Pen->Width == 5) {
            sawLine = true;
            EXPECT_EQ(line->Clip, kPlot);
        }
    }
    EXPECT_TRUE(sawLine);
}

class GraphExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Scripted = &InstallScriptedDialogs();
    }

    QString Path(const QString& name) const { return Dir.filePath(name); }

    QTemporaryDir Dir;
    TScriptedDialogs* Scripted = nullptr;
};

} // namespace

TEST(GraphFormat, OnlyTheLastThreeCharactersInLowerCaseCount)
{
    EXPECT_EQ(GraphFormatOf("flight.EMF"), TGraphFormat::Emf);
    EXPECT_EQ(GraphFormatOf("/data/x.wmf"), TGraphFormat::Wmf);
    EXPECT_EQ(GraphFormatOf("a.Png"), TGraphFormat::Png);
    EXPECT_EQ(GraphFormatOf("b.svg"), TGraphFormat::Svg);
    EXPECT_EQ(GraphFormatOf("c.PDF"), TGraphFormat::Pdf);
    EXPECT_EQ(GraphFormatOf("flight.jpeg"), TGraphFormat::Bitmap);
    EXPECT_EQ(GraphFormatOf("flight.bmp"), TGraphFormat::Bitmap);
    EXPECT_EQ(GraphFormatOf("flightemf"), TGraphFormat::Emf);
}

TEST_F(GraphExport, MetafilesHoldTheDrawingClippedToThePlot)
{
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.EMF")));
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.wmf")));
    EXPECT_TRUE(Scripted->Log.isEmpty());
    const TMetafile emf = ReadEmf(ReadBytes(Path("flight.EMF")));
    ExpectSoundMetafile(emf);
    EXPECT_EQ(emf.Device, kChartSize);
    const TMetafile wmf = ReadWmf(ReadBytes(Path("flight.wmf")));
    ExpectSoundMetafile(wmf);
    EXPECT_EQ(wmf.BoundingBox.bottomRight(), QPoint(400, 300));
}

TEST_F(GraphExport, BitmapsShowTheChartOnWhite)
{
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.bmp")));
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.jpeg")));
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.png")));
    EXPECT_TRUE(ReadBytes(Path("flight.bmp")).startsWith("BM"));
    EXPECT_TRUE(ReadBytes(Path("flight.jpeg")).startsWith("BM")); // unknown ending: a bitmap
    EXPECT_TRUE(ReadBytes(Path("flight.png")).startsWith("\x89PNG"));
    ExpectClippedBitmap(QImage(Path("flight.bmp"), "BMP").convertToFormat(QImage::Format_RGB32));
    ExpectClippedBitmap(QImage(Path("flight.png"), "PNG").convertToFormat(QImage::Format_RGB32));
}

TEST_F(GraphExport, SvgIsClippedLikeTheScreen)
{
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.svg")));
    const QByteArray svg = ReadBytes(Path("flight.svg"));
    EXPECT_TRUE(svg.contains("Time [s]"));
    EXPECT_TRUE(svg.contains("Altitude [m]"));
    QSvgRenderer renderer(Path("flight.svg"));
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.viewBox(), QRect(QPoint(0, 0), kChartSize));
    QImage image(kChartSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    ExpectClippedBitmap(image);
}

TEST_F(GraphExport, PdfIsOnePageWithTheTexts)
{
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("flight.pdf")));
    EXPECT_TRUE(ReadBytes(Path("flight.pdf")).startsWith("%PDF"));
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils): texts not checked";
    QProcess process;
    process.start(pdftotext, {Path("flight.pdf"), "-"});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString text = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(text.contains("Time [s]")) << text.toStdString();
    EXPECT_TRUE(text.contains("Altitude [m]"));
}

TEST_F(GraphExport, AnExistingFileIsReplacedWithoutAQuestion)
{
    ASSERT_TRUE(WriteBytes(Path("old.emf"), "not a picture"));
    ASSERT_TRUE(SaveGraph(nullptr, TestChart(), Path("old.emf")));
    EXPECT_TRUE(Scripted->Log.isEmpty());
    EXPECT_EQ(ReadEmf(ReadBytes(Path("old.emf"))).Error, QString());
}

TEST_F(GraphExport, AFailedSaveNamesTheFullPathAndKeepsNothingHalfWritten)
{
    // As root a read-only folder is still writable: a missing folder and a file standing in for
    // a folder fail for everybody.
    const QString missing = Path("no such folder/flight.bmp");
    EXPECT_FALSE(SaveGraph(nullptr, TestChart(), missing));
    ASSERT_TRUE(WriteBytes(Path("blocker"), "x"));
    const QString blocked = Path("blocker/flight.wmf");
    EXPECT_FALSE(SaveGraph(nullptr, TestChart(), blocked));
    const QStringList errors = Scripted->Errors();
    ASSERT_EQ(errors.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QString name = i == 0 ? missing : blocked;
        const QString head = "Error by saving Graph as Image file \"" + name + "\"!\n";
        EXPECT_TRUE(errors[i].startsWith(head)) << errors[i].toStdString();
        EXPECT_GT(errors[i].size(), head.size()); // followed by the system's reason
    }
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList({"blocker"}));
}

TEST_F(GraphExport, SaveDialogCompletesTheNameAndCancelDoesNothing)
{
    EXPECT_EQ(ExecuteSaveGraph(nullptr, TestChart(), Dir.path()), QString());
    EXPECT_TRUE(QDir(Dir.path()).isEmpty());

    Scripted->FileNames.push_back(Path("flight"));
    EXPECT_EQ(ExecuteSaveGraph(nullptr, TestChart(), Dir.path()), Path("flight.bmp"));
    EXPECT_TRUE(ReadBytes(Path("flight.bmp")).startsWith("BM"));
    EXPECT_EQ(Scripted->Errors(), QStringList());
    EXPECT_EQ(Scripted->Log.last(), "save: Save Graph as Image");
}

TEST_F(GraphExport, ANameWithoutEndingTakesTheChosenType)
{
    EXPECT_EQ(PictureFileName("/d/flight", "PNG (*.png)"), "/d/flight.png");
    EXPECT_EQ(PictureFileName("/d/flight.", "Enhanced Metafiles (*.emf)"), "/d/flight.emf");
    EXPECT_EQ(PictureFileName("/d.x/flight", ""), "/d.x/flight.bmp");
    // A typed ending counts, whatever type was chosen.
    EXPECT_EQ(PictureFileName("/d/flight.EMF", "PNG (*.png)"), "/d/flight.EMF");
    EXPECT_EQ(PictureFileName("/d/flight.jpeg", "SVG (*.svg)"), "/d/flight.jpeg");

    const QStringList types = QString(kPictureFilter).split(";;");
    for (const QString& type : types) {
        Scripted->FileNames.push_back(Path("chart"));
        Scripted->Filters.push_back(type);
        const QString written = ExecuteSaveGraph(nullptr, TestChart(), Dir.path());
        ASSERT_FALSE(written.isEmpty()) << type.toStdString();
        const QByteArray bytes = ReadBytes(written);
        switch (GraphFormatOf(written)) {
        case TGraphFormat::Png:
            EXPECT_TRUE(bytes.startsWith("\x89PNG")) << type.toStdString();
            break;
        case TGraphFormat::Pdf:
            EXPECT_TRUE(bytes.startsWith("%PDF")) << type.toStdString();
            break;
        case TGraphFormat::Svg:
            EXPECT_TRUE(bytes.contains("<svg")) << type.toStdString();
            break;
        case TGraphFormat::Emf:
            EXPECT_EQ(ReadEmf(bytes).Error, QString()) << type.toStdString();
            break;
        case TGraphFormat::Wmf:
            EXPECT_EQ(ReadWmf(bytes).Error, QString()) << type.toStdString();
            break;
        case TGraphFormat::Bitmap:
            EXPECT_TRUE(bytes.startsWith("BM")) << type.toStdString();
            break;
        }
    }
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), types.size());
    EXPECT_TRUE(Scripted->Errors().isEmpty());
}

TEST_F(GraphExport, AnExistingFileIsReplacedOnlyAfterAYesAndAFlightNever)
{
    ASSERT_TRUE(WriteBytes(Path("old.png"), "keep me"));
    Scripted->FileNames = {Path("old"), Path("old")};
    Scripted->Filters = {"PNG (*.png)", "PNG (*.png)"};
    Scripted->Answers = {TAnswer::No, TAnswer::Yes};
    EXPECT_EQ(ExecuteSaveGraph(nullptr, TestChart(), Dir.path()), QString());
    EXPECT_EQ(ReadBytes(Path("old.png")), "keep me");
    ASSERT_EQ(Scripted->Defaults, std::vector<TAnswer>{TAnswer::No}); // Enter keeps the file
    EXPECT_EQ(Scripted->Log.last(),
              "ask: \"" + Path("old.png") + "\" already exists. Do you want to replace it?");
    EXPECT_EQ(ExecuteSaveGraph(nullptr, TestChart(), Dir.path()), Path("old.png"));
    EXPECT_TRUE(ReadBytes(Path("old.png")).startsWith("\x89PNG"));

    // A flight file, by its ending or by what it holds, is never replaced, and nobody is asked.
    const QByteArray flight = "<Header>\r\nDate=9.12.2026\r\n";
    ASSERT_TRUE(WriteBytes(Path("Flight0012.zdf"), flight));
    ASSERT_TRUE(WriteBytes(Path("renamed.bmp"), flight));
    Scripted->Log.clear();
    Scripted->Answers = {TAnswer::Yes, TAnswer::Yes, TAnswer::Yes};
    Scripted->FileNames = {Path("Flight0012.zdf"), Path("renamed"), Path("new.ZDF")};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ExecuteSaveGraph(nullptr, TestChart(), Dir.path()), QString());
    EXPECT_EQ(ReadBytes(Path("Flight0012.zdf")), flight);
    EXPECT_EQ(ReadBytes(Path("renamed.bmp")), flight);
    EXPECT_FALSE(QFile::exists(Path("new.ZDF")));
    EXPECT_TRUE(Scripted->Log.filter("ask: ").isEmpty());
    ASSERT_EQ(Scripted->Errors().size(), 3);
    EXPECT_EQ(Scripted->Errors()[0], "\"" + Path("Flight0012.zdf") +
                                         "\" is a flight data file. A picture never replaces it: "
                                         "choose another name.");
}

TEST_F(GraphExport, CopyPutsTheBitmapOnTheClipboard)
{
    QGuiApplication::clipboard()->clear();
    CopyGraphToClipboard(TestChart());
    ExpectClippedBitmap(
        QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32));
}

TEST_F(GraphExport, PrintingGivesOnePageAndCancelPrintsNothing)
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("cancelled.pdf"));
    EXPECT_FALSE(PrintGraph(nullptr, printer, TestChart()));
    EXPECT_FALSE(QFile::exists(Path("cancelled.pdf")));

    printer.setOutputFileName(Path("printed.pdf"));
    Scripted->PrinterAnswers.push_back(true);
    ASSERT_TRUE(PrintGraph(nullptr, printer, TestChart()));
    const QByteArray pdf = ReadBytes(Path("printed.pdf"));
    ASSERT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              1);
    EXPECT_EQ(Scripted->Errors(), QStringList());
}

TEST_F(GraphExport, APrinterThatCannotStartShowsThePrintingError)
{
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("no such folder/printed.pdf"));
    Scripted->PrinterAnswers.push_back(true);
    EXPECT_FALSE(PrintGraph(nullptr, printer, TestChart()));
    ASSERT_EQ(Scripted->Errors().size(), 1);
    EXPECT_TRUE(Scripted->Errors().first().startsWith("Error by printing Graph!\n"));
}

TEST_F(GraphExport, APrintedChartFitsALandscapePageUnderItsHeader)
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    SetHeaderedPrintDefaults(printer);
    printer.setOutputFileName(Path("headed.pdf"));
    Scripted->PrinterAnswers.push_back(true);
    const QString header = "Supra_1 (15.05.2026 10:00:00), Supra_2 (15.05.2026 10:07:12)";
    ASSERT_TRUE(PrintGraph(nullptr, printer, TestChart(), header));
    const auto pages = ReadPdfPages(Path("headed.pdf"));
    if (!pages)
        GTEST_SKIP() << "pdftotext is not installed (package poppler-utils)";
    ASSERT_EQ(pages->size(), 1u);
    const TPdfPage& page = pages->front();
    EXPECT_NEAR(page.Width, 842, 1);
    EXPECT_NEAR(page.Height, 595, 1);
    EXPECT_TRUE(page.Text().contains(header)) << page.Text().toStdString();
    // The header in the 12 mm top margin, the chart below it down to the bottom margin: its
    // height (300 of 400 wide) limits it on a landscape page.
    const double margin = 12 / 25.4 * 72;
    const TPdfWord* name = page.Find("Supra_1");
    const TPdfWord* time = page.Find("Time");
    ASSERT_TRUE(name && time);
    EXPECT_LT(name->Box.bottom(), margin);
    const double chartHeight = page.Height - 2 * margin;
    EXPECT_NEAR(time->Box.bottom(), margin + chartHeight * 290 / 300, chartHeight * 0.03);

    // Six flights do not fit at the header's size: smaller type keeps every name. The printer is
    // the one of the first print, as the Graph page keeps it: the header sits as it did.
    QStringList six;
    for (int i = 1; i <= 6; ++i)
        six << QString("Supra_%1 (15.05.2026 10:0%1:00)").arg(i);
    printer.setOutputFileName(Path("six.pdf"));
    Scripted->PrinterAnswers.push_back(true);
    ASSERT_TRUE(PrintGraph(nullptr, printer, TestChart(), six.join(", ")));
    const TPdfPage again = ReadPdfPages(Path("six.pdf"))->front();
    for (int i = 1; i <= 6; ++i)
        EXPECT_TRUE(again.Text().contains(QString("Supra_%1").arg(i)))
            << again.Text().toStdString();
    const TPdfWord* first = again.Find("Supra_1");
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->Box.left(), name->Box.left(), 1);
    EXPECT_LT(first->Box.bottom(), margin);
    EXPECT_LT(first->Box.height(), name->Box.height());
}
