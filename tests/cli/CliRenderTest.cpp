// zirko-cli render: flights drawn as the Graph page draws them, in every picture format, and the
// failures that must leave the output alone.
#include "gui/graph/Chart.h"
#include "gui/graph/FlightPlot.h"
#include "gui/graph/GraphExport.h"
#include "gui/graph/GraphPage.h"
#include "gui/graph/OffscreenGraph.h"
#include "platform/files/FlightFile.h"
#include "support/MetafileReader.h"
#include "support/ProcessRun.h"
#include "support/TestUtil.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <cmath>

using namespace zirko;
using namespace zirko::test;

namespace {

struct TRun {
    int Code;
    QString LastErrorLine;
    QStringList ErrorLines;
};

TRun RunCli(const QStringList& args)
{
    const TProcessRun p = RunProcess(QString::fromUtf8(ZIRKO_CLI_PATH), args,
                                     QProcessEnvironment::systemEnvironment(), 120000);
    const QStringList err = QString::fromUtf8(p.Err).split('\n', Qt::SkipEmptyParts);
    return {p.Code, err.isEmpty() ? QString() : err.back(), err};
}

// A flight of 20000 samples (many per pixel column) with altitude, servo and voltage.
QString WriteFlight(const QTemporaryDir& dir, const QString& name, double phase)
{
    TDataBlock f;
    f.DateText = "1.2.2024 10:00:00";
    f.Sampling = 10;
    f.ChannelMask = kMaskAltitude | kMaskRx | kMaskVoltage;
    const size_t n = 20000;
    for (size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) * 0.1;
        f.Time.push_back(t);
        f.Altitude.push_back(100 + 60 * std::sin(t / 90 + phase) + 2 * std::sin(t * 3));
        f.Rx.push_back(40 * std::sin(t / 7));
        f.Voltage.push_back(4.8 - t * 1e-5);
    }
    const QString path = dir.filePath(name);
    EXPECT_TRUE(WriteDataFile(path.toStdString(), f).Ok());
    return path;
}

// Pixels near a flight colour: the first flight is drawn blue, the second red.
int CountNear(const QImage& image, QRgb colour, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) < 60 &&
                std::abs(qGreen(p) - qGreen(colour)) < 60 &&
                std::abs(qBlue(p) - qBlue(colour)) < 60)
                ++count;
        }
    return count;
}

void ExpectBothFlightsDrawn(const QImage& image, const QSize& size)
{
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), size);
    const QRect inner(size.width() / 4, size.height() / 8, size.width() / 2, size.height() * 3 / 4);
    EXPECT_GT(CountNear(image, qRgb(0, 0, 255), inner), 50);
    EXPECT_GT(CountNear(image, qRgb(255, 0, 0), inner), 50);
}

// Metafile polylines drawn in a GDI colour reference (0x00BBGGRR).
int PolylinesIn(const TMetafile& file, uint32_t colorRef)
{
    int n = 0;
    for (const TMetaShape* line : file.ShapesOf(TMetaShape::TKind::Polyline))
        n += line->Pen && line->Pen->Color == colorRef;
    return n;
}

void ExpectChartMetafile(const TMetafile& file)
{
    ASSERT_EQ(file.Error, QString());
    const QStringList texts = file.Texts();
    EXPECT_TRUE(texts.contains("Altitude (m)"));
    EXPECT_TRUE(texts.contains("Time (sec)"));
    // The legend is hidden by default: no series title shows.
    for (const QString& t : texts)
        EXPECT_FALSE(t.contains("(Alt)")) << t.toStdString();
    EXPECT_GT(PolylinesIn(file, 0xFF0000u), 0); // blue
    EXPECT_GT(PolylinesIn(file, 0x0000FFu), 0); // red
}

} // namespace

TEST(CliRender, EveryFormatIsWrittenAtTheAskedSize)
{
    QTemporaryDir dir;
    const QString a = WriteFlight(dir, "first.zdf", 0);
    const QString b = WriteFlight(dir, "second.zdf", 2);
    const QSize size(640, 480);
    for (const char* ext : {"png", "bmp", "svg", "pdf", "emf", "wmf"}) {
        const QString out = dir.filePath(QString("chart.") + ext);
        const TRun run = RunCli({"render", a, b, "-o", out, "--size", "640x480"});
        ASSERT_EQ(0, run.Code) << ext << ": " << run.LastErrorLine.toStdString();
    }

    const QImage png(dir.filePath("chart.png"), "PNG");
    ExpectBothFlightsDrawn(png, size);
    const QImage bmp(dir.filePath("chart.bmp"), "BMP");
    ExpectBothFlightsDrawn(bmp, size);
    EXPECT_EQ(png.convertToFormat(QImage::Format_RGB32), bmp.convertToFormat(QImage::Format_RGB32));

    const QByteArray svg = ReadBytes(dir.filePath("chart.svg"));
    EXPECT_TRUE(svg.startsWith("<?xml")) << svg.left(40).toStdString();
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 640 480\""));
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    QImage drawn(size, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        renderer.render(&painter);
    }
    ExpectBothFlightsDrawn(drawn, size);

    const QByteArray pdf = ReadBytes(dir.filePath("chart.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    const QRegularExpressionMatch box =
        QRegularExpression(R"(/MediaBox \[0 0 ([0-9.]+) ([0-9.]+)\])")
            .match(QString::fromLatin1(pdf));
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble() / box.captured(2).toDouble(), 640.0 / 480.0, 0.01);

    const TMetafile emf = ReadEmf(ReadBytes(dir.filePath("chart.emf")));
    ExpectChartMetafile(emf);
    EXPECT_EQ(emf.Device, size);
    const TMetafile wmf = ReadWmf(ReadBytes(dir.filePath("chart.wmf")));
    ExpectChartMetafile(wmf);
    EXPECT_EQ(wmf.BoundingBox.bottomRight(), QPoint(640, 480));
}

TEST(CliRender, DefaultSizeAndReplacingAnOlderPicture)
{
    QTemporaryDir dir;
    const QString a = WriteFlight(dir, "only.zdf", 1);
    const QString out = dir.filePath("chart.png");
    ASSERT_TRUE(WriteBytes(out, "old picture"));
    const TRun run = RunCli({"render", a, "-o", out});
    ASSERT_EQ(0, run.Code) << run.LastErrorLine.toStdString();
    const QImage image(out, "PNG");
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(1200, 800));
    EXPECT_GT(CountNear(image, qRgb(0, 0, 255), image.rect()), 200);
    EXPECT_EQ(CountNear(image, qRgb(255, 0, 0), image.rect()), 0);
}

TEST(CliRender, ClimbDrawsTheClimbCurvesOnTheirOwnAxis)
{
    QTemporaryDir dir;
    const QString a = WriteFlight(dir, "first.zdf", 0);
    const QString b = WriteFlight(dir, "second.zdf", 2);
    const QSize size(640, 480);
    for (const char* name : {"plain.png", "climb.png", "climb.svg"}) {
        QStringList args{"render", a, b, "-o", dir.filePath(name), "--size", "640x480"};
        if (QString(name).startsWith("climb"))
            args << "--climb";
        const TRun run = RunCli(args);
        ASSERT_EQ(0, run.Code) << name << ": " << run.LastErrorLine.toStdString();
    }
    const QImage plain(dir.filePath("plain.png"), "PNG");
    const QImage climb(dir.filePath("climb.png"), "PNG");
    ExpectBothFlightsDrawn(climb, size);
    // The climb curves, in the flights' colours lightened, cover more of the plot (the later
    // flight's on top).
    const QRect inner(size.width() / 8, size.height() / 8, size.width() / 2, size.height() * 3 / 4);
    auto lightened = [&inner](const QImage& image) {
        return CountNear(image, qRgb(0x80, 0x80, 0xFF), inner) +
               CountNear(image, qRgb(0xFF, 0x80, 0x80), inner);
    };
    EXPECT_GT(lightened(climb), lightened(plain) + 1000);
    EXPECT_GT(CountNear(climb, qRgb(0xFF, 0x80, 0x80), inner),
              CountNear(plain, qRgb(0xFF, 0x80, 0x80), inner));
    const QByteArray svg = ReadBytes(dir.filePath("climb.svg"));
    EXPECT_TRUE(svg.contains("Climb (m/s)"));

    // The same picture as the page draws with its switch on.
    TOffscreenGraph graph;
    ASSERT_TRUE(graph.OpenFile(a).isEmpty());
    ASSERT_TRUE(graph.OpenFile(b).isEmpty());
    graph.Plot().SetClimbShown(true);
    ASSERT_TRUE(graph.SetChartSize(size));
    graph.Draw();
    const TChart& chart = graph.Plot().Chart();
    EXPECT_TRUE(chart.AxisVisible(TAxisId::Climb));
    EXPECT_EQ(chart.Minimum(TAxisId::Climb), -chart.Maximum(TAxisId::Climb));
    EXPECT_EQ(RenderGraphImage(graph.Source()).convertToFormat(QImage::Format_RGB32),
              climb.convertToFormat(QImage::Format_RGB32));
}

TEST(CliRender, FailuresNameTheFaultAndWriteNothing)
{
    QTemporaryDir dir;
    const QString good = WriteFlight(dir, "good.zdf", 0);
    const QString garbage = dir.filePath("garbage.zdf");
    ASSERT_TRUE(WriteBytes(garbage, "this is no flight\r\n"));
    const QString out = dir.filePath("chart.png");
    // A file that cannot be read fails as the other commands reading it do.
    const QString unreadable = RunCli({"info", garbage}).LastErrorLine;
    ASSERT_FALSE(unreadable.isEmpty());

    struct TCase {
        QStringList Args;
        QString Message; // the start of the last stderr line
    };
    // A command line that cannot be run: exit 2, the message first, then the usage.
    const std::vector<TCase> usageErrors{
        {{"render", good}, "No output file given"},
        {{"render", good, "-o"}, "zirko-cli render: Missing value after '-o'."},
        {{"render", good, "-o", out, "--size"}, "zirko-cli render: Missing value after '--size'."},
        {{"render", good, "-o", out, "--colour", "red"},
         "zirko-cli render: Unknown option 'colour'."},
        {{"render", "-o", out}, "No flight file given."},
    };
    for (const TCase& c : usageErrors) {
        const TRun run = RunCli(c.Args);
        EXPECT_EQ(2, run.Code) << c.Args.join(' ').toStdString();
        ASSERT_FALSE(run.ErrorLines.isEmpty());
        EXPECT_TRUE(run.ErrorLines.front().startsWith(c.Message))
            << c.Args.join(' ').toStdString() << " -> " << run.ErrorLines.front().toStdString();
        EXPECT_TRUE(run.LastErrorLine.contains("zirko-cli render --help"));
        EXPECT_FALSE(QFile::exists(out)) << c.Args.join(' ').toStdString();
    }
    const std::vector<TCase> cases{
        {{"render", good, "-o", dir.filePath("chart.jpg")}, "Unknown picture format"},
        {{"render", good, "-o", dir.filePath("chart")}, "Unknown picture format"},
        {{"render", good, "-o", out, "--size", "1200"}, "Bad size \"1200\""},
        {{"render", good, "-o", out, "--size", "axb"}, "Bad size"},
        {{"render", good, "-o", out, "--size", "0x0"}, "Bad size"},
        {{"render", good, "-o", out, "--size", "-640x480"}, "Bad size"},
        {{"render", good, "-o", out, "--size", "640x480x2"}, "Bad size"},
        {{"render", good, "-o", out, "--size", "100x100"}, "Bad size"},
        {{"render", good, "-o", out, "--size", "99999x480"}, "Bad size"},
        {{"render", good, garbage, "-o", out}, unreadable},
        {{"render", dir.filePath("missing.zdf"), "-o", out}, "Error in reading file."},
    };
    for (const TCase& c : cases) {
        const TRun run = RunCli(c.Args);
        EXPECT_EQ(1, run.Code) << c.Args.join(' ').toStdString();
        EXPECT_TRUE(run.LastErrorLine.startsWith(c.Message))
            << c.Args.join(' ').toStdString() << " -> " << run.LastErrorLine.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << c.Args.join(' ').toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), 2);

    // Among many flights, the failure says which one could not be drawn.
    const TRun many = RunCli({"render", good, garbage, "-o", out});
    EXPECT_EQ(1, many.Code);
    EXPECT_TRUE(many.ErrorLines.contains("Cannot draw \"" + garbage + "\":"))
        << many.ErrorLines.join('|').toStdString();
    EXPECT_EQ(many.LastErrorLine, unreadable);
    // The files are read side by side, but only the first that fails in the order given is told.
    const QString missing = dir.filePath("missing.zdf");
    for (const QStringList& order :
         {QStringList{good, garbage, missing, good}, QStringList{good, missing, garbage, good}}) {
        const TRun run = RunCli(QStringList{"render"} + order + QStringList{"-o", out});
        EXPECT_EQ(1, run.Code);
        EXPECT_EQ(run.ErrorLines.filter("Cannot draw").size(), 1);
        EXPECT_TRUE(run.ErrorLines.contains("Cannot draw \"" + order[1] + "\":"))
            << run.ErrorLines.join('|').toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }

    // A failed render leaves an existing picture as it was.
    ASSERT_TRUE(WriteBytes(out, "old picture"));
    EXPECT_EQ(1, RunCli({"render", garbage, "-o", out}).Code);
    EXPECT_EQ(ReadBytes(out), QByteArray("old picture"));

    const TRun noFolder = RunCli({"render", good, "-o", dir.filePath("none/chart.png")});
    EXPECT_EQ(1, noFolder.Code);
    EXPECT_FALSE(noFolder.LastErrorLine.isEmpty());
    EXPECT_FALSE(QDir(dir.filePath("none")).exists());
}

// A picture never replaces a flight: a flight file under any name stays byte for byte.
TEST(CliRender, NeverWritesOntoAFlightFile)
{
    QTemporaryDir dir;
    const QString good = WriteFlight(dir, "good.zdf", 0);
    const QByteArray flight = ReadBytes(good);
    const QString disguised = dir.filePath("flight.png");
    ASSERT_TRUE(WriteBytes(disguised, flight));
    for (const QString& target : {good, disguised, dir.filePath("new.ZDF")}) {
        const TRun run = RunCli({"render", good, "-o", target, "--size", "400x320"});
        EXPECT_EQ(1, run.Code) << target.toStdString();
        EXPECT_TRUE(run.LastErrorLine.contains("is a flight data file"))
            << run.LastErrorLine.toStdString();
    }
    EXPECT_EQ(ReadBytes(good), flight);
    EXPECT_EQ(ReadBytes(disguised), flight);
    EXPECT_FALSE(QFile::exists(dir.filePath("new.ZDF")));
    // Any other existing file is replaced as before.
    const QString other = dir.filePath("other.png");
    ASSERT_TRUE(WriteBytes(other, "<Head not quite"));
    EXPECT_EQ(0, RunCli({"render", good, "-o", other, "--size", "400x320"}).Code);
    EXPECT_TRUE(ReadBytes(other).startsWith("\x89PNG"));
}

// The scene behind the command opens flights as the main window does and sizes the chart exactly.
TEST(OffscreenGraph, OpensFlightsAsTheMainWindowDoes)
{
    QTemporaryDir dir;
    TOffscreenGraph graph;
    EXPECT_TRUE(graph.OpenFile(WriteFlight(dir, "one.zdf", 0)).isEmpty());
    EXPECT_TRUE(graph.OpenFile(WriteFlight(dir, "two.zdf", 1)).isEmpty());
    const QStringList failure = graph.OpenFile(dir.filePath("absent.zdf"));
    EXPECT_EQ(failure, QStringList{"Error in reading file."});
    ASSERT_EQ(graph.Host().FlightCount(), 2);
    EXPECT_EQ(graph.Host().FlightName(1), "two");
    const TFlightPlot& plot = graph.Plot();
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(graph.Host().ChannelState(1, row), TChannelState::On);
        EXPECT_TRUE(plot.SeriesOf(row, kSlotAltitude)->Active());
        for (int slot : {kSlotServo, kSlotVoltage, kSlotMarker, kSlotAnnotation})
            EXPECT_FALSE(plot.SeriesOf(row, slot)->Active()) << row << " " << slot;
    }
    EXPECT_FALSE(plot.Chart().LegendVisible());

    for (const QSize size : {QSize(1200, 800), QSize(320, 320), QSize(2500, 1400)}) {
        ASSERT_TRUE(graph.SetChartSize(size)) << size.width() << "x" << size.height();
        EXPECT_EQ(graph.ChartSize(), size);
        graph.Draw();
        EXPECT_EQ(graph.Source().Size, size);
    }
    EXPECT_FALSE(graph.SetChartSize(QSize(0, 0)));
}

// The Graph page shows, pixel for pixel, the picture zirko-cli render draws of the same flights
// at the page's chart size, also once the page's Climb button has switched the climb curves on.
TEST(CliRender, DrawsWhatTheGraphPageShows)
{
    QTemporaryDir dir;
    const QStringList files{WriteFlight(dir, "first.zdf", 0), WriteFlight(dir, "second.zdf", 2)};
    TOffscreenGraphHost host(TOptions(), TOffscreenGraph::DefaultSettings());
    TGraphPage page(host);
    // As the main window leaves the page after reading its settings.
    page.Plot().SetLegendShown(host.Options.TBShowLegend);
    page.Plot().ChangeGraphSettings();
    page.resize(1000, 720);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    for (const QString& file : files) {
        TOffscreenGraph::TFileRead read =
            TOffscreenGraph::ReadFile(file, host.Options.MarkerThreshold);
        ASSERT_TRUE(read.Flight) << read.Failure.join(' ').toStdString();
        host.OpenFlight(page.Plot(), std::move(read.Flight), read.Name);
    }
    TChart& chart = *Named<TChart>(page, "Chart1");
    // What the page's Copy and Save take.
    auto pagePicture = [&chart] {
        for (int k = 0; k < 3; ++k)
            QApplication::processEvents();
        TChartSource source;
        source.Size = chart.size();
        source.Render = [&chart](QPainter& painter, const QRect& target) {
            chart.RenderTo(painter, target);
        };
        return RenderGraphImage(source).convertToFormat(QImage::Format_RGB32);
    };
    for (const bool climb : {false, true}) {
        if (climb)
            QTest::mouseClick(Named<QToolButton>(page, "TBClimb"), Qt::LeftButton);
        const QImage shown = pagePicture();
        ASSERT_GE(shown.width(), 320);
        ASSERT_GE(shown.height(), 320);
        const QString out = dir.filePath(climb ? "climb.png" : "plain.png");
        QStringList args{"render",
                         files[0],
                         files[1],
                         "-o",
                         out,
                         "--size",
                         QString("%1x%2").arg(shown.width()).arg(shown.height())};
        if (climb)
            args << "--climb";
        const TRun run = RunCli(args);
        ASSERT_EQ(0, run.Code) << run.LastErrorLine.toStdString();
        const QImage rendered = QImage(out, "PNG").convertToFormat(QImage::Format_RGB32);
        ExpectBothFlightsDrawn(rendered, shown.size());
        EXPECT_TRUE(rendered == shown) << (climb ? "with" : "without") << " climb curves";
    }
}
