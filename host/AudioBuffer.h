#pragma once

#include <cstddef>
#include <vector>

namespace host
{

// Deinterleaved audio held as doubles, so that both 32-bit and 64-bit renders
// survive unchanged until they are written.
struct AudioBuffer
{
    double sampleRate = 44100.0;
    std::vector<std::vector<double>> channels;

    AudioBuffer() = default;
    AudioBuffer(int channelCount, std::size_t frameCount, double rate)
        : sampleRate(rate), channels(static_cast<std::size_t>(channelCount), std::vector<double>(frameCount))
    {
    }

    int channelCount() const { return static_cast<int>(channels.size()); }
    std::size_t frames() const { return channels.empty() ? 0 : channels[0].size(); }
    double seconds() const { return static_cast<double>(frames()) / sampleRate; }
};

} // namespace host
