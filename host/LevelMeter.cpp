#include "host/LevelMeter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace host
{

double powerToDb(double meanSquare)
{
    if (meanSquare <= 0.0) return -std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(meanSquare);
}

LevelMeter::LevelMeter(double sampleRate, std::optional<double> makeupDb, double windowSeconds)
    : makeupDb_(makeupDb.value_or(0.0)),
      windowFrames_(std::max<std::size_t>(1, static_cast<std::size_t>(windowSeconds * sampleRate)))
{
    trace_.windowSeconds = windowSeconds;
    trace_.makeupKnown = makeupDb.has_value();
}

void LevelMeter::add(const AudioBuffer& input, const AudioBuffer& output, std::size_t frames)
{
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        addFrame(input, output, frame);
        if (++windowFramesSeen_ == windowFrames_) closeWindow();
    }
}

void LevelMeter::addFrame(const AudioBuffer& input, const AudioBuffer& output, std::size_t frame)
{
    for (int c = 0; c < input.channelCount(); ++c)
    {
        const double in = input.channels[c][frame];
        const double out = output.channels[c][frame];
        totalIn_.peak = std::max(totalIn_.peak, std::fabs(in));
        totalOut_.peak = std::max(totalOut_.peak, std::fabs(out));
        windowIn_ += in * in;
        windowOut_ += out * out;
    }
    windowSamples_ += static_cast<std::size_t>(input.channelCount());
}

void LevelMeter::closeWindow()
{
    if (windowSamples_ == 0) return;
    const double samples = static_cast<double>(windowSamples_);
    const double in = powerToDb(windowIn_ / samples);
    const double out = powerToDb(windowOut_ / samples);
    trace_.inputDb.push_back(in);
    trace_.outputDb.push_back(out);
    const bool audible = in > LevelTrace::gateDb && std::isfinite(out);
    trace_.reductionDb.push_back(audible ? in + makeupDb_ - out : std::numeric_limits<double>::quiet_NaN());
    totalIn_.sum += windowIn_;
    totalOut_.sum += windowOut_;
    totalSamples_ += windowSamples_;
    windowIn_ = windowOut_ = 0.0;
    windowSamples_ = windowFramesSeen_ = 0;
}

const LevelTrace& LevelMeter::finish()
{
    closeWindow();
    return trace_;
}

RenderSummary LevelMeter::summary() const
{
    RenderSummary summary;
    const double samples = static_cast<double>(std::max<std::size_t>(1, totalSamples_));
    summary.peakInDb = powerToDb(totalIn_.peak * totalIn_.peak);
    summary.peakOutDb = powerToDb(totalOut_.peak * totalOut_.peak);
    summary.rmsInDb = powerToDb(totalIn_.sum / samples);
    summary.rmsOutDb = powerToDb(totalOut_.sum / samples);
    double sum = 0.0;
    std::size_t count = 0;
    for (double reduction : trace_.reductionDb)
    {
        if (std::isnan(reduction)) continue;
        summary.maxReductionDb = count == 0 ? reduction : std::max(summary.maxReductionDb, reduction);
        sum += reduction;
        ++count;
    }
    summary.hasReduction = count > 0;
    summary.makeupKnown = trace_.makeupKnown;
    summary.averageReductionDb = count == 0 ? 0.0 : sum / static_cast<double>(count);
    return summary;
}

} // namespace host
