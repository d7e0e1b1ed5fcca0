#include "core/import/FlightImport.h"

#include "core/app/NumberFormat.h"
#include "core/import/IgcFile.h"
#include "core/import/ImportRows.h"
#include "core/import/TelemetryCsv.h"

#include <algorithm>
#include <cstdio>

namespace zirko {

std::string ImportFormatText(TImportFormat format)
{
    switch (format) {
    case TImportFormat::Csv:
        return "telemetry CSV";
    case TImportFormat::Igc:
        return "IGC";
    case TImportFormat::Auto:
        break;
    }
    return "auto";
}

std::optional<TImportFormat> ParseImportFormat(std::string_view word)
{
    if (word == "auto")
        return TImportFormat::Auto;
    if (word == "csv")
        return TImportFormat::Csv;
    if (word == "igc")
        return TImportFormat::Igc;
    return std::nullopt;
}

namespace {

std::string_view Ending(std::string_view fileName)
{
    const size_t dot = fileName.find_last_of("./\\");
    return dot == std::string_view::npos || fileName[dot] != '.' ? std::string_view{}
                                                                 : fileName.substr(dot);
}

} // namespace

bool IsImportSource(std::string_view fileName)
{
    const std::string_view ending = Ending(fileName);
    return SameName(ending, ".csv") || SameName(ending, ".igc");
}

TImportFormat DetectImportFormat(std::string_view fileName, std::string_view content)
{
    const std::string_view ending = Ending(fileName);
    if (SameName(ending, ".igc"))
        return TImportFormat::Igc;
    if (SameName(ending, ".csv"))
        return TImportFormat::Csv;
    // An IGC file opens with the A record of its recorder's maker.
    const std::string_view first = content.substr(0, content.find('\n'));
    if (!first.empty() && first.front() == 'A' && first.find_first_of(",;\t") == std::string::npos)
        return TImportFormat::Igc;
    return TImportFormat::Csv;
}

TColumnChoiceParse ParseColumnChoice(std::string_view text)
{
    TColumnChoiceParse parse;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        const size_t equals = item.find('=');
        const std::string_view key = TrimField(item.substr(0, equals));
        std::optional<std::string>* target = key == "altitude"  ? &parse.Choice.Altitude
                                             : key == "servo"   ? &parse.Choice.Servo
                                             : key == "voltage" ? &parse.Choice.Voltage
                                                                : nullptr;
        if (equals == std::string_view::npos || target == nullptr) {
            parse.Error = "The column choice \"" + std::string(item) +
                          "\" is not altitude=COL, servo=COL or voltage=COL.";
            return parse;
        }
        *target = std::string(TrimField(item.substr(equals + 1)));
    }
    return parse;
}

std::string FormatColumnChoice(const TColumnChoice& choice)
{
    std::string text;
    const std::pair<const char*, const std::optional<std::string>*> items[] = {
        {"altitude", &choice.Altitude}, {"servo", &choice.Servo}, {"voltage", &choice.Voltage}};
    for (const auto& [key, value] : items) {
        if (!value->has_value())
            continue;
        if (!text.empty())
            text += ",";
        text += std::string(key) + "=" + **value;
    }
    return text;
}

TImportResult ParseImport(std::string_view content, std::string_view fileName, TImportFormat format,
                          const TColumnChoice& choice)
{
    if (format == TImportFormat::Auto)
        format = DetectImportFormat(fileName, content);
    return format == TImportFormat::Igc ? ParseIgcFile(content, fileName, choice)
                                        : ParseTelemetryCsv(content, fileName, choice);
}

std::string ImportedStartText(const TImportedFlight& flight)
{
    const int64_t seconds = flight.StartMilliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return flight.StartDate.empty() ? std::string(text) : flight.StartDate + " " + text;
}

std::string ImportedColumnsText(const TImportResult& source, const TImportedFlight* flight)
{
    std::string text;
    const struct {
        const char* Channel;
        const std::string* Column;
        const std::vector<double>* Values;
    } used[] = {{"altitude", &source.AltitudeColumn, flight ? &flight->Altitude : nullptr},
                {"servo", &source.ServoColumn, flight ? &flight->Servo : nullptr},
                {"voltage", &source.VoltageColumn, flight ? &flight->Voltage : nullptr}};
    for (const auto& [channel, column, values] : used) {
        if (column->empty() || (values && values->empty()))
            continue;
        if (!text.empty())
            text += ", ";
        text += std::string(channel) + " " + *column;
    }
    return text;
}

TDataBlock MakeImportedBlock(const TImportResult& source, size_t index, std::string_view sourceName)
{
    const TImportedFlight& flight = source.Flights.at(index);
    TDataBlock block;
    block.DateText = ImportedStartText(flight);
    const size_t n = flight.Millisecond.size();
    block.Time.reserve(n);
    // Whole tenths of a second, as the file keeps them.
    for (int64_t ms : flight.Millisecond)
        block.Time.push_back(static_cast<double>((ms + 50) / 100) / 10.0);
    if (n >= 2) {
        std::vector<int64_t> steps(n - 1);
        for (size_t i = 1; i < n; ++i)
            steps[i - 1] = flight.Millisecond[i] - flight.Millisecond[i - 1];
        std::nth_element(steps.begin(), steps.begin() + static_cast<ptrdiff_t>(steps.size() / 2),
                         steps.end());
        const int64_t median = steps[steps.size() / 2];
        block.Sampling = static_cast<int32_t>(std::min<int64_t>((median + 5) / 10, INT32_MAX));
    }
    if (!flight.Altitude.empty()) {
        block.ChannelMask |= kMaskAltitude;
        const double start = flight.Altitude.front();
        block.Altitude.reserve(n);
        for (double a : flight.Altitude)
            block.Altitude.push_back(a - start);
        block.ExtraLines.push_back("StartElevation=" + FormatFixed(start, 2));
    }
    if (!flight.Servo.empty()) {
        block.ChannelMask |= kMaskRx;
        block.Rx = flight.Servo;
    }
    if (!flight.Voltage.empty()) {
        block.ChannelMask |= kMaskVoltage;
        block.Voltage = flight.Voltage;
    }
    block.Notes = "Imported from " + ImportBaseFileName(sourceName) + " (" +
                  ImportFormatText(source.Format) +
                  ")\r\nColumns: " + ImportedColumnsText(source, &flight);
    if (source.Flights.size() > 1)
        block.Notes += "\r\nFlight " + std::to_string(index + 1) + " of " +
                       std::to_string(source.Flights.size()) + " in the file";
    return block;
}

std::string ImportBaseFileName(std::string_view sourcePath)
{
    const size_t slash = sourcePath.find_last_of("/\\");
    return std::string(slash == std::string_view::npos ? sourcePath : sourcePath.substr(slash + 1));
}

std::string ImportBaseName(std::string_view sourcePath)
{
    std::string name = ImportBaseFileName(sourcePath);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name.empty() || name == "." || name == ".." ? std::string("Imported") : name;
}

std::string ImportFileName(std::string_view baseName, int number)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%.3d", number);
    std::string name(baseName);
    if (!name.empty() && name.back() >= '0' && name.back() <= '9')
        name += "_";
    return name + digits + ".zdf";
}

std::string CheckImportName(std::string_view name)
{
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\") != std::string_view::npos)
        return "The name \"" + std::string(name) +
               "\" cannot name the files: give a name without a folder.";
    return {};
}

std::string ImportSummaryText(std::string_view sourceName, size_t flights, int64_t skippedRows)
{
    std::string text = std::to_string(flights) + (flights == 1 ? " flight" : " flights") +
                       " imported from " + ImportBaseFileName(sourceName) + ".";
    // Piece by piece: GCC 12 at -O3 takes " " + std::to_string(...) for an overlapping copy.
    if (skippedRows > 0) {
        text += ' ';
        text += std::to_string(skippedRows);
        text += skippedRows == 1 ? " row could not be read and was skipped."
                                 : " rows could not be read and were skipped.";
    }
    return text;
}

} // namespace zirko
