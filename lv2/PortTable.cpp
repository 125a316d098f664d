#include "lv2/PortTable.h"

#include <cmath>

#include "engine/ParameterTable.h"

namespace lv2port
{

int32_t portOfParameter(int32_t parameter)
{
    for (int32_t i = 0; i < kNumControls; ++i)
    {
        if (kControls[static_cast<std::size_t>(i)].parameter == parameter) return i;
    }
    return -1;
}

// The switches take the same values as their display texts do, so a port
// setting and the same text given to the 2.4 module are one value.
float parameterFromPort(const ControlPort& port, float value, float current)
{
    if (std::isnan(value)) return current;
    const double clamped = std::fmin(std::fmax(static_cast<double>(value), 0.0), port.maximum);
    switch (port.kind)
    {
    case Kind::ProcessSwitch:
        return static_cast<float>(std::trunc(clamped + 0.5) * 0.5);
    case Kind::RatioSwitch:
        return static_cast<float>(std::trunc(clamped + 0.5) / 6.0);
    case Kind::Scale:
        return static_cast<float>(clamped / port.maximum);
    case Kind::Hidden:
        break;
    }
    return static_cast<float>(clamped);
}

float portFromParameter(const ControlPort& port, float parameter)
{
    const float v = params::clampValue(parameter);
    switch (port.kind)
    {
    case Kind::ProcessSwitch:
        return static_cast<float>(params::processMode(v));
    case Kind::RatioSwitch:
        return static_cast<float>(params::ratioIndex(v));
    case Kind::Hidden:
        return v;
    case Kind::Scale:
        break;
    }
    // Port floats are spaced more coarsely than parameter floats in parts of
    // the range, so not every value has an exact image: take the neighbour
    // of the scaled value that maps back closest.
    const float scaled = static_cast<float>(static_cast<double>(v) * port.maximum);
    if (parameterFromPort(port, scaled, v) == v) return scaled;
    float best = scaled;
    double bestError = INFINITY;
    float candidate = std::nextafter(std::nextafter(scaled, -INFINITY), -INFINITY);
    for (int i = 0; i < 5; ++i, candidate = std::nextafter(candidate, INFINITY))
    {
        if (candidate < 0.0f || candidate > port.maximum) continue;
        const double error = std::fabs(static_cast<double>(parameterFromPort(port, candidate, v)) - v);
        if (error < bestError)
        {
            best = candidate;
            bestError = error;
        }
    }
    return best;
}

float gainReductionDb(double meterGain)
{
    if (!(meterGain < 1.0)) return 0.0f; // no reduction, or NaN
    if (meterGain <= 0.0) return kMaxGainReductionDb;
    return static_cast<float>(std::fmin(-20.0 * std::log10(meterGain), kMaxGainReductionDb));
}

double meterGainFromDb(float reductionDb)
{
    if (!(reductionDb > 0.0f)) return 1.0;
    return std::pow(10.0, -static_cast<double>(std::fmin(reductionDb, kMaxGainReductionDb)) / 20.0);
}

} // namespace lv2port
