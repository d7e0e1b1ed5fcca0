// The flight record: what a flight file holds, its channels, notes and annotations.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zirko {

// One annotation: a line of text pinned to (Time, Value) of a flight.
struct TAnotace {
    double Time = 0;
    double Value = 0;
    std::string Text;
};

struct TDataBlock {
    std::string DateText; // bytes as stored in the file
    int32_t Sampling = 0; // sample period in 10 ms steps
    int32_t ChannelMask = 0;
    int32_t HeaderWord3 = 0;
    int32_t HeaderWord4 = 0;
    int32_t HeaderWord5 = 0;
    int32_t HeaderWord6 = 0;
    int32_t HeaderWord7 = 0;
    double RxOffsetY = 0;
    std::vector<double> Time;
    std::vector<double> Altitude;
    std::vector<double> Rx;
    std::vector<double> Aux2000;
    std::vector<double> Aux1000;
    std::vector<double> Voltage;
    std::vector<double> Aux0400;
    std::vector<double> Aux0200;
    std::string Notes; // rich text bytes exactly as the notes editor saved them
    std::vector<TAnotace> Annotations;
    std::vector<int32_t> MarkerFlags;
    // The lines of the file's extra section other than RxOffsetY, as stored and in their order:
    // details other programs and importers keep there ("StartElevation=…") survive a save.
    std::vector<std::string> ExtraLines;

    // Empties every array, the notes and the annotations (what closing a flight does).
    void Clear();
};

// One recorded channel: its mask bit and the array that holds it, in file column order.
struct TChannelInfo {
    uint16_t Mask;
    std::vector<double> TDataBlock::*Array;
    const char* Name; // name used by the command-line tool
};

inline constexpr std::array<TChannelInfo, 7> kChannels{{
    {0x8000, &TDataBlock::Altitude, "altitude"},
    {0x4000, &TDataBlock::Rx, "rx"},
    {0x2000, &TDataBlock::Aux2000, "aux2000"},
    {0x1000, &TDataBlock::Aux1000, "aux1000"},
    {0x0800, &TDataBlock::Voltage, "voltage"},
    {0x0400, &TDataBlock::Aux0400, "aux0400"},
    {0x0200, &TDataBlock::Aux0200, "aux0200"},
}};

inline constexpr uint16_t kMaskAltitude = 0x8000;
inline constexpr uint16_t kMaskRx = 0x4000;
inline constexpr uint16_t kMaskVoltage = 0x0800;

// Number of set bits among bits 0..15 of a channel mask.
int ChannelCount(int32_t channelMask);

// MarkerFlags[i] := Rx[i] > threshold (strictly).
void ComputeMarkerFlags(TDataBlock& flight, double markerThreshold);

// Flight summary values of the information page.
double FlightTimeSeconds(const TDataBlock& flight); // last Time value, 0 when empty
double MaxHeight(const TDataBlock& flight);         // largest Altitude value, 0 when empty

} // namespace zirko
