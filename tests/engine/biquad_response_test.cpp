#include <cmath>
#include <complex>
#include <numbers>

#include <gtest/gtest.h>

#include "engine/CBiquadFilter.h"

// A sine stepped through the filter comes out with the magnitude of the
// analogue prototype mapped by the bilinear transform with its corner
// prewarped, which is what the cookbook designs are: with
// W = tan(pi f / rate) / tan(pi f0 / rate), |H| = 1 / sqrt((1 - W^2)^2 + (W / Q)^2)
// for the low-pass, times W^2 for the high-pass. Q is the effective one, after
// the narrowing near Nyquist that design() applies and the per-sample design
// leaves out.
namespace
{

struct ResponseCase
{
    const char* what;
    int32_t type;
    bool perSampleDesign; // designLowPassUncorrected instead of design()
    double rate;
    double corner;
    double q;
    double probes[3]; // whole hertz: one second holds whole periods
};

const ResponseCase kCases[] = {
    {"detector low-pass", CBiquadFilter::lowPass, false, 48000, 5, 0.5, {1, 5, 20}},
    {"side-chain high-pass", CBiquadFilter::highPass, false, 48000, 40, 0.3, {10, 40, 160}},
    {"low-pass near Nyquist", CBiquadFilter::lowPass, false, 48000, 20000, 0.5, {5000, 20000, 23000}},
    {"high-pass near Nyquist", CBiquadFilter::highPass, false, 44100, 15000, 0.7, {4000, 15000, 21000}},
    {"envelope design", CBiquadFilter::lowPass, true, 44100, 3000, 0.1, {750, 3000, 12000}},
    {"envelope design near Nyquist", CBiquadFilter::lowPass, true, 96000, 40000, 0.1, {10000, 40000, 47000}},
};

double effectiveQ(const ResponseCase& c)
{
    if (c.perSampleDesign)
    {
        return c.q;
    }
    const double e = c.type == CBiquadFilter::highPass ? std::pow(c.corner / (c.rate * 0.5001), 6)
                                                       : std::pow(c.corner / (c.rate * 0.50001), 8);
    return (1 - e) * c.q;
}

double expectedGain(const ResponseCase& c, double frequency)
{
    const double w =
        std::tan(std::numbers::pi * frequency / c.rate) / std::tan(std::numbers::pi * c.corner / c.rate);
    const double q = effectiveQ(c);
    const double lowPass = 1 / std::sqrt((1 - w * w) * (1 - w * w) + (w / q) * (w / q));
    return c.type == CBiquadFilter::highPass ? lowPass * w * w : lowPass;
}

CBiquadFilter designed(const ResponseCase& c)
{
    CBiquadFilter filter(c.type, c.corner, c.q);
    filter.sampleRate = c.rate;
    filter.design();
    if (c.perSampleDesign)
    {
        const double w = c.corner * CBiquadFilter::kTwoPi / c.rate;
        filter.setLowPass(CBiquadFilter::designLowPassUncorrected(std::cos(w), std::sin(w), c.q * 2));
    }
    return filter;
}

// One second to settle, then the amplitude of the probe's frequency in the
// next second (a single-bin Fourier sum over whole periods).
double measuredGain(const ResponseCase& c, double frequency)
{
    CBiquadFilter filter = designed(c);
    const auto second = static_cast<int>(c.rate);
    std::complex<double> sum;
    for (int n = 0; n < 2 * second; ++n)
    {
        const double phase = 2 * std::numbers::pi * frequency * n / c.rate;
        const double y = filter.step(std::sin(phase));
        if (n >= second)
        {
            sum += y * std::polar(1.0, -phase);
        }
    }
    return 2 * std::abs(sum) / second;
}

TEST(BiquadResponse, SteppedSinesHaveTheGainOfTheBilinearPrototype)
{
    for (const ResponseCase& c : kCases)
    {
        for (const double probe : c.probes)
        {
            const double expected = expectedGain(c, probe);
            EXPECT_NEAR(measuredGain(c, probe), expected, 1e-6 * expected + 1e-9)
                << c.what << " at " << probe;
        }
    }
}

} // namespace
