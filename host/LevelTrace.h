#pragma once

#include <vector>

namespace host
{

// Input and output levels in short windows and the gain change between them
// (LevelMeter fills it).
//
// The plug-in's own gain is not visible to a host, so the reduction is read
// from the audio: per window, the output RMS over the input RMS in dB, with
// the known make-up gain taken out (0 dB means untouched, positive values are
// reduction). Saturation and any other level change count as well, which is
// what a listener hears. Windows whose input is below the gate carry no
// reduction value (NaN): their ratio is dominated by noise.
struct LevelTrace
{
    static constexpr double defaultWindowSeconds = 0.01;
    static constexpr double gateDb = -70.0;

    double windowSeconds = defaultWindowSeconds;
    bool makeupKnown = true; // false: another plug-in's make-up gain is part of the reading
    std::vector<double> inputDb;
    std::vector<double> outputDb;
    std::vector<double> reductionDb;

    std::size_t size() const { return inputDb.size(); }
};

// Level in dBFS of a power (mean square); -inf for silence.
double powerToDb(double meanSquare);

} // namespace host
