#include "host/RenderSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace host
{
namespace
{

std::string formatDb(double value)
{
    if (std::isinf(value)) return value < 0 ? "-inf" : "+inf";
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f", value);
    return text;
}

} // namespace

std::string RenderSummary::format() const
{
    std::string text;
    text += "  input   peak " + formatDb(peakInDb) + " dBFS   RMS " + formatDb(rmsInDb) + " dBFS\n";
    text += "  output  peak " + formatDb(peakOutDb) + " dBFS   RMS " + formatDb(rmsOutDb) + " dBFS\n";
    if (hasReduction)
        text += "  gain reduction  max " + formatDb(maxReductionDb).substr(maxReductionDb >= 0 ? 1 : 0) +
                " dB   average " + formatDb(averageReductionDb).substr(averageReductionDb >= 0 ? 1 : 0) +
                " dB" + (makeupKnown ? "" : " (make-up gain not known: included)") + "\n";
    else
        text += "  gain reduction  (input below " + formatDb(LevelTrace::gateDb) + " dBFS throughout)\n";
    return text;
}

} // namespace host
