// Long generated flights shared by the chart and memory benchmarks.
#pragma once

#include "core/flightdata/DataBlock.h"

#include <cmath>
#include <cstddef>
#include <memory>

namespace zirko::bench {

constexpr size_t kSamples = 1'500'000;

// A flight of kSamples samples, `step` seconds apart, with every channel the chart draws
// (altitude, servo and voltage) and a marker every 50,000 samples. `r` varies the curves so
// that flights drawn together do not lie on one another.
inline std::unique_ptr<TDataBlock> MakeFlight(int r, double step = 0.01)
{
    auto f = std::make_unique<TDataBlock>();
    f->DateText = "8.12.2026 7:14:28";
    f->Sampling = 1;
    f->ChannelMask = kMaskAltitude | kMaskRx | kMaskVoltage;
    f->Time.resize(kSamples);
    f->Altitude.resize(kSamples);
    f->Rx.resize(kSamples);
    f->Voltage.resize(kSamples);
    f->MarkerFlags.resize(kSamples);
    for (size_t i = 0; i < kSamples; ++i) {
        const double t = static_cast<double>(i) * step;
        f->Time[i] = t;
        f->Altitude[i] = 100 + 80 * std::sin(t / (30 + r)) + 3 * std::sin(t * 7);
        f->Rx[i] = 60 * std::sin(t / 3 + r);
        f->Voltage[i] = 4.9 - t * 1e-5 + 0.01 * std::sin(t);
        f->MarkerFlags[i] = i % 50000 == 0 ? 1 : 0;
    }
    return f;
}

} // namespace zirko::bench
