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

LevelMeter::LevelMeter(double sampleRate, std::optional<double> makeup, double windowSeconds)
    : makeupDb(makeup.value_or(0.0)),
      windowFrames(std::max<std::size_t>(1, static_cast<std::size_t>(windowSeconds * sampleRate)))
{
    trace.windowSeconds = windowSeconds;
    trace.makeupKnown = makeup.has_value();
}

void LevelMeter::add(const AudioBuffer& input, const AudioBuffer& output, std::size_t frames)
{
    for (std::size_t frame = 0; frame < frames; ++frame)
    {
        addFrame(input, output, frame);
        if (++windowFramesSeen == windowFrames) closeWindow();
    }
}

void LevelMeter::addFrame(const AudioBuffer& input, const AudioBuffer& output, std::size_t frame)
{
    for (int c = 0; c < input.channelCount(); ++c)
    {
        const double in = input.channels[c][frame];
        const double out = output.channels[c][frame];
        totalIn.peak = std::max(totalIn.peak, std::fabs(in));
        totalOut.peak = std::max(totalOut.peak, std::fabs(out));
        windowIn += in * in;
        windowOut += out * out;
    }
    windowSamples += static_cast<std::size_t>(input.channelCount());
}

void LevelMeter::closeWindow()
{
    if (windowSamples == 0) return;
    const double samples = static_cast<double>(windowSamples);
    const double in = powerToDb(windowIn / samples);
    const double out = powerToDb(windowOut / samples);
    trace.inputDb.push_back(in);
    trace.outputDb.push_back(out);
    const bool audible = in > LevelTrace::gateDb && std::isfinite(out);
    trace.reductionDb.push_back(audible ? in + makeupDb - out : std::numeric_limits<double>::quiet_NaN());
    totalIn.sum += windowIn;
    totalOut.sum += windowOut;
    totalSamples += windowSamples;
    windowIn = windowOut = 0.0;
    windowSamples = windowFramesSeen = 0;
}

const LevelTrace& LevelMeter::finish()
{
    closeWindow();
    return trace;
}

RenderSummary LevelMeter::summary() const
{
    RenderSummary summary;
    const double samples = static_cast<double>(std::max<std::size_t>(1, totalSamples));
    summary.peakInDb = powerToDb(totalIn.peak * totalIn.peak);
    summary.peakOutDb = powerToDb(totalOut.peak * totalOut.peak);
    summary.rmsInDb = powerToDb(totalIn.sum / samples);
    summary.rmsOutDb = powerToDb(totalOut.sum / samples);
    double sum = 0.0;
    std::size_t count = 0;
    for (double reduction : trace.reductionDb)
    {
        if (std::isnan(reduction)) continue;
        summary.maxReductionDb = count == 0 ? reduction : std::max(summary.maxReductionDb, reduction);
        sum += reduction;
        ++count;
    }
    summary.hasReduction = count > 0;
    summary.makeupKnown = trace.makeupKnown;
    summary.averageReductionDb = count == 0 ? 0.0 : sum / static_cast<double>(count);
    return summary;
}

} // namespace host
