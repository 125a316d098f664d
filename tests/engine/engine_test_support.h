#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "plugin/AutoComp.h"

// A host that answers version 2400 and reports the second input or output
// pin as unconnected when asked to.
namespace test_host
{

inline bool secondInputMissing = false;
inline bool secondOutputMissing = false;

inline VstIntPtr callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*, float)
{
    if (opcode == audioMasterVersion)
    {
        return 2400;
    }
    if (opcode == audioMasterPinConnected && index == 1)
    {
        return (value == 0 ? secondInputMissing : secondOutputMissing) ? 1 : 0;
    }
    return 0;
}

} // namespace test_host

inline std::vector<double> sine(double dbfs, double frequency, double rate, int frames)
{
    const double amplitude = std::pow(10.0, dbfs / 20);
    std::vector<double> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
    {
        samples[static_cast<std::size_t>(i)] =
            amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
    }
    return samples;
}

// Drum-like bursts over a quieter sustained tone: the detector keeps
// switching between attack and release.
inline std::vector<double> programme(int frames, double rate = 44100)
{
    std::vector<double> samples(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
    {
        const double t = i / rate;
        const double beat = std::fmod(t, 0.25);
        const double hit = std::exp(-beat * 30) * std::sin(2 * std::numbers::pi * 80 * beat);
        samples[static_cast<std::size_t>(i)] = 0.7 * hit + 0.1 * std::sin(2 * std::numbers::pi * 440 * t);
    }
    return samples;
}

inline std::vector<float> narrowed(const std::vector<double>& samples)
{
    return std::vector<float>(samples.begin(), samples.end());
}

// Effect ready to process at `rate`, with "Process" set as given.
inline void prepare(AutoComp& effect, float rate = 44100.0f, float process = 0.5f)
{
    effect.setSampleRate(rate);
    effect.resume();
    effect.setParameter(params::kProcess, process);
}

// Runs `left`/`right` through one call of the chosen precision.
template <typename Sample>
void run(AutoComp& effect, std::vector<Sample>& left, std::vector<Sample>& right, std::vector<Sample>& outL,
         std::vector<Sample>& outR)
{
    Sample* inputs[2] = {left.data(), right.data()};
    Sample* outputs[2] = {outL.data(), outR.data()};
    const auto frames = static_cast<VstInt32>(left.size());
    if constexpr (std::is_same_v<Sample, float>)
    {
        effect.processReplacing(inputs, outputs, frames);
    }
    else
    {
        effect.processDoubleReplacing(inputs, outputs, frames);
    }
}
