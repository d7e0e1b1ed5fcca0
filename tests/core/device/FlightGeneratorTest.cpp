#include "core/device/FlightGenerator.h"
#include "core/device/FlightSplitter.h"
#include "core/device/MemoryImages.h"
#include "support/FlightShape.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>

namespace zirko {
namespace {

using test::Climbs;
using test::LastIndex;
using test::MotorRuns;
using test::SignalLosses;
using test::TSampleRun;

// The flights of an image as the download would save them: raw words converted by the splitter.
std::vector<TDataBlock> Split(std::vector<uint8_t> image)
{
    image.insert(image.end(), 5, 0xFF);
    std::vector<TDataBlock> flights;
    for (auto& flight : SplitMemoryImage(image, LastIndex(image), {"", "d"}))
        flights.push_back(std::move(flight.Record));
    return flights;
}

TDataBlock Fly(const TFlightProfile& profile, uint32_t seed)
{
    auto flights = Split(GenerateFlight(profile, seed));
    EXPECT_EQ(flights.size(), 1u);
    return flights.empty() ? TDataBlock{} : flights[0];
}

double Mean(const std::vector<double>& values, size_t first, size_t end)
{
    end = std::min(end, values.size());
    if (first >= end)
        return NAN;
    return std::accumulate(values.begin() + static_cast<long>(first),
                           values.begin() + static_cast<long>(end), 0.0) /
           static_cast<double>(end - first);
}

double MaxOf(const std::vector<double>& values, size_t first, size_t end)
{
    end = std::min(end, values.size());
    return *std::max_element(values.begin() + static_cast<long>(first),
                             values.begin() + static_cast<long>(end));
}

size_t SampleAt(const TDataBlock& flight, double time)
{
    return static_cast<size_t>(std::lower_bound(flight.Time.begin(), flight.Time.end(), time) -
                               flight.Time.begin());
}

TEST(GeneratedFlight, FliesAnElectricGliderFromTheGroundBackToTheGround)
{
    for (const double duration : {300.0, 600.0}) {
        for (uint32_t seed = 1; seed <= 12; ++seed) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", " + std::to_string(duration) + " s");
            TFlightProfile profile;
            profile.DurationSeconds = duration;
            const TDataBlock f = Fly(profile, seed);
            const size_t n = f.Altitude.size();
            ASSERT_EQ(n, static_cast<size_t>(duration * 10) + 1);

            // One motor run, at full throttle once the stick is up.
            const auto runs = MotorRuns(f.Rx);
            ASSERT_EQ(runs.size(), 1u);
            const TSampleRun run = runs[0];
            const auto full = std::count_if(f.Rx.begin() + static_cast<long>(run.First),
                                            f.Rx.begin() + static_cast<long>(run.Last) + 1,
                                            [](double rx) { return rx >= 99 && rx <= 101.5; });
            EXPECT_GE(full, static_cast<long>(run.Last - run.First) - 3);
            EXPECT_GT(f.Time[run.Last] - f.Time[run.First], 8.0);
            EXPECT_LT(f.Time[run.Last] - f.Time[run.First], 30.0);
            EXPECT_TRUE(SignalLosses(f.Rx).empty());
            EXPECT_NEAR(Mean(f.Rx, 0, run.First - 5), -100, 0.5); // throttle down on the ground

            // On the ground until the motor starts, the climb under power, the zoom after the cut.
            EXPECT_GT(f.Time[run.First], 3.0);
            EXPECT_LT(MaxOf(f.Altitude, 0, run.First) - f.Altitude[0], 1.0);
            EXPECT_GT(f.Altitude[run.Last] - f.Altitude[run.First], 60.0);
            const size_t tenAfterCut = SampleAt(f, f.Time[run.Last] + 10);
            const double startHeight = MaxOf(f.Altitude, run.First, tenAfterCut) - f.Altitude[0];
            EXPECT_GT(startHeight, f.Altitude[run.Last] - f.Altitude[0] + 3.0);
            EXPECT_GT(startHeight, 70.0);
            EXPECT_LT(startHeight, 250.0);

            // Thermals after the run, then the approach and the model down near the start.
            EXPECT_GE(Climbs(f.Time, f.Altitude, tenAfterCut).size(), 2u);
            const double landed = f.Altitude[n - 1];
            EXPECT_NEAR(landed, f.Altitude[0], 2.0);
            EXPECT_GT(f.Altitude[SampleAt(f, duration - 20)] - landed, 10.0);
            for (size_t i = SampleAt(f, duration - 3); i < n; ++i)
                EXPECT_NEAR(f.Altitude[i], landed, 1.0);
            EXPECT_GT(*std::min_element(f.Altitude.begin(), f.Altitude.end()), -3.0);
            EXPECT_LT(*std::max_element(f.Altitude.begin(), f.Altitude.end()), 400.0);

            // The pack sags under the motor and recovers after the cut, a little lower.
            const double before = Mean(f.Voltage, 0, run.First);
            const double during = Mean(f.Voltage, run.First + 5, run.Last + 1);
            const double after = Mean(f.Voltage, tenAfterCut, n);
            EXPECT_LT(during, before - 0.4);
            EXPECT_LT(during, after - 0.4);
            EXPECT_LT(after, before);
            EXPECT_GT(*std::min_element(f.Voltage.begin(), f.Voltage.end()), 6.5);
        }
    }
}

TEST(GeneratedFlight, TheSameSeedGivesTheSameBytes)
{
    TFlightProfile profile;
    EXPECT_EQ(GenerateFlight(profile, 5), GenerateFlight(profile, 5));
    EXPECT_NE(GenerateFlight(profile, 5), GenerateFlight(profile, 6));
    profile.Faults = {true, true};
    EXPECT_EQ(GenerateFlight(profile, 5), GenerateFlight(profile, 5));
    EXPECT_EQ(GenerateMemoryImage(3, 9, 120, {2, 0}), GenerateMemoryImage(3, 9, 120, {2, 0}));
}

TEST(GeneratedFlight, AMotorRestartIsASecondRunWithItsClimbLaterInTheFlight)
{
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TFlightProfile profile;
        profile.Faults.MotorRestart = true;
        const TDataBlock f = Fly(profile, seed);
        const auto runs = MotorRuns(f.Rx);
        ASSERT_EQ(runs.size(), 2u);
        const TSampleRun restart = runs[1];
        EXPECT_GT(f.Time[restart.First] - f.Time[runs[0].Last], 30.0);
        EXPECT_GE(MaxOf(f.Rx, restart.First, restart.Last + 1), 99.0);
        EXPECT_GT(f.Altitude[restart.Last] - f.Altitude[restart.First], 20.0);
        EXPECT_LT(Mean(f.Voltage, restart.First + 5, restart.Last + 1),
                  Mean(f.Voltage, restart.First - 50, restart.First) - 0.4);
        EXPECT_TRUE(SignalLosses(f.Rx).empty());
        EXPECT_NEAR(f.Altitude.back(), f.Altitude[0], 2.0);
    }
}

TEST(GeneratedFlight, ALostServoSignalReadsAboutMinus300ForAMomentAndChangesNothingElse)
{
    for (uint32_t seed = 1; seed <= 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TFlightProfile profile;
        const TDataBlock clean = Fly(profile, seed);
        profile.Faults.ServoLoss = true;
        const TDataBlock f = Fly(profile, seed);
        const auto losses = SignalLosses(f.Rx);
        ASSERT_EQ(losses.size(), 1u);
        const TSampleRun loss = losses[0];
        const double seconds = f.Time[loss.Last + 1] - f.Time[loss.First];
        EXPECT_GE(seconds, 0.5);
        EXPECT_LE(seconds, 1.6);
        for (size_t i = loss.First; i <= loss.Last; ++i)
            EXPECT_NEAR(f.Rx[i], -300, 3);
        const auto runs = MotorRuns(f.Rx);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_GT(loss.First, runs[0].Last);
        EXPECT_EQ(f.Altitude, clean.Altitude);
        EXPECT_EQ(f.Voltage, clean.Voltage);
        for (size_t i = 0; i < f.Rx.size(); ++i) {
            if (i < loss.First || i > loss.Last) {
                ASSERT_EQ(f.Rx[i], clean.Rx[i]) << i;
            }
        }
    }
}

TEST(GeneratedMemoryImage, FaultSwitchesPickOneFlightOrEveryFlight)
{
    const auto flights =
        Split(GenerateMemoryImage(3, 40, 120, {.MotorRestartFlight = 2, .ServoLossFlight = 0}));
    ASSERT_EQ(flights.size(), 3u);
    std::vector<size_t> runs;
    std::vector<size_t> losses;
    for (const TDataBlock& flight : flights) {
        runs.push_back(MotorRuns(flight.Rx).size());
        losses.push_back(SignalLosses(flight.Rx).size());
    }
    EXPECT_EQ(runs, (std::vector<size_t>{1, 2, 1}));
    EXPECT_EQ(losses, (std::vector<size_t>{1, 1, 1}));

    for (const TDataBlock& flight : Split(GenerateMemoryImage(2, 40, 120))) {
        EXPECT_EQ(MotorRuns(flight.Rx).size(), 1u);
        EXPECT_TRUE(SignalLosses(flight.Rx).empty());
    }
}

TEST(GeneratedFlight, ShortAndCoarseFlightsStayWellFormed)
{
    for (const int sampling : {2, 10, 100}) {
        for (const double duration : {0.0, 3.0, 10.0, 60.0}) {
            SCOPED_TRACE(std::to_string(sampling) + " / " + std::to_string(duration));
            TFlightProfile profile;
            profile.Sampling = sampling;
            profile.DurationSeconds = duration;
            profile.Faults = {true, true};
            const auto image = GenerateFlight(profile, 3);
            const auto samples = static_cast<size_t>(duration / (sampling / 100.0)) + 1;
            ASSERT_EQ(image.size(), 18 + samples * 6);
            EXPECT_EQ(FindFlightMarker(image, LastIndex(image), 1), -1);
            EXPECT_NE(image.back(), 0xFF);
            if (duration == 60.0 && sampling <= 10) {
                const TDataBlock f = Fly(profile, 3);
                EXPECT_EQ(MotorRuns(f.Rx).size(), 2u);
                EXPECT_EQ(SignalLosses(f.Rx).size(), 1u);
                EXPECT_NEAR(f.Altitude.back(), f.Altitude[0], 2.0);
            }
        }
    }
}

} // namespace
} // namespace zirko
