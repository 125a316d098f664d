#include "host/validate/Driving.h"

#include <algorithm>
#include <random>
#include <vector>

namespace host::validation
{
namespace
{

template <typename Sample> struct Buffers
{
    std::vector<Sample> inL, inR, outL, outR;
    Sample* inputs[2];
    Sample* outputs[2];

    void fill(const AudioBuffer& input, std::size_t from, int frames, bool inPlace)
    {
        const auto begin = static_cast<std::ptrdiff_t>(from);
        const auto end = begin + frames;
        inL.assign(input.channels[0].begin() + begin, input.channels[0].begin() + end);
        inR.assign(input.channels[1].begin() + begin, input.channels[1].begin() + end);
        outL.assign(static_cast<std::size_t>(frames), Sample(0));
        outR.assign(static_cast<std::size_t>(frames), Sample(0));
        inputs[0] = inL.data();
        inputs[1] = inR.data();
        outputs[0] = inPlace ? inL.data() : outL.data();
        outputs[1] = inPlace ? inR.data() : outR.data();
    }
    void collect(AudioBuffer& output, std::size_t from, int frames) const
    {
        std::copy(outputs[0], outputs[0] + frames,
                  output.channels[0].begin() + static_cast<std::ptrdiff_t>(from));
        std::copy(outputs[1], outputs[1] + frames,
                  output.channels[1].begin() + static_cast<std::ptrdiff_t>(from));
    }
};

template <typename Sample>
void processBlock(PluginInstance& plugin, const AudioBuffer& input, std::size_t from, int frames,
                  const RenderWay& way, AudioBuffer& output)
{
    Buffers<Sample> buffers;
    buffers.fill(input, from, frames, way.inPlace);
    if (way.emptyBlocks) plugin.process(buffers.inputs, buffers.outputs, 0);
    plugin.process(buffers.inputs, buffers.outputs, frames);
    buffers.collect(output, from, frames);
}

} // namespace

std::unique_ptr<PluginInstance> openInstance(const std::string& path, Outcome& failure)
{
    Status status;
    auto plugin = PluginInstance::load(path, status);
    if (!plugin)
    {
        failure = Outcome::failed(status.message());
        return nullptr;
    }
    // The checks make millions of automation calls; a count is enough.
    plugin->callback().setKeepAutomations(false);
    return plugin;
}

void announceRate(PluginInstance& plugin, double rate)
{
    plugin.callback().setSampleRate(rate);
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
}

void announceBlockSize(PluginInstance& plugin, int frames)
{
    plugin.callback().setBlockSize(frames);
    plugin.dispatch(effSetBlockSize, 0, frames);
}

void switchOn(PluginInstance& plugin)
{
    plugin.dispatch(effMainsChanged, 0, 1);
}

void switchOff(PluginInstance& plugin)
{
    plugin.dispatch(effMainsChanged, 0, 0);
}

void start(PluginInstance& plugin, double rate, int maxBlock)
{
    announceRate(plugin, rate);
    announceBlockSize(plugin, maxBlock);
    switchOn(plugin);
}

std::string currentProgramName(const PluginInstance& plugin)
{
    char name[256] = {};
    plugin.dispatch(effGetProgramName, 0, 0, name);
    name[sizeof name - 1] = '\0';
    return name;
}

std::vector<float> parameters(const PluginInstance& plugin)
{
    std::vector<float> values(static_cast<std::size_t>(std::max(0, plugin.parameterCount())));
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = plugin.parameter(static_cast<int>(i));
    return values;
}

AudioBuffer render(PluginInstance& plugin, const AudioBuffer& input, const RenderWay& way)
{
    AudioBuffer output(2, input.frames(), input.sampleRate);
    std::minstd_rand random(12345);
    std::size_t from = 0;
    for (int n = 0; from < input.frames(); ++n)
    {
        int frames =
            way.randomBlocks ? static_cast<int>(random() % static_cast<unsigned>(way.block)) + 1 : way.block;
        frames =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(frames), input.frames() - from));
        const bool wide = way.alternate ? n % 2 == 1 : way.wide;
        if (wide)
            processBlock<double>(plugin, input, from, frames, way, output);
        else
            processBlock<float>(plugin, input, from, frames, way, output);
        from += static_cast<std::size_t>(frames);
    }
    return output;
}

} // namespace host::validation
