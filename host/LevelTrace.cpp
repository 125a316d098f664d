#include "host/LevelTrace.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace host
{
namespace
{

double meanSquare(const AudioBuffer& audio, std::size_t start, std::size_t count)
{
    double sum = 0.0;
    for (const auto& channel : audio.channels)
        for (std::size_t i = start; i < start + count; ++i)
            sum += channel[i] * channel[i];
    return sum / static_cast<double>(count * audio.channels.size());
}

} // namespace

double powerToDb(double meanSquare)
{
    if (meanSquare <= 0.0) return -std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(meanSquare);
}

LevelTrace LevelTrace::measure(const AudioBuffer& input, const AudioBuffer& output, double makeupDb,
                               double windowSeconds)
{
    LevelTrace trace;
    trace.windowSeconds = windowSeconds;
    const auto window = std::max<std::size_t>(1, static_cast<std::size_t>(windowSeconds * input.sampleRate));
    const std::size_t frames = std::min(input.frames(), output.frames());
    for (std::size_t start = 0; start < frames; start += window)
    {
        const std::size_t count = std::min(window, frames - start);
        const double in = powerToDb(meanSquare(input, start, count));
        const double out = powerToDb(meanSquare(output, start, count));
        trace.inputDb.push_back(in);
        trace.outputDb.push_back(out);
        const bool audible = in > gateDb && std::isfinite(out);
        trace.reductionDb.push_back(audible ? in + makeupDb - out : std::numeric_limits<double>::quiet_NaN());
    }
    return trace;
}

} // namespace host
