#include <cstdint>
#include <cstdio>
#include <cstring>

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

TEST(GoldenOutput, KernelOutputIsBitForBitUnchanged)
{
    for (const GoldenCase& c : kGolden)
    {
        const uint64_t checksum = renderChecksum(c);
        EXPECT_EQ(checksum, c.checksum) << c.what << ": 0x" << std::hex << checksum;
    }
}

} // namespace
