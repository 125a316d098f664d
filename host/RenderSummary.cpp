#include "host/RenderSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host
{
namespace
{

void measureLevels(const AudioBuffer& audio, double& peakDb, double& rmsDb)
{
    double peak = 0.0;
    double sum = 0.0;
    std::size_t count = 0;
    for (const auto& channel : audio.channels)
    {
        for (double sample : channel)
        {
            peak = std::max(peak, std::fabs(sample));
            sum += sample * sample;
        }
        count += channel.size();
    }
    peakDb = powerToDb(peak * peak);
    rmsDb = powerToDb(count == 0 ? 0.0 : sum / static_cast<double>(count));
}

std::string formatDb(double value)
{
    if (std::isinf(value)) return value < 0 ? "-inf" : "+inf";
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f", value);
    return text;
}

} // namespace

RenderSummary RenderSummary::compute(const AudioBuffer& input, const AudioBuffer& output,
                                     const LevelTrace& trace)
{
    RenderSummary summary;
    measureLevels(input, summary.peakInDb, summary.rmsInDb);
    measureLevels(output, summary.peakOutDb, summary.rmsOutDb);
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
    summary.averageReductionDb = count == 0 ? 0.0 : sum / static_cast<double>(count);
    return summary;
}

std::string RenderSummary::format() const
{
    std::string text;
    text += "  input   peak " + formatDb(peakInDb) + " dBFS   RMS " + formatDb(rmsInDb) + " dBFS\n";
    text += "  output  peak " + formatDb(peakOutDb) + " dBFS   RMS " + formatDb(rmsOutDb) + " dBFS\n";
    if (hasReduction)
        text += "  gain reduction  max " + formatDb(maxReductionDb).substr(maxReductionDb >= 0 ? 1 : 0) +
                " dB   average " + formatDb(averageReductionDb).substr(averageReductionDb >= 0 ? 1 : 0) +
                " dB\n";
    else
        text += "  gain reduction  (input below " + formatDb(LevelTrace::gateDb) + " dBFS throughout)\n";
    return text;
}

} // namespace host
