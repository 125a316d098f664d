#pragma once

#include "host/AudioBuffer.h"
#include "host/PluginInstance.h"
#include "host/Status.h"

#include <functional>

namespace host
{

// Time spent inside the plug-in's process calls. CPU time is the figure to
// trust on a loaded machine; wall time includes waiting for a core.
struct Timing
{
    double wallSeconds = 0.0;
    double cpuSeconds = 0.0;
};

// Runs audio through a plug-in block by block, as a DAW's audio thread does.
class BlockRenderer
{
  public:
    struct Options
    {
        bool doublePrecision = false;
        int blockSize = 512;
        Timing* timing = nullptr; // when set, receives the time spent inside the process calls
    };
    struct Stream
    {
        int channels = 2;
        double sampleRate = 44100.0;
        std::size_t expectedFrames = 0; // for progress only
    };
    using Progress = std::function<void(double fraction)>;
    // Fills the first frames of the block (blockSize frames long) and returns
    // how many; 0 ends the stream.
    using Source = std::function<std::size_t(AudioBuffer& block)>;
    // Takes each processed block with its input; a failure stops the render.
    using Sink =
        std::function<Status(const AudioBuffer& input, const AudioBuffer& output, std::size_t frames)>;

    static constexpr int maxBlockSize = 1 << 20;

    // Switches the plug-in on at the stream's rate, processes every block and
    // switches it off again. The parameters stay as the caller set them.
    static Status render(PluginInstance& plugin, const Stream& stream, const Source& source, const Sink& sink,
                         const Options& options, const Progress& progress = {});

    // The same for audio held in memory.
    static Status render(PluginInstance& plugin, const AudioBuffer& input, AudioBuffer& output,
                         const Options& options, const Progress& progress = {});

    // Why this plug-in cannot render such a stream with these options; ok when it can.
    static Status check(const PluginInstance& plugin, int channels, const Options& options);
};

} // namespace host
