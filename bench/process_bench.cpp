// Time per process call of the plug-in module, by sample type, block size and
// Process mode, on the drums-and-chord programme (the detector keeps
// switching between attack and release). Counter "realtime": how many times
// faster than 44.1 kHz playback.
#include "host/DemoProgramme.h"
#include "host/ParameterLookup.h"
#include "host/PluginInstance.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

constexpr double rate = 44100.0;

template <typename Sample> void processProgramme(benchmark::State& state)
{
    const int blockSize = static_cast<int>(state.range(0));
    const bool valve = state.range(1) != 0;
    host::Status status;
    auto plugin = host::PluginInstance::load(AMBERLIT_PLUGIN_PATH, status);
    if (!plugin)
    {
        state.SkipWithError(status.message().c_str());
        return;
    }
    host::ParameterLookup::Assignment mode;
    host::ParameterLookup(*plugin).parse(valve ? "Process=Valve" : "Process=Clear", mode);
    plugin->setParameter(mode.index, mode.value);

    const host::AudioBuffer programme = host::DemoProgramme::groove(rate, 10.0);
    std::vector<std::vector<Sample>> in(2), out(2, std::vector<Sample>(static_cast<std::size_t>(blockSize)));
    for (int c = 0; c < 2; ++c)
        in[c].assign(programme.channels[c].begin(), programme.channels[c].end());
    Sample* outputs[2] = {out[0].data(), out[1].data()};
    plugin->start(2, rate, blockSize, sizeof(Sample) == sizeof(double));

    std::size_t position = 0;
    for (auto _ : state)
    {
        if (position + static_cast<std::size_t>(blockSize) > programme.frames()) position = 0;
        Sample* inputs[2] = {in[0].data() + position, in[1].data() + position};
        plugin->process(inputs, outputs, blockSize);
        benchmark::DoNotOptimize(out[0][0]);
        position += static_cast<std::size_t>(blockSize);
    }
    plugin->stop();
    const double frames = static_cast<double>(state.iterations()) * blockSize;
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["realtime"] = benchmark::Counter(frames / rate, benchmark::Counter::kIsRate);
}

const std::vector<std::vector<std::int64_t>> arguments = {{64, 512, 4096}, {0, 1}};

} // namespace

BENCHMARK_TEMPLATE(processProgramme, float)->ArgsProduct(arguments)->ArgNames({"block", "valve"});
BENCHMARK_TEMPLATE(processProgramme, double)->ArgsProduct(arguments)->ArgNames({"block", "valve"});

BENCHMARK_MAIN();
