#pragma once

#include "host/AudioBuffer.h"
#include "host/PluginInstance.h"
#include "host/Status.h"

#include <functional>

namespace host
{

// Runs audio through a plug-in block by block, as a DAW's audio thread does.
// Time spent inside the plug-in's process calls. CPU time is the figure to
// trust on a loaded machine; wall time includes waiting for a core.
struct Timing
{
    double wallSeconds = 0.0;
    double cpuSeconds = 0.0;
};

class BlockRenderer
{
  public:
    struct Options
    {
        bool doublePrecision = false;
        int blockSize = 512;
        Timing* timing = nullptr; // when set, receives the time spent inside the process calls
    };
    using Progress = std::function<void(double fraction)>;

    static constexpr int maxBlockSize = 1 << 20;

    // Switches the plug-in on at the input's rate, processes every sample and
    // switches it off again. The parameters stay as the caller set them.
    static Status render(PluginInstance& plugin, const AudioBuffer& input, AudioBuffer& output,
                         const Options& options, const Progress& progress = {});

    // Why this plug-in cannot render this audio with these options; ok when it can.
    static Status check(const PluginInstance& plugin, const AudioBuffer& input, const Options& options);
};

} // namespace host
