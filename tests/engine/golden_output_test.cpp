#include <cstdint>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include <gtest/gtest.h>

#include "engine_test_support.h"

// Pins the kernel's output to the last bit. Any change to the order of
// operations, a fused multiply-add or a float intermediate changes these
// checksums; a change that is meant must update them (the failure prints the
// new value).
namespace
{

struct GoldenCase
{
    const char* what;
    float process, ratio, time, compression, output;
    uint64_t checksum;
};

uint64_t fnv1a(const void* data, std::size_t size, uint64_t hash)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i)
    {
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    }
    return hash;
}

uint64_t renderChecksum(const GoldenCase& c)
{
    AutoComp effect(test_host::callback);
    effect.setSampleRate(48000.0f);
    effect.resume();
    const float values[] = {c.process, 0, c.ratio, 0, c.time, c.compression, c.output};
    for (VstInt32 i = 0; i < 7; ++i)
    {
        effect.setParameter(i, values[i]);
    }
    std::vector<double> left = programme(3 * 48000, 48000), right(left.size());
    for (std::size_t i = 0; i < left.size(); ++i)
    {
        right[i] = -0.5 * left[i];
    }
    std::vector<double> outL(left.size()), outR(left.size());
    run(effect, left, right, outL, outR);
    uint64_t hash = 1469598103934665603ull;
    hash = fnv1a(outL.data(), outL.size() * sizeof(double), hash);
    return fnv1a(outR.data(), outR.size() * sizeof(double), hash);
}

const GoldenCase kGolden[] = {
    {"Clear 3:1", 0.5f, 0.5f, 0.5f, 0.5f, 0.0f, 0x1f10e78c750f9a2eull},
    {"Valve 10:1 driven", 1.0f, 1.0f, 0.2f, 0.9f, 0.3f, 0xc8150bb42ed7a605ull},
    {"Valve 1.2:1 slow", 1.0f, 0.0f, 1.0f, 0.3f, 0.5f, 0x5a40187c3aeff028ull},
};

// Every factory preset at three rates through both entries, in blocks of
// changing size with automation between them, a few blocks with "Process"
// off and a suspend and resume in the middle. The meter is hashed after each
// block too.
struct Automation
{
    int block;
    VstInt32 index;
    float value;
};

const Automation kAutomation[] = {
    {3, params::kCompression, 0.8f},  {5, params::kOutput, 0.4f},   {8, params::kTime, 0.1f},
    {11, params::kRatio, 1.0f},       {13, params::kProcess, 0.5f}, {17, params::kCompression, 0.2f},
    {19, params::kProcess, 0.0f},     {21, params::kProcess, 1.0f}, {26, params::kRatio, 0.0f},
    {30, params::kTime, 0.9f},        {34, params::kOutput, 0.0f},  {38, params::kCompression, 1.0f},
    {45, params::kRatio, 0.6666667f}, {52, params::kProcess, 0.5f}, {60, params::kTime, 0.0f},
};
constexpr int kSuspendAfterBlock = 24;
const int kBlockSizes[] = {512, 1, 300, 2048, 7, 64, 1000};

template <typename Sample> uint64_t renderPreset(VstInt32 preset, float rate, uint64_t hash)
{
    AutoComp effect(test_host::callback);
    effect.setSampleRate(rate);
    effect.resume();
    effect.selectPreset(preset);
    const std::vector<double> source = programme(static_cast<int>(rate), rate);
    std::vector<Sample> left(source.begin(), source.end()), right(source.size());
    for (std::size_t i = 0; i < source.size(); ++i)
    {
        right[i] = static_cast<Sample>(-0.5 * source[i] + 0.05 * std::sin(static_cast<double>(i) * 0.01));
    }
    std::vector<Sample> outL(left.size()), outR(left.size());
    std::size_t position = 0;
    for (int block = 0; position < left.size(); ++block)
    {
        for (const Automation& a : kAutomation)
        {
            if (a.block == block)
            {
                effect.setParameter(a.index, a.value);
            }
        }
        if (block == kSuspendAfterBlock)
        {
            effect.suspend();
            effect.resume();
        }
        const std::size_t frames = std::min(
            left.size() - position, static_cast<std::size_t>(kBlockSizes[block % std::size(kBlockSizes)]));
        Sample* inputs[2] = {left.data() + position, right.data() + position};
        Sample* outputs[2] = {outL.data() + position, outR.data() + position};
        if constexpr (std::is_same_v<Sample, float>)
        {
            effect.processReplacing(inputs, outputs, static_cast<VstInt32>(frames));
        }
        else
        {
            effect.processDoubleReplacing(inputs, outputs, static_cast<VstInt32>(frames));
        }
        const double meter = effect.getMeterGain();
        hash = fnv1a(&meter, sizeof meter, hash);
        position += frames;
    }
    hash = fnv1a(outL.data(), outL.size() * sizeof(Sample), hash);
    return fnv1a(outR.data(), outR.size() * sizeof(Sample), hash);
}

template <typename Sample> uint64_t renderPresetAtAllRates(VstInt32 preset)
{
    uint64_t hash = 1469598103934665603ull;
    for (const float rate : {44100.0f, 48000.0f, 96000.0f})
    {
        hash = renderPreset<Sample>(preset, rate, hash);
    }
    return hash;
}

struct PresetGolden
{
    uint64_t singlePrecision;
    uint64_t doublePrecision;
};

const PresetGolden kPresetGolden[CPresetSystemEffect::kNumPresets] = {
    {0x25a0692408f0489ull, 0xa8b4cbd59d9a86adull},  {0x25a0692408f0489ull, 0xa8b4cbd59d9a86adull},
    {0xca4cd6814593fe20ull, 0x2250a6be564d6215ull}, {0x7b1ef3efd5208760ull, 0x4ce65cdc004a96d7ull},
    {0x33ee51bdd3069b1cull, 0xf65d578683e020ceull}, {0xf584b637fa139bc0ull, 0xc814b7b8b436fd3aull},
    {0xd2663d6c98143b09ull, 0x9dcef8e910ae352full}, {0x1cdb9af29021eb07ull, 0xff2efbd38fc02cc0ull},
    {0x58ca603162a0dc57ull, 0x20032e0239d83535ull}, {0xbf06e5ca4707747ull, 0xd5f70c5b1317740ull},
    {0xb8872729c2a8e3b9ull, 0x2a070ba9ffbf21c6ull}, {0xecc712ec54b9919eull, 0x90be3680f89f6ea7ull},
    {0x8dab479030379bd6ull, 0x1cab945938653aa5ull}, {0xa182f99069860d01ull, 0xc2a9b2c17dfce5d3ull},
    {0x191d9c3656a3761ull, 0xa89be74ac5ba1153ull},  {0xac2ec41bc7689fbaull, 0xfe44a6795ae4faf4ull},
    {0x89b9917cdb8b19cbull, 0xefadd7627653ccacull}, {0xb8872729c2a8e3b9ull, 0x2a070ba9ffbf21c6ull},
    {0xa7552b12eea8e69ull, 0xb440e821563487c8ull},  {0xf52dd385ab6106f8ull, 0x62947c221a0c4e84ull},
    {0xbd90c57fc7a5ab3full, 0xa5a6e6f20c78ae5aull}, {0xd52f121442effca5ull, 0x5aea0771af509b79ull},
    {0x2f6fcb32464914e5ull, 0x36f1060ebb81e236ull}, {0x6a8c31488ca70df8ull, 0x708f02c3708297e7ull},
};

// A minute of varied programme per rate: every 2.5 s new settings and new
// material (drum bursts, tones, noise, 40x overs, decays to 1e-30 followed by
// exact zeros), so that work on the kernel's speed is held to the bit on all
// of its paths. A plain generator of our own: the library's distributions
// differ between systems.
struct VariedRun
{
    float rate;
    std::vector<int> blockSizes;
};

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

double unitRandom(uint32_t& state)
{
    return nextRandom(state) / 16777216.0;
}

template <typename Sample> uint64_t renderVaried(const VariedRun& r, uint64_t hash)
{
    const int segment = static_cast<int>(r.rate * 2.5);
    const int frames = 24 * segment;
    uint32_t random = 20261208u;
    AutoComp effect(test_host::callback);
    effect.setSampleRate(r.rate);
    effect.resume();
    std::vector<Sample> left(static_cast<std::size_t>(frames)), right(left.size());
    const std::vector<double> drums = programme(segment, r.rate);
    for (int s = 0; s < 24; ++s)
    {
        const int kind = s % 6;
        const double level = 0.05 + unitRandom(random);
        const double step = 0.001 + 0.2 * unitRandom(random);
        for (int i = 0; i < segment; ++i)
        {
            const double t = i;
            double l = 0, rr = 0;
            switch (kind)
            {
            case 0: // drums over a chord
                l = level * drums[static_cast<std::size_t>(i)];
                rr = -0.5 * l + 0.05 * std::sin(t * 0.01);
                break;
            case 1: // a tone, louder on the left
                l = level * std::sin(t * step);
                rr = 0.3 * l;
                break;
            case 2: // noise
                l = level * (unitRandom(random) * 2 - 1);
                rr = level * (unitRandom(random) * 2 - 1);
                break;
            case 3: // overs: 40 times full scale, in bursts
                l = (i / 997) % 3 == 0 ? 40 * std::sin(t * step) : 0.1 * std::sin(t * step);
                rr = -l;
                break;
            case 4: // a decay down to 1e-30, then exact zeros
            {
                const double decayed = level * std::exp(-t * 80.0 / segment) * std::sin(t * step);
                l = std::fabs(decayed) < 1e-30 || i > segment * 3 / 4 ? 0.0 : decayed;
                rr = l * 0.5;
                break;
            }
            default: // silence on the right, clicks on the left
                l = i % 4410 == 0 ? level * 4 : 0.0;
                break;
            }
            left[static_cast<std::size_t>(s * segment + i)] = static_cast<Sample>(l);
            right[static_cast<std::size_t>(s * segment + i)] = static_cast<Sample>(rr);
        }
    }
    std::vector<Sample> outL(left.size()), outR(left.size());
    int position = 0;
    for (int block = 0; position < frames; ++block)
    {
        if (position / segment != (position - 1) / segment || position == 0)
        {
            for (const VstInt32 index :
                 {params::kProcess, params::kRatio, params::kTime, params::kCompression, params::kOutput})
                effect.setParameter(index, static_cast<float>(unitRandom(random)));
        }
        const int size =
            std::min(frames - position, r.blockSizes[static_cast<std::size_t>(block) % r.blockSizes.size()]);
        Sample* inputs[2] = {left.data() + position, right.data() + position};
        Sample* outputs[2] = {outL.data() + position, outR.data() + position};
        if constexpr (std::is_same_v<Sample, float>)
            effect.processReplacing(inputs, outputs, size);
        else
            effect.processDoubleReplacing(inputs, outputs, size);
        const double meter = effect.getMeterGain();
        hash = fnv1a(&meter, sizeof meter, hash);
        position += size;
    }
    hash = fnv1a(outL.data(), outL.size() * sizeof(Sample), hash);
    return fnv1a(outR.data(), outR.size() * sizeof(Sample), hash);
}

TEST(GoldenOutput, VariedProgrammeWithAutomationOversAndDecaysIsBitForBitUnchanged)
{
    const VariedRun runs[] = {{96000.0f, {100}}, {44100.0f, {1, 7, 100, 333, 512, 1021, 64, 2}}};
    const uint64_t expected[2][2] = {{0x8dcca6f0daafbb9cull, 0xe174db0dedadc708ull},
                                     {0xc5a4a4a268f1d55aull, 0xcb5caf827fac5404ull}};
    for (std::size_t i = 0; i < std::size(runs); ++i)
    {
        const uint64_t single = renderVaried<float>(runs[i], 1469598103934665603ull);
        const uint64_t twice = renderVaried<double>(runs[i], 1469598103934665603ull);
        EXPECT_TRUE(single == expected[i][0] && twice == expected[i][1])
            << runs[i].rate << " Hz: {0x" << std::hex << single << "ull, 0x" << twice << "ull},";
    }
}

TEST(GoldenOutput, EveryPresetWithAutomationAndSuspendIsBitForBitUnchanged)
{
    for (VstInt32 preset = 0; preset < CPresetSystemEffect::kNumPresets; ++preset)
    {
        const PresetGolden& expected = kPresetGolden[preset];
        const uint64_t single = renderPresetAtAllRates<float>(preset);
        const uint64_t twice = renderPresetAtAllRates<double>(preset);
        EXPECT_TRUE(single == expected.singlePrecision && twice == expected.doublePrecision)
            << "preset " << preset << ": {0x" << std::hex << single << "ull, 0x" << twice << "ull},";
    }
}

TEST(GoldenOutput, KernelOutputIsBitForBitUnchanged)
{
    for (const GoldenCase& c : kGolden)
    {
        const uint64_t checksum = renderChecksum(c);
        EXPECT_EQ(checksum, c.checksum) << c.what << ": 0x" << std::hex << checksum;
    }
}

} // namespace
