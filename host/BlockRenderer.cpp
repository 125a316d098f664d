#include "host/BlockRenderer.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace host
{
namespace
{

// Channel buffers of one sample type with the pointer arrays the process
// entries take. Inputs the stream does not feed stay silent.
template <typename Sample> class PluginBuffers
{
  public:
    PluginBuffers(int inputs, int outputs, int frames)
        : inputBuffers(static_cast<std::size_t>(inputs),
                       std::vector<Sample>(static_cast<std::size_t>(frames))),
          outputBuffers(static_cast<std::size_t>(outputs),
                        std::vector<Sample>(static_cast<std::size_t>(frames)))
    {
        for (auto& channel : inputBuffers)
            inputPointers.push_back(channel.data());
        for (auto& channel : outputBuffers)
            outputPointers.push_back(channel.data());
    }

    void fill(const AudioBuffer& block, std::size_t frames)
    {
        for (std::size_t c = 0; c < inputBuffers.size() && c < block.channels.size(); ++c)
            std::transform(
                block.channels[c].begin(), block.channels[c].begin() + static_cast<std::ptrdiff_t>(frames),
                inputBuffers[c].begin(), [](double sample) { return static_cast<Sample>(sample); });
        for (auto& channel : outputBuffers)
            std::fill(channel.begin(), channel.end(), Sample{});
    }

    void collect(AudioBuffer& block, std::size_t frames) const
    {
        for (std::size_t c = 0; c < block.channels.size(); ++c)
            std::copy_n(outputBuffers[c].begin(), frames, block.channels[c].begin());
    }

    Sample** inputs() { return inputPointers.data(); }
    Sample** outputs() { return outputPointers.data(); }

  private:
    std::vector<std::vector<Sample>> inputBuffers;
    std::vector<std::vector<Sample>> outputBuffers;
    std::vector<Sample*> inputPointers;
    std::vector<Sample*> outputPointers;
};

double threadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Reports about every half per cent, and never more often than once a block.
class ProgressPacer
{
  public:
    ProgressPacer(const BlockRenderer::Progress& report, std::size_t total)
        : progress(report), expected(total), step(std::max<std::size_t>(1, total / 200))
    {
    }
    void advance(std::size_t done)
    {
        if (!progress || expected == 0 || done < next) return;
        progress(std::min(1.0, static_cast<double>(done) / static_cast<double>(expected)));
        next = done + step;
    }
    void finish() const
    {
        if (progress) progress(1.0);
    }

  private:
    const BlockRenderer::Progress& progress;
    std::size_t expected;
    std::size_t step;
    std::size_t next = 0;
};

template <typename Sample>
Status runBlocks(PluginInstance& plugin, const BlockRenderer::Stream& stream,
                 const BlockRenderer::Source& source, const BlockRenderer::Sink& sink,
                 const BlockRenderer::Options& options, const BlockRenderer::Progress& progress)
{
    const AEffect& effect = plugin.effect();
    PluginBuffers<Sample> buffers(std::max(1, effect.numInputs), effect.numOutputs, options.blockSize);
    AudioBuffer input(stream.channels, static_cast<std::size_t>(options.blockSize), stream.sampleRate);
    AudioBuffer output(stream.channels, static_cast<std::size_t>(options.blockSize), stream.sampleRate);
    ProgressPacer pacer(progress, stream.expectedFrames);
    Timing timing;
    std::size_t done = 0;
    Status status;
    while (const std::size_t frames = source(input))
    {
        buffers.fill(input, frames);
        const double wallBefore = wallSeconds();
        const double cpuBefore = threadCpuSeconds();
        plugin.process(buffers.inputs(), buffers.outputs(), static_cast<int>(frames));
        timing.cpuSeconds += threadCpuSeconds() - cpuBefore;
        timing.wallSeconds += wallSeconds() - wallBefore;
        buffers.collect(output, frames);
        if (status = sink(input, output, frames); !status.ok()) break;
        pacer.advance(done += frames);
    }
    pacer.finish();
    if (options.timing != nullptr) *options.timing = timing;
    return status;
}

} // namespace

Status BlockRenderer::check(const PluginInstance& plugin, int channels, const Options& options)
{
    const AEffect& effect = plugin.effect();
    if (options.blockSize < 1 || options.blockSize > maxBlockSize)
        return Status::failure("block size must be from 1 to " + std::to_string(maxBlockSize));
    if (channels < 1 || channels > 2) return Status::failure("only mono and stereo audio can be rendered");
    if (effect.numOutputs < channels)
        return Status::failure("the plug-in has " + std::to_string(effect.numOutputs) + " outputs; " +
                               std::to_string(channels) + " are needed");
    if (options.doublePrecision && !plugin.canDoubleReplacing())
        return Status::failure("the plug-in cannot process 64-bit samples; use --precision 32");
    if (!options.doublePrecision && !plugin.canReplacing())
        return Status::failure("the plug-in cannot process 32-bit samples in place; use --precision 64");
    return {};
}

Status BlockRenderer::render(PluginInstance& plugin, const Stream& stream, const Source& source,
                             const Sink& sink, const Options& options, const Progress& progress)
{
    if (Status status = check(plugin, stream.channels, options); !status.ok()) return status;
    plugin.start(stream.channels, stream.sampleRate, options.blockSize, options.doublePrecision);
    Status status = options.doublePrecision
                        ? runBlocks<double>(plugin, stream, source, sink, options, progress)
                        : runBlocks<float>(plugin, stream, source, sink, options, progress);
    plugin.stop();
    return status;
}

Status BlockRenderer::render(PluginInstance& plugin, const AudioBuffer& input, AudioBuffer& output,
                             const Options& options, const Progress& progress)
{
    output = AudioBuffer(input.channelCount(), input.frames(), input.sampleRate);
    std::size_t read = 0;
    std::size_t written = 0;
    const auto source = [&](AudioBuffer& block)
    {
        const std::size_t count = std::min(block.frames(), input.frames() - read);
        for (int c = 0; c < input.channelCount(); ++c)
            std::copy_n(input.channels[c].begin() + static_cast<std::ptrdiff_t>(read), count,
                        block.channels[c].begin());
        read += count;
        return count;
    };
    const auto sink = [&](const AudioBuffer&, const AudioBuffer& block, std::size_t frames)
    {
        for (int c = 0; c < output.channelCount(); ++c)
            std::copy_n(block.channels[c].begin(), frames,
                        output.channels[c].begin() + static_cast<std::ptrdiff_t>(written));
        written += frames;
        return Status{};
    };
    return render(plugin, {input.channelCount(), input.sampleRate, input.frames()}, source, sink, options,
                  progress);
}

} // namespace host
