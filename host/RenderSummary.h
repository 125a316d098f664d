#pragma once

#include "host/LevelTrace.h"

#include <string>

namespace host
{

// The figures printed after a render (LevelMeter computes them). Levels in
// dBFS over all channels; reduction in dB from the level trace, windows above
// its gate only.
struct RenderSummary
{
    double peakInDb = 0.0;
    double rmsInDb = 0.0;
    double peakOutDb = 0.0;
    double rmsOutDb = 0.0;
    double maxReductionDb = 0.0;
    double averageReductionDb = 0.0;
    bool hasReduction = false; // false when the input never rose above the gate
    bool makeupKnown = true;

    std::string format() const;
};

} // namespace host
