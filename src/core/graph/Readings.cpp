#include "core/graph/Readings.h"

#include "core/app/NumberFormat.h"

#include <cmath>

namespace zirko {

namespace {

double NumberOfText(const std::string& text, char sep)
{
    return ParseUserNumberDef(text, sep, 0.0);
}

std::string Fit15(std::string text, int row, int col)
{
    constexpr size_t kWidth = 15;
    if (text.size() > kWidth)
        return text.substr(0, kWidth);
    if (col == 0)
        return text + std::string(kWidth - text.size(), ' ');
    if (row == 0) {
        while (text.size() < kWidth)
            text = " " + text + " ";
        return text.substr(0, kWidth);
    }
    return std::string(kWidth - text.size(), ' ') + text;
}

} // namespace

TReadingsTable::TReadingsTable()
{
    Cells[0] = {kCopyCell, "TIME", "ALTITUDE", "SERVO", "VOLTAGE"};
    Cells[1][0] = "FROM";
    Cells[2][0] = "TO";
    Cells[3][0] = "DELTA";
    Cells[4][0] = "d X/d TIME";
}

void TReadingsTable::Start(const TReadingValues& from, char sep)
{
    for (int row = 1; row <= 4; ++row)
        for (int col = 1; col <= 4; ++col)
            SetCell(row, col, "");
    SetCell(4, 1, "x");
    FillRow(1, from, sep);
}

void TReadingsTable::FillRow(int row, const TReadingValues& v, char sep)
{
    SetCell(row, 1, FormatDisplay(v.Time, 1, sep));
    SetCell(row, 2, FormatDisplay(v.Altitude, 1, sep));
    if (v.Servo)
        SetCell(row, 3, FormatDisplay(*v.Servo, 1, sep));
    if (v.Voltage)
        SetCell(row, 4, FormatDisplay(*v.Voltage, 1, sep));
}

void TReadingsTable::ComputeDifferences(bool servoShown, bool voltageShown, char sep)
{
    const bool shown[5] = {false, true, true, servoShown, voltageShown};
    for (int col = 1; col <= 4; ++col)
        if (shown[col])
            SetCell(3, col,
                    FormatDisplay(NumberOfText(Cell(2, col), sep) - NumberOfText(Cell(1, col), sep),
                                  1, sep));
    const double dt = NumberOfText(Cell(3, 1), sep);
    for (int col = 2; col <= 4; ++col) {
        if (!shown[col])
            continue;
        if (std::fabs(dt) > 1e-16)
            SetCell(4, col, FormatDisplay(NumberOfText(Cell(3, col), sep) / dt, 3, sep));
        else
            SetCell(4, col, "#");
    }
}

bool TReadingsTable::CopyPressed() const
{
    return !Cell(0, 0).empty() && Cell(0, 0).back() == ' ';
}

void TReadingsTable::SetCopyPressed(bool pressed)
{
    SetCell(0, 0, pressed ? std::string(kCopyCell) + " " : std::string(kCopyCell));
}

std::string TReadingsTable::ClipboardText() const
{
    std::string out;
    for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 5; ++col) {
            if (col > 0)
                out += '\t';
            out += (row == 0 && col == 0) ? std::string(15, ' ') : Fit15(Cell(row, col), row, col);
        }
        out += "\r\n";
    }
    return out;
}

std::string ReadingDisplayText(int row, int col, const std::string& text, char sep)
{
    if (col == 1 && row >= 1 && row <= 3 && !text.empty() && text != "x" && text != "#")
        return FormatFlightTime(ParseUserNumberDef(text, sep, 0.0), sep);
    if (row == 0 && col == 0 && !text.empty() && text.back() == ' ')
        return text.substr(0, text.size() - 1);
    return text;
}

std::string PositionReadout(bool anySeriesActive, const TReadingValues& v, bool altitudeShown,
                            char sep)
{
    std::string s = "[";
    if (anySeriesActive) {
        s += FormatFlightTime(v.Time, sep) + "  ";
        if (altitudeShown)
            s += FormatDisplay(v.Altitude, 1, sep) + "m  ";
        if (v.Servo)
            s += FormatDisplay(*v.Servo, 1, sep) + "%  ";
        if (v.Voltage)
            s += FormatDisplay(*v.Voltage, 1, sep) + "V  ";
        if (v.Climb)
            s += FormatDisplay(*v.Climb, 1, sep) + "m/s  ";
    }
    if (s.size() > 1)
        s.resize(s.size() - 2);
    return s + " ]";
}

} // namespace zirko
