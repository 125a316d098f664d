// Time per frame of the compressor kernel alone (no module, no host), by
// sample type and Process mode, on the drums-and-chord programme in blocks of
// 512; and on 64-bit input holding only subnormal values, which must cost no
// more than the programme, or than silence (the same work but for the
// subnormal operands). Run it under `perf record` for the split between the kernel's stages
// and the library's sincos, atan and tanh.
#include "engine/CompressorKernel.h"
#include "engine/ParameterTable.h"
#include "host/DemoProgramme.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{

constexpr double rate = 44100.0;
constexpr int blockSize = 512;

enum class Input
{
    programme,
    subnormal,
    silence
};

template <typename Sample, Input input = Input::programme> void processKernel(benchmark::State& state)
{
    CompressorKernel kernel;
    // The factory default: 3:1, Time and Compression at 0.5, Output 0 dB.
    kernel.setProcessMode(state.range(0) != 0 ? 2 : 1);
    kernel.setRatioIndex(params::ratioIndex(0.5f));
    kernel.setTimeScale(params::timeScale(0.5f));
    kernel.setDriveTarget(params::driveTarget(0.5f));
    kernel.setOutputGainTarget(params::outputGainTarget(0.0f));
    kernel.settleSmoothing();
    kernel.resume(rate);

    const host::AudioBuffer programme = host::DemoProgramme::groove(rate, 10.0);
    std::vector<Sample> left(programme.channels[0].begin(), programme.channels[0].end());
    std::vector<Sample> right(programme.channels[1].begin(), programme.channels[1].end());
    if constexpr (input != Input::programme)
    {
        for (auto* channel : {&left, &right})
            for (Sample& sample : *channel)
                sample *= input == Input::subnormal ? 1e-310 : 0.0;
    }
    std::vector<Sample> outL(blockSize), outR(blockSize);

    std::size_t position = 0;
    for (auto _ : state)
    {
        if (position + blockSize > left.size()) position = 0;
        kernel.processBlock(left.data() + position, right.data() + position, outL.data(), outR.data(),
                            blockSize);
        benchmark::DoNotOptimize(outL[0]);
        position += blockSize;
    }
    const double frames = static_cast<double>(state.iterations()) * blockSize;
    state.SetItemsProcessed(static_cast<std::int64_t>(frames));
    state.counters["realtime"] = benchmark::Counter(frames / rate, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK_TEMPLATE(processKernel, float)->Arg(0)->Arg(1)->ArgName("valve");
BENCHMARK_TEMPLATE(processKernel, double)->Arg(0)->Arg(1)->ArgName("valve");
BENCHMARK_TEMPLATE(processKernel, double, Input::subnormal)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("valve")
    ->Name("subnormalInput");
BENCHMARK_TEMPLATE(processKernel, double, Input::silence)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("valve")
    ->Name("silentInput");

BENCHMARK_MAIN();
