#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "ReferenceKernel.h"
#include "engine/CompressorKernel.h"

// The kernel against the version it replaced, on random signals, block sizes,
// parameter changes, buffer layouts and life-cycle calls: every output sample,
// the meter and every piece of state must stay the same to the bit.
namespace
{

template <typename A, typename B> bool sameBits(const A& a, const B& b)
{
    static_assert(sizeof(A) == sizeof(B));
    return std::memcmp(&a, &b, sizeof(A)) == 0;
}

template <typename Filter> std::vector<double> filterState(const Filter& f)
{
    return {f.sampleRate, f.frequency, f.q,  f.offset, f.a1, f.a2, f.b0, f.b1,
            f.b2,         f.x,         f.x1, f.x2,     f.y,  f.y1, f.y2};
}

template <typename Kernel> std::vector<double> kernelState(const Kernel& k)
{
    std::vector<double> state = {k.getMeterGain(), k.getEnvelope(), k.getDrive(), k.getOutputGain(),
                                 static_cast<double>(k.getRatioIndex())};
    for (const auto* f : {&k.getSidechainHighpassL(), &k.getSidechainHighpassR(), &k.getDetectorFast(),
                          &k.getDetectorSlow(), &k.getEnvelopeFilter(), &k.getMeterSmoother()})
    {
        const std::vector<double> more = filterState(*f);
        state.insert(state.end(), more.begin(), more.end());
    }
    return state;
}

bool sameState(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

// Level in dB, with a few blocks of silence, of extreme values and of
// non-finite samples among ordinary programme.
template <typename Sample> void fillSignal(std::mt19937& random, std::vector<Sample>& samples)
{
    const int kind = std::uniform_int_distribution<int>(0, 19)(random);
    const double level = std::pow(10.0, std::uniform_real_distribution<double>(-90, 12)(random) / 20);
    const double frequency = std::uniform_real_distribution<double>(0.0005, 0.2)(random);
    std::normal_distribution<double> noise(0.0, level);
    const double phase = std::uniform_real_distribution<double>(0, 6.28)(random);
    for (std::size_t i = 0; i < samples.size(); ++i)
    {
        double value = 0;
        if (kind < 8)
        {
            value = level * std::sin(phase + frequency * 6.283185307179586 * static_cast<double>(i));
        }
        else if (kind < 15)
        {
            value = noise(random);
        }
        else if (kind == 15)
        {
            value = i % 97 == 0 ? level * 4 : 0.0; // clicks
        }
        else if (kind == 16)
        {
            value = std::numeric_limits<Sample>::denorm_min() * static_cast<double>(i % 3);
        }
        samples[i] = static_cast<Sample>(value); // 17: silence
    }
    if (kind == 18 && !samples.empty())
    {
        const Sample bad[] = {std::numeric_limits<Sample>::quiet_NaN(),
                              std::numeric_limits<Sample>::infinity(),
                              -std::numeric_limits<Sample>::infinity(), static_cast<Sample>(1e30)};
        samples[random() % samples.size()] = bad[random() % 4];
    }
    if (kind == 19 && !samples.empty())
    {
        samples[random() % samples.size()] =
            static_cast<Sample>(std::is_same_v<Sample, float> ? 3e38 : 1e200);
    }
}

// Changes between blocks, as a host or the editor makes them, including
// ratio indices out of range (the kernel limits them once per block).
template <typename Kernel> void applyChange(Kernel& kernel, int what, double value)
{
    switch (what)
    {
    case 0:
        kernel.setProcessMode(static_cast<int32_t>(value * 3) % 3);
        break;
    case 1:
        kernel.setRatioIndex(static_cast<int32_t>(value * 11) - 2);
        break;
    case 2:
        kernel.setTimeScale(0.005 + value * 0.495);
        break;
    case 3:
        kernel.setDriveTarget(0.125 * std::pow(1024.0, value));
        break;
    case 4:
        kernel.setOutputGainTarget(std::pow(10.0, value * 1.5));
        break;
    case 5:
        kernel.suspend();
        break;
    case 6:
    {
        const double rates[] = {44100, 48000, 96000, 192000, 22050, 250000, 8000, 20000};
        kernel.resume(rates[static_cast<int>(value * 8) % 8]);
        break;
    }
    default:
        break;
    }
}

enum class Layout
{
    separate,   // four buffers
    inPlace,    // outputs are the inputs
    oneOutput,  // both results into one buffer, the right one last
    monoInPlace // one buffer for everything, as a mono host may hand it
};

template <typename Sample, typename Kernel>
void processLayout(Kernel& kernel, Layout layout, const std::vector<Sample>& left,
                   const std::vector<Sample>& right, std::vector<Sample>& bufL, std::vector<Sample>& bufR)
{
    const auto frames = static_cast<int32_t>(left.size());
    switch (layout)
    {
    case Layout::separate:
        kernel.processBlock(left.data(), right.data(), bufL.data(), bufR.data(), frames);
        break;
    case Layout::inPlace:
        bufL = left;
        bufR = right;
        kernel.processBlock(bufL.data(), bufR.data(), bufL.data(), bufR.data(), frames);
        break;
    case Layout::oneOutput:
        kernel.processBlock(left.data(), right.data(), bufL.data(), bufL.data(), frames);
        break;
    case Layout::monoInPlace:
        bufL = left;
        kernel.processBlock(bufL.data(), bufL.data(), bufL.data(), bufL.data(), frames);
        break;
    }
}

template <typename Sample> void runSideBySide(uint32_t seed)
{
    std::mt19937 random(seed);
    reference::CompressorKernel before;
    CompressorKernel after;
    for (auto change = 0; change < 5; ++change)
    {
        const double value = std::uniform_real_distribution<double>(0, 1)(random);
        applyChange(before, change, value);
        applyChange(after, change, value);
    }
    before.settleSmoothing();
    after.settleSmoothing();
    before.resume(44100);
    after.resume(44100);

    for (int block = 0; block < 250; ++block)
    {
        const int changes = std::uniform_int_distribution<int>(0, 2)(random);
        for (int c = 0; c < changes; ++c)
        {
            const int what = std::uniform_int_distribution<int>(0, 12)(random);
            const double value = std::uniform_real_distribution<double>(0, 1)(random);
            applyChange(before, what, value);
            applyChange(after, what, value);
        }
        const int sizes[] = {0, 1, 2, 3, 17, 64, 100, 511, 512, 513, 1500};
        const auto frames = static_cast<std::size_t>(sizes[random() % std::size(sizes)]);
        std::vector<Sample> left(frames), right(frames);
        fillSignal(random, left);
        if (random() % 4 == 0)
        {
            right = left;
        }
        else
        {
            fillSignal(random, right);
        }
        const auto layout = static_cast<Layout>(random() % 4);
        std::vector<Sample> beforeL(frames, Sample(7)), beforeR(frames, Sample(7));
        std::vector<Sample> afterL(frames, Sample(7)), afterR(frames, Sample(7));
        processLayout(before, layout, left, right, beforeL, beforeR);
        processLayout(after, layout, left, right, afterL, afterR);

        for (std::size_t i = 0; i < frames; ++i)
        {
            ASSERT_TRUE(sameBits(beforeL[i], afterL[i]) && sameBits(beforeR[i], afterR[i]))
                << "seed " << seed << " block " << block << " frame " << i << ": " << beforeL[i] << " "
                << afterL[i] << " / " << beforeR[i] << " " << afterR[i];
        }
        ASSERT_TRUE(sameState(kernelState(before), kernelState(after)))
            << "seed " << seed << " block " << block;
    }
}

TEST(KernelEquivalence, RandomSignalsAndChangesGiveTheOldKernelsBitsInBothPrecisions)
{
    for (uint32_t seed = 1; seed <= 6; ++seed)
    {
        runSideBySide<float>(seed);
        runSideBySide<double>(seed + 100);
    }
}

} // namespace
