// The flights' events drawn with their curves: motor runs as bands in the flight's colour and
// climb phases as lighter tints under the curves, the start height marked over them.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;

namespace zirko {

class TFlightPlot;
class TGraphHost;

enum class TBandKind { Motor, Climb };

struct TEventBand {
    int Row = -1;
    TBandKind Kind = TBandKind::Motor;
    QRect Rect; // plot pixels; neighbouring runs closer than a pixel share one band
};

struct TStartMark {
    int Row = -1;
    QPoint At;           // the start height point
    QString Text;        // "183.4 m"
    int WindowEndX = -1; // the line at motor stop + 10 s; -1 when off the plot
};

// Everything is drawn from the axes' ranges at each full draw, so it follows zoom, panning, time
// offsets, exports, copies and prints without being kept anywhere; what the last draw drew is
// kept for whoever asks where it went.
class TEventMarks {
public:
    TEventMarks(const TFlightPlot& plot, const TGraphHost& host) : Plot(plot), Host(host) {}

    // Under the curves.
    void DrawBands(QPainter& painter, bool motor, bool phases);
    // Over the curves; nothing unless the motor runs are shown.
    void DrawStartHeights(QPainter& painter, bool motor);

    std::vector<TEventBand> Bands;
    std::vector<TStartMark> Starts;

private:
    const TFlightPlot& Plot;
    const TGraphHost& Host;
};

} // namespace zirko
