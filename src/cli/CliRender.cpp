// zirko-cli render: the flights drawn on the chart as the Graph page draws them, written as a
// picture file.
#include "cli/CliCommand.h"

#include "gui/graph/FlightPlot.h"
#include "gui/graph/GraphExport.h"
#include "gui/graph/OffscreenGraph.h"
#include "platform/files/FlightFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSize>
#include <QStringList>

#include <charconv>
#include <iostream>
#include <optional>

namespace zirko::cli {

namespace {

// The chart's size when none is asked for: a common main window's chart.
constexpr QSize kDefaultSize(1200, 800);
constexpr int kMinSide = 320;
constexpr int kMaxSide = 10000;
const QStringList kFormats{"png", "bmp", "svg", "pdf", "emf", "wmf"};

std::optional<int> ParseSide(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<QSize> ParseSize(const std::string& text)
{
    const size_t x = text.find_first_of("xX");
    if (x == std::string::npos)
        return std::nullopt;
    const auto w = ParseSide(std::string_view(text).substr(0, x));
    const auto h = ParseSide(std::string_view(text).substr(x + 1));
    if (!w || !h || *w < kMinSide || *h < kMinSide || *w > kMaxSide || *h > kMaxSide)
        return std::nullopt;
    return QSize(*w, *h);
}

int RunRender(const TArgParser& p)
{
    const std::vector<std::string>& files = p.Positional();
    const std::optional<std::string> out = p.Option("-o");
    const QString outName = QString::fromStdString(*out);
    if (IsFlightDataFile(QFile::encodeName(outName).toStdString()))
        return Fail("\"" + *out + "\" is a flight data file: a picture never replaces it.");
    if (!kFormats.contains(QFileInfo(outName).suffix().toLower()))
        return Fail("Unknown picture format of \"" + *out +
                    "\": the name must end with .png, .bmp, .svg, .pdf, .emf or .wmf.");
    QSize size = kDefaultSize;
    if (p.Flag("--size")) {
        const std::optional<std::string> text = p.Option("--size");
        const std::optional<QSize> parsed = text ? ParseSize(*text) : std::nullopt;
        if (!parsed)
            return Fail("Bad size \"" + text.value_or("") + "\": expected WxH, each side from " +
                        std::to_string(kMinSide) + " to " + std::to_string(kMaxSide) +
                        " pixels, e.g. 1200x800.");
        size = *parsed;
    }

    TOffscreenGraph graph;
    QStringList names;
    for (const std::string& file : files)
        names.push_back(QString::fromStdString(file));
    // All are read at once, but opened and reported in the order given: the first file that
    // fails is the one named.
    std::vector<TOffscreenGraph::TFileRead> reads = graph.ReadFiles(names);
    for (size_t k = 0; k < files.size(); ++k) {
        const std::string& file = files[k];
        const QStringList failure = graph.OpenRead(std::move(reads[k]));
        if (failure.isEmpty())
            continue;
        // Among many flights, the reader's message alone does not say which one it was about.
        if (files.size() > 1)
            std::cerr << "Cannot draw \"" << file << "\":" << std::endl;
        for (qsizetype i = 0; i + 1 < failure.size(); ++i)
            std::cerr << failure[i].toStdString() << std::endl;
        return Fail(failure.back().toStdString());
    }
    graph.Plot().SetClimbShown(p.Flag("--climb"));
    if (!graph.SetChartSize(size))
        return Fail("The chart cannot be drawn at " + std::to_string(size.width()) + "x" +
                    std::to_string(size.height()) + " pixels.");
    graph.Draw();
    const QString error = WriteGraphFile(graph.Source(), outName);
    if (!error.isEmpty()) {
        std::cerr << "Error by saving Graph as Image file \""
                  << QFileInfo(outName).absoluteFilePath().toStdString() << "\"!" << std::endl;
        return Fail(error.toStdString());
    }
    return 0;
}

} // namespace

ZIRKO_CLI_COMMAND(
    "render", "draws the flights on the chart, as the Graph page would with default settings",
    {"FILE", "flight data files (.zdf), drawn in the order given", true, "No flight file given."},
    {{"o", "OUT",
      "the picture to write; its extension picks the format: .png .bmp .svg .pdf .emf .wmf",
      "No output file given (-o OUT)."},
     {"size", "WxH", "the chart's size in pixels, each side from 320 to 10000 (default 1200x800)"},
     {"climb", "", "also draws each flight's climb-rate curve, on an axis of its own"}},
    RunRender);

} // namespace zirko::cli
