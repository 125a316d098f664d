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
// entries take. Inputs the file does not feed stay silent.
template <typename Sample> class BlockBuffers
{
  public:
    BlockBuffers(int inputs, int outputs, int frames)
        : inputs_(static_cast<std::size_t>(inputs), std::vector<Sample>(static_cast<std::size_t>(frames))),
          outputs_(static_cast<std::size_t>(outputs), std::vector<Sample>(static_cast<std::size_t>(frames)))
    {
        for (auto& channel : inputs_)
            inputPointers_.push_back(channel.data());
        for (auto& channel : outputs_)
            outputPointers_.push_back(channel.data());
    }

    void fill(const AudioBuffer& input, std::size_t start, int frames)
    {
        const auto count = static_cast<std::size_t>(input.channelCount());
        for (std::size_t c = 0; c < inputs_.size() && c < count; ++c)
            for (int i = 0; i < frames; ++i)
                inputs_[c][i] = static_cast<Sample>(input.channels[c][start + i]);
        for (auto& channel : outputs_)
            std::fill(channel.begin(), channel.end(), Sample{});
    }

    void collect(AudioBuffer& output, std::size_t start, int frames) const
    {
        for (std::size_t c = 0; c < output.channels.size(); ++c)
            for (int i = 0; i < frames; ++i)
                output.channels[c][start + i] = static_cast<double>(outputs_[c][i]);
    }

    Sample** inputs() { return inputPointers_.data(); }
    Sample** outputs() { return outputPointers_.data(); }

  private:
    std::vector<std::vector<Sample>> inputs_;
    std::vector<std::vector<Sample>> outputs_;
    std::vector<Sample*> inputPointers_;
    std::vector<Sample*> outputPointers_;
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

template <typename Sample>
Timing runBlocks(PluginInstance& plugin, const AudioBuffer& input, AudioBuffer& output, int blockSize,
                 const BlockRenderer::Progress& progress)
{
    Timing timing;
    const AEffect& effect = plugin.effect();
    BlockBuffers<Sample> buffers(std::max(1, effect.numInputs), effect.numOutputs, blockSize);
    const std::size_t total = input.frames();
    const std::size_t reportEvery = std::max<std::size_t>(total / 200, static_cast<std::size_t>(blockSize));
    std::size_t nextReport = 0;
    for (std::size_t start = 0; start < total; start += static_cast<std::size_t>(blockSize))
    {
        const int frames =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(blockSize), total - start));
        buffers.fill(input, start, frames);
        const double wallBefore = wallSeconds();
        const double cpuBefore = threadCpuSeconds();
        plugin.process(buffers.inputs(), buffers.outputs(), frames);
        timing.cpuSeconds += threadCpuSeconds() - cpuBefore;
        timing.wallSeconds += wallSeconds() - wallBefore;
        buffers.collect(output, start, frames);
        if (progress && start >= nextReport)
        {
            progress(static_cast<double>(start) / static_cast<double>(total));
            nextReport = start + reportEvery;
        }
    }
    if (progress) progress(1.0);
    return timing;
}

} // namespace

Status BlockRenderer::check(const PluginInstance& plugin, const AudioBuffer& input, const Options& options)
{
    const AEffect& effect = plugin.effect();
    if (options.blockSize < 1 || options.blockSize > maxBlockSize)
        return Status::failure("block size must be from 1 to " + std::to_string(maxBlockSize));
    if (input.channelCount() < 1 || input.channelCount() > 2)
        return Status::failure("only mono and stereo audio can be rendered");
    if (effect.numOutputs < input.channelCount())
        return Status::failure("the plug-in has " + std::to_string(effect.numOutputs) + " outputs; " +
                               std::to_string(input.channelCount()) + " are needed");
    if (options.doublePrecision && !plugin.canDoubleReplacing())
        return Status::failure("the plug-in cannot process 64-bit samples; use --precision 32");
    if (!options.doublePrecision && !plugin.canReplacing())
        return Status::failure("the plug-in cannot process 32-bit samples in place; use --precision 64");
    return {};
}

Status BlockRenderer::render(PluginInstance& plugin, const AudioBuffer& input, AudioBuffer& output,
                             const Options& options, const Progress& progress)
{
    Status status = check(plugin, input, options);
    if (!status.ok()) return status;
    output = AudioBuffer(input.channelCount(), input.frames(), input.sampleRate);
    plugin.start(input.channelCount(), input.sampleRate, options.blockSize, options.doublePrecision);
    const Timing timing = options.doublePrecision
                              ? runBlocks<double>(plugin, input, output, options.blockSize, progress)
                              : runBlocks<float>(plugin, input, output, options.blockSize, progress);
    if (options.timing != nullptr) *options.timing = timing;
    plugin.stop();
    return {};
}

} // namespace host
