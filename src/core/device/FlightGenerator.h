// Generated electric-glider flights in the logger's memory layout, for the simulated logger.
#pragma once

#include <cstdint>
#include <vector>

namespace zirko {

// What can go wrong in one generated flight.
struct TFlightFaults {
    bool MotorRestart = false; // the pilot starts the motor a second time, later in the flight
    bool ServoLoss = false;    // the receiver loses the servo signal for a moment
};

// A recorded flight as the logger lays it out in its memory.
struct TFlightProfile {
    int Sampling = 10;             // 10 ms steps between samples
    uint16_t ChannelMask = 0xC800; // altitude, RX channel, supply voltage
    int HeaderWord3 = 0;
    int HeaderWord7 = 0; // enters the altitude conversion
    double DurationSeconds = 300;
    double GroundPressureKpa = 98.5; // the field's air pressure
    double StartVoltage = 8.3;       // the flight pack at rest, charged
    double FullThrottlePercent = 100;
    double IdlePercent = -100; // the throttle stick down: the motor stands
    TFlightFaults Faults;
};

// Faults of a generated memory image: the number of the flight that makes one (counted from 1
// in memory order, as the saved files are), 0 for every flight, -1 for none.
struct TImageFaults {
    int MotorRestartFlight = -1;
    int ServoLossFlight = -1;
};

// The raw pressure word the logger records at `altitude` metres above the field, and the altitude
// the program's conversion gives back for a raw word.
uint16_t PressureRawForAltitude(double altitude, double groundPressureKpa, int headerWord7);
double AltitudeForPressureRaw(uint16_t raw, uint16_t groundRaw, int headerWord7);

// One flight of an electric glider: marker, seven header words and the samples. On the ground
// with the throttle down, one motor run at full throttle with the climb, the zoom after the cut,
// glides and two or three thermals circled in (more in a long flight), the landing approach and
// the model on the ground again near the start altitude; the supply voltage sags while the motor
// runs and recovers after the cut. A flight shorter than five minutes is the same flight
// compressed in time. The same seed gives the same bytes. No sample word is 0xFFFF and the last
// byte is never 0xFF, so the flight cannot be taken for a marker or the end.
std::vector<uint8_t> GenerateFlight(const TFlightProfile& profile, uint32_t seed);

// Several generated flights one after another, as a memory image (erased bytes not included).
std::vector<uint8_t> GenerateMemoryImage(int flights, uint32_t seed, double durationSeconds = 300,
                                         const TImageFaults& faults = {});

} // namespace zirko
