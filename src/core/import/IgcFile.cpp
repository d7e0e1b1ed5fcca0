#include "core/import/IgcFile.h"

#include "core/import/ImportRows.h"

#include <cstring>

namespace zirko {

namespace {

constexpr int64_t kDayMilliseconds = 86400000;

// A B record extension declared by the I record: 1-based first and last byte of the B record.
struct TExtension {
    int First = 0;
    int Last = 0;
    std::string Code;
};

// "-0012", "00587": a signed whole number filling the field; NaN otherwise.
double ParseAltitude(std::string_view text)
{
    const bool negative = !text.empty() && text.front() == '-';
    const int digits = ParseDigits(negative ? text.substr(1) : text);
    if (digits < 0)
        return kNoValue;
    return negative ? -digits : digits;
}

struct TFix {
    int64_t Milliseconds;
    double Pressure;
    double Gnss;
    double Engine;
};

} // namespace

TImportResult ParseIgcFile(std::string_view content, std::string_view fileName,
                           const TColumnChoice& choice)
{
    TImportResult result;
    result.Format = TImportFormat::Igc;
    const std::string name(fileName);
    std::string date;
    std::vector<TExtension> extensions;
    std::vector<std::string_view> bRecords;
    size_t pos = 0;
    while (pos < content.size()) {
        const void* lf = std::memchr(content.data() + pos, '\n', content.size() - pos);
        const size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - content.data())
                              : content.size();
        std::string_view line = content.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (line.front() == 'B') {
            bRecords.push_back(line);
        } else if (line.substr(0, 5) == "HFDTE") {
            std::string_view rest = line.substr(5);
            if (rest.substr(0, 5) == "DATE:")
                rest.remove_prefix(5);
            if (rest.size() >= 6) {
                const int day = ParseDigits(rest.substr(0, 2));
                const int month = ParseDigits(rest.substr(2, 2));
                const int year = ParseDigits(rest.substr(4, 2));
                if (day >= 1 && day <= 31 && month >= 1 && month <= 12 && year >= 0)
                    date = CivilDateText(year < 80 ? 2000 + year : 1900 + year, month, day);
            }
        } else if (line.front() == 'I' && bRecords.empty()) {
            extensions.clear();
            const int count = ParseDigits(line.substr(1, 2));
            for (int k = 0; count > 0 && k < count; ++k) {
                const size_t at = 3 + 7 * static_cast<size_t>(k);
                if (line.size() < at + 7)
                    break;
                TExtension extension;
                extension.First = ParseDigits(line.substr(at, 2));
                extension.Last = ParseDigits(line.substr(at + 2, 2));
                extension.Code = std::string(line.substr(at + 4, 3));
                if (extension.First >= 1 && extension.Last >= extension.First)
                    extensions.push_back(extension);
            }
        }
    }

    result.Columns = {kIgcPressureAltitude, kIgcGnssAltitude};
    result.Layout = "IGC";
    const TExtension* engine[2] = {nullptr, nullptr}; // MOP, ENL
    for (const auto& extension : extensions) {
        result.Layout += "," + extension.Code;
        const int slot = extension.Code == "MOP" ? 0 : extension.Code == "ENL" ? 1 : -1;
        if (slot >= 0 && engine[slot] == nullptr) {
            engine[slot] = &extension;
            result.Columns.push_back(extension.Code);
        }
    }

    // The choice of columns, checked before the records are read.
    int altitudeKind = -1; // 0 pressure, 1 GNSS, 2 pressure unless zero throughout
    if (!choice.Altitude)
        altitudeKind = 2;
    else if (SameName(*choice.Altitude, kIgcPressureAltitude))
        altitudeKind = 0;
    else if (SameName(*choice.Altitude, kIgcGnssAltitude))
        altitudeKind = 1;
    else if (!choice.Altitude->empty()) {
        result.Error = name + ": no column \"" + *choice.Altitude + "\" for altitude.";
        return result;
    }
    const TExtension* servo = nullptr;
    if (!choice.Servo) {
        servo = engine[0] ? engine[0] : engine[1];
    } else if (!choice.Servo->empty()) {
        for (const TExtension* e : engine)
            if (e && SameName(e->Code, *choice.Servo))
                servo = e;
        if (servo == nullptr) {
            result.Error = name + ": no column \"" + *choice.Servo + "\" for servo.";
            return result;
        }
    }
    if (choice.Voltage && !choice.Voltage->empty()) {
        result.Error = name + ": no column \"" + *choice.Voltage + "\" for voltage.";
        return result;
    }
    if (altitudeKind < 0 && servo == nullptr) {
        result.Error = name + ": no column for altitude, servo or voltage was found or chosen.";
        return result;
    }

    std::vector<TFix> fixes;
    fixes.reserve(bRecords.size());
    bool pressureZero = true;
    int64_t day = 0;
    for (std::string_view record : bRecords) {
        if (record.size() < 35) {
            ++result.SkippedRows;
            continue;
        }
        const int hours = ParseDigits(record.substr(1, 2));
        const int minutes = ParseDigits(record.substr(3, 2));
        const int seconds = ParseDigits(record.substr(5, 2));
        const double pressure = ParseAltitude(record.substr(25, 5));
        const double gnss = ParseAltitude(record.substr(30, 5));
        double noise = kNoValue;
        if (servo && record.size() >= static_cast<size_t>(servo->Last)) {
            const int raw =
                ParseDigits(record.substr(static_cast<size_t>(servo->First - 1),
                                          static_cast<size_t>(servo->Last - servo->First + 1)));
            if (raw >= 0 && raw <= 999)
                noise = raw * 200.0 / 999.0 - 100.0;
        }
        if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
            std::isnan(pressure) || std::isnan(gnss) || (servo && std::isnan(noise))) {
            ++result.SkippedRows;
            continue;
        }
        int64_t at = day * kDayMilliseconds + ((hours * 60 + minutes) * 60 + seconds) * 1000;
        if (!fixes.empty() && at < fixes.back().Milliseconds) {
            // Back by more than half a day: midnight has passed; less: a fix out of order.
            if (fixes.back().Milliseconds - at <= kDayMilliseconds / 2) {
                ++result.SkippedRows;
                continue;
            }
            while (at < fixes.back().Milliseconds) {
                ++day;
                at += kDayMilliseconds;
            }
        }
        pressureZero = pressureZero && pressure == 0;
        fixes.push_back({at, pressure, gnss, noise});
    }
    if (fixes.empty()) {
        result.Error = name + ": no B record with a readable time; it is not an IGC file.";
        return result;
    }
    if (altitudeKind == 2)
        altitudeKind = pressureZero ? 1 : 0;
    result.AltitudeColumn = altitudeKind == 0   ? kIgcPressureAltitude
                            : altitudeKind == 1 ? kIgcGnssAltitude
                                                : "";
    result.ServoColumn = servo ? servo->Code : "";

    TImportRows rows(result);
    for (const auto& fix : fixes) {
        const double altitude = altitudeKind == 0   ? fix.Pressure
                                : altitudeKind == 1 ? fix.Gnss
                                                    : kNoValue;
        rows.Add(fix.Milliseconds, altitude, fix.Engine, kNoValue, date, 0);
    }
    rows.CloseSession();
    return result;
}

} // namespace zirko
