#pragma once

#include "host/AudioBuffer.h"
#include "host/LevelTrace.h"
#include "host/RenderSummary.h"

#include <optional>

namespace host
{

// Measures input against output block by block as a render runs, so that
// long files need no second pass and no copy in memory.
class LevelMeter
{
  public:
    // Without a make-up gain the reading is the plain output/input relation.
    LevelMeter(double sampleRate, std::optional<double> makeupDb,
               double windowSeconds = LevelTrace::defaultWindowSeconds);

    // The first `frames` frames of each buffer; channel counts match.
    void add(const AudioBuffer& input, const AudioBuffer& output, std::size_t frames);

    // Closes the last, possibly short, window.
    const LevelTrace& finish();
    RenderSummary summary() const;

  private:
    struct Levels
    {
        double peak = 0.0;
        double sum = 0.0; // of squares
    };
    void addFrame(const AudioBuffer& input, const AudioBuffer& output, std::size_t frame);
    void closeWindow();

    double makeupDb;
    std::size_t windowFrames;
    LevelTrace trace;
    Levels totalIn;
    Levels totalOut;
    std::size_t totalSamples = 0;
    double windowIn = 0.0;
    double windowOut = 0.0;
    std::size_t windowSamples = 0;
    std::size_t windowFramesSeen = 0;
};

} // namespace host
