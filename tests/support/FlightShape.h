// Stretches of a flight's samples that tests look for: motor runs, servo signal losses, climbs.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace zirko::test {

// Samples First..Last, both included.
struct TSampleRun {
    size_t First = 0;
    size_t Last = 0;
};

// The maximal stretches of consecutive samples for which `holds(i)` is true.
template <class TCondition> std::vector<TSampleRun> RunsOf(size_t count, TCondition holds)
{
    std::vector<TSampleRun> runs;
    for (size_t i = 0; i < count; ++i) {
        if (!holds(i))
            continue;
        if (!runs.empty() && runs.back().Last + 1 == i)
            runs.back().Last = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

// The motor runs: servo above 0 %.
inline std::vector<TSampleRun> MotorRuns(const std::vector<double>& rx)
{
    return RunsOf(rx.size(), [&](size_t i) { return rx[i] > 0; });
}

// No servo pulse: the reading far beyond full travel.
inline std::vector<TSampleRun> SignalLosses(const std::vector<double>& rx)
{
    return RunsOf(rx.size(), [&](size_t i) { return std::abs(rx[i]) > 150; });
}

// Climbs from sample `from` on: at least 20 s in which the altitude's slope over 10 s either side
// stays at 0.2 m/s or more, gaining at least 5 m. Circling within a thermal does not split it.
inline std::vector<TSampleRun> Climbs(const std::vector<double>& time,
                                      const std::vector<double>& altitude, size_t from)
{
    const size_t n = std::min(time.size(), altitude.size());
    if (n < 2)
        return {};
    const double step = (time[n - 1] - time[0]) / static_cast<double>(n - 1);
    const auto half = static_cast<size_t>(std::lround(10.0 / step));
    auto climbing = [&](size_t i) {
        if (i < from)
            return false;
        const size_t lo = i > half ? i - half : 0;
        const size_t hi = std::min(n - 1, i + half);
        return (altitude[hi] - altitude[lo]) / (time[hi] - time[lo]) >= 0.2;
    };
    std::vector<TSampleRun> climbs;
    for (const TSampleRun& run : RunsOf(n, climbing))
        if (time[run.Last] - time[run.First] >= 20 && altitude[run.Last] - altitude[run.First] >= 5)
            climbs.push_back(run);
    return climbs;
}

} // namespace zirko::test
