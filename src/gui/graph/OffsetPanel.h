// The Graph page's offset controls: the current flight shifted in time and, per channel, in
// value, by its fields and sliders, and the zero alignments of the chart's context menu. The
// offsets themselves belong to the host; the fields only show them and take what is typed.
#pragma once

#include "core/flightdata/DataBlock.h"
#include "core/graph/ChartMath.h"

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSlider;

namespace zirko {

class TChart;
class TGraphHost;
struct TSeriesInfo;

class TOffsetPanel final : public QWidget {
    Q_OBJECT
public:
    TOffsetPanel(TGraphHost& host, TChart& chart, QWidget* parent = nullptr);
    ~TOffsetPanel() override;

    // The two sliders stand beside the chart, where the page puts them.
    QSlider* SliderX() const { return TrackBarX; }
    QSlider* SliderY() const { return TrackBarY; }
    // Whether the servo axis is kept centred on 0 (the page's check box).
    std::function<bool()> ServoCentered;

    // New time offset of the current flight from EditShiftX; `fromField` also moves the slider.
    void ApplyShiftX(bool fromField);
    // New value offset of the channel chosen in ComboBoxShiftAxis from EditShiftY.
    void ApplyShiftY(bool fromField);
    // Enables the offset controls by CheckBoxShift; with `apply` switches the flight's offsets.
    void SetShiftState(int row, bool apply);
    // Shows the offsets of a flight that has just become the current one.
    void LoadShiftControls(int row);
    // The chosen channel's offset into EditShiftY and TrackBarY.
    void ComboBoxShiftAxisChange();
    // Chooses channel k in ComboBoxShiftAxis and shows its offset.
    void ChooseShiftAxis(int k);
    // The point under chart pixel (px, py) and the axes as they stand now.
    struct TZeroPoint {
        double Vx = 0;
        double Vy = 0;
        TAxisRange Time;
        TAxisRange Altitude;
        bool TimeAutomatic = true;
    };
    TZeroPoint ZeroPointAt(int px, int py) const;
    // The point becomes time 0 and altitude 0 of the current flight (whose offsets are switched
    // on for it). `shiftAxes` keeps the flight's place on screen by moving fixed axes along.
    void AdjustToZero(const TZeroPoint& point, bool shiftAxes);
    // The servo value at py becomes 0 (saved with the flight).
    void AdjustRxToZero(int py);
    // Time and altitude offsets of the current flight back to 0.
    void ResetFlightShift();
    // Every flight with a launch gets the offsets that put its launch point at (0, 0), switched
    // on; the controls show the current flight's and the zoom is undone. Returns the names of the
    // flights left as they were, having no launch.
    std::vector<std::string> AlignLaunches();

signals:
    // The shown offsets of the flight in `row` changed: its series are due to show them.
    void OffsetsChanged(int row);
    // Axes were moved or the offsets switched: the scroll bars are due to follow.
    void AxesMoved();
    // The zoom is due to be undone (after the launches were aligned).
    void UndoZoomWanted();

private:
    const TDataBlock* ShiftFlight(const char* assertion) const;
    const TSeriesInfo& Slot(int row, int k) const;
    void Changed(int row, const std::vector<int>& changed);
    void SetTrackBarSilently(QSlider* bar, int position);
    QString OffsetText(double value) const;
    double FieldNumber(const QLineEdit* edit) const;
    // A computed offset of the current flight: set, then shown in its field and slider.
    void SetShiftX(int row, double offset);
    void SetShiftY(int row, double offset);
    void SwitchShiftOn(int row);
    void ShowError(const QString& text);

    TGraphHost& Host;
    TChart& Chart;
    QCheckBox* CheckBoxShift = nullptr;
    QLineEdit* EditShiftX = nullptr;
    QLineEdit* EditShiftY = nullptr;
    QComboBox* ComboBoxShiftAxis = nullptr;
    QSlider* TrackBarX = nullptr;
    QSlider* TrackBarY = nullptr;
};

} // namespace zirko
