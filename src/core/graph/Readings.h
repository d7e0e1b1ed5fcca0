// The readings table of measurement mode and the cursor readout: texts and arithmetic.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace zirko {

// Values read off the chart at one pixel; servo and voltage only when some flight shows them, the
// climb rate (m/s) only while its axis is shown.
struct TReadingValues {
    double Time = 0;
    double Altitude = 0;
    std::optional<double> Servo;
    std::optional<double> Voltage;
    std::optional<double> Climb;
};

inline constexpr const char* kCopyCell = "Copy to clipboard";

// 5 x 5 cells, [row][column]; row 0 and column 0 hold the fixed texts. The table is the only store
// of a measurement: differences and rates are computed from the texts already in it.
class TReadingsTable {
public:
    TReadingsTable();

    const std::string& Cell(int row, int col) const
    {
        return Cells[static_cast<size_t>(row)][static_cast<size_t>(col)];
    }
    void SetCell(int row, int col, std::string text)
    {
        Cells[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::move(text);
    }

    // A measurement press: rows 1..4 emptied, "x" in the rate row's time cell, FROM filled.
    void Start(const TReadingValues& from, char decimalSeparator);
    // Fills one row (1 FROM, 2 TO) at the given values.
    void FillRow(int row, const TReadingValues& values, char decimalSeparator);
    // DELTA and rate rows from the FROM and TO texts.
    void ComputeDifferences(bool servoShown, bool voltageShown, char decimalSeparator);

    // The copy cell: a trailing blank marks it pressed.
    bool CopyPressed() const;
    void SetCopyPressed(bool pressed);

    // Every row, cells exactly 15 characters, tab separated, CR LF after each row.
    std::string ClipboardText() const;

private:
    std::array<std::array<std::string, 5>, 5> Cells;
};

// The text a cell shows: times of rows 1..3 in minutes and seconds, everything else as stored.
std::string ReadingDisplayText(int row, int col, const std::string& text, char decimalSeparator);

// "[1 min 15.3 sec  120.4m  -3.2%  4.9V  1.3m/s ]"; "[ ]" when no series is active.
std::string PositionReadout(bool anySeriesActive, const TReadingValues& values, bool altitudeShown,
                            char decimalSeparator);

} // namespace zirko
