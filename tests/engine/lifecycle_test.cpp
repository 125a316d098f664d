#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <thread>

#include <gtest/gtest.h>

#include "engine_test_support.h"

namespace
{

struct Design
{
    double rate;
    double frequency;
    double q;
};

// |H| at `hz` from the coefficients as the filter steps them.
double magnitudeAt(const CBiquadFilter& f, double hz)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * std::numbers::pi * hz / f.sampleRate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((f.b0 + f.b1 * z1 + f.b2 * z2) / (1.0 + f.a1 * z1 + f.a2 * z2));
}

// A second-order section designed at `design`: unity gain in its pass band
// and a gain of q at its corner, measured at the rate it claims (to the
// rounding of a 2 Hz corner, which grows with the rate).
void expectDesignedAs(const CBiquadFilter& filter, int32_t type, const Design& design, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(filter.sampleRate, design.rate);
    EXPECT_EQ(filter.frequency, design.frequency);
    const double passBand = type == CBiquadFilter::lowPass ? 0.0 : design.rate / 2;
    const double rounding = 1e-6 * std::max(1.0, design.rate / 1e6);
    EXPECT_NEAR(magnitudeAt(filter, passBand), 1.0, rounding);
    EXPECT_NEAR(magnitudeAt(filter, design.frequency), design.q, rounding);
    EXPECT_TRUE(filter.x1 == 0 && filter.x2 == 0 && filter.y1 == 0 && filter.y2 == 0);
}

struct RateCase
{
    float announced;
    double engineRate; // every filter but the meter smoother
    double meterRate;
};

const RateCase kRateCases[] = {
    {44100.0f, 44100, 44100},
    {48000.0f, 48000, 48000},
    {192000.0f, 192000, 192000},
    {20000.0f, 20000, 20000},
    {200000.0f, 200000, 200000},
    {19999.0f, 44100, 19999},
    {250000.0f, 250000, 250000},
    {768000.0f, 768000, 768000},
    {1e7f, 4000000, 1e7},
    {8000.0f, 44100, 8000},
    // No design can use these: they count as out of range for the meter too.
    {0.0f, 44100, 44100},
    {-48000.0f, 44100, 44100},
    {std::numeric_limits<float>::quiet_NaN(), 44100, 44100},
};

TEST(EngineLifecycle, ResumeDesignsTheFiltersForTheCheckedRate)
{
    for (const RateCase& c : kRateCases)
    {
        SCOPED_TRACE(c.announced);
        AutoComp effect(test_host::callback);
        effect.setSampleRate(c.announced);
        effect.resume();
        const CompressorKernel& k = effect.getKernel();
        expectDesignedAs(k.getSidechainHighpassL(), CBiquadFilter::highPass, {c.engineRate, 40, 0.3},
                         "highpass L");
        expectDesignedAs(k.getSidechainHighpassR(), CBiquadFilter::highPass, {c.engineRate, 40, 0.3},
                         "highpass R");
        expectDesignedAs(k.getDetectorFast(), CBiquadFilter::lowPass, {c.engineRate, 5, 0.5}, "fast");
        expectDesignedAs(k.getDetectorSlow(), CBiquadFilter::lowPass, {c.engineRate, 2, 0.5}, "slow");
        expectDesignedAs(k.getMeterSmoother(), CBiquadFilter::lowPass, {c.meterRate, 1000 * 0.7 / 300, 0.583},
                         "meter");
        EXPECT_EQ(k.getEnvelopeFilter().sampleRate, c.engineRate);

        std::vector<float> in(512, 0.25f), outL(512), outR(512);
        auto right = in;
        run(effect, in, right, outL, outR);
        EXPECT_TRUE(std::isfinite(outL.back()) && std::isfinite(effect.getMeterGain()));
    }
}

TEST(EngineLifecycle, SetSampleRateAloneChangesNoCoefficient)
{
    AutoComp effect(test_host::callback);
    effect.setSampleRate(44100.0f);
    effect.resume();
    const CBiquadFilter before = effect.getKernel().getDetectorFast();
    effect.setSampleRate(96000.0f);
    const CBiquadFilter& after = effect.getKernel().getDetectorFast();
    EXPECT_EQ(after.sampleRate, before.sampleRate);
    EXPECT_EQ(after.b0, before.b0);
    EXPECT_EQ(after.a1, before.a1);
    EXPECT_EQ(effect.getAeffect()->initialDelay, 0);
}

int hostRate = 0;
VstIntPtr rateAnsweringHost(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                            float opt)
{
    if (opcode == audioMasterGetSampleRate) return hostRate;
    return test_host::callback(e, opcode, index, value, ptr, opt);
}

std::vector<float> renderAt48k(AutoComp& effect)
{
    effect.setParameter(params::kProcess, 0.5f);
    std::vector<float> left = narrowed(programme(512 * 90, 48000)), out;
    for (std::size_t start = 0; start < left.size(); start += 512)
    {
        std::vector<float> l(left.begin() + static_cast<std::ptrdiff_t>(start),
                             left.begin() + static_cast<std::ptrdiff_t>(start + 512));
        std::vector<float> r = l, outL(512), outR(512);
        run(effect, l, r, outL, outR);
        out.insert(out.end(), outL.begin(), outL.end());
    }
    return out;
}

// Hosts announce the rate in many orders; each ends with the filters designed for it, taken at
// the next block as a resume would, the host's own answer preferred at resume.
TEST(EngineLifecycle, TheRateTakesEffectInEveryCallOrder)
{
    AutoComp reference(test_host::callback);
    reference.setSampleRate(48000.0f);
    reference.resume();
    const std::vector<float> expected = renderAt48k(reference);
    const struct
    {
        const char* order;
        void (*announce)(AutoComp&);
    } orders[] = {
        {"rate after resume", [](AutoComp& e) { e.resume(), e.setSampleRate(48000.0f); }},
        {"no resume at all", [](AutoComp& e) { e.setSampleRate(48000.0f); }},
        {"block size and rate at once", [](AutoComp& e)
         { e.dispatcher(effSetBlockSizeAndSampleRate, 0, 512, nullptr, 48000.0f), e.resume(); }},
        {"the host's answer at resume", [](AutoComp& e) { hostRate = 48000, e.resume(), hostRate = 0; }},
    };
    for (const auto& o : orders)
    {
        AutoComp effect(rateAnsweringHost);
        o.announce(effect);
        EXPECT_EQ(renderAt48k(effect), expected) << o.order;
    }
}

// A host breaking the protocol: suspend and resume on another thread while the audio thread
// processes. The audio thread never meets a half-reset kernel.
TEST(EngineLifecycle, SuspendAndResumeDuringProcessingNeverGiveNonFiniteOutput)
{
    AutoComp effect(test_host::callback);
    prepare(effect);
    std::atomic<bool> stop{false};
    std::thread host(
        [&]
        {
            while (!stop.load())
            {
                effect.suspend();
                effect.resume();
            }
        });
    std::vector<float> left = narrowed(programme(256)), right = left, outL(256), outR(256);
    int nonFinite = 0;
    for (int block = 0; block < 4000; ++block)
    {
        run(effect, left, right, outL, outR);
        nonFinite += !std::all_of(outL.begin(), outL.end(), [](float x) { return std::isfinite(x); });
    }
    stop = true;
    host.join();
    EXPECT_EQ(nonFinite, 0);
}

TEST(EngineLifecycle, MeterSwingsFromFullScaleAfterResume)
{
    AutoComp effect(test_host::callback);
    prepare(effect);
    std::vector<double> silence(64, 0.0), outL(64), outR(64);
    run(effect, silence, silence, outL, outR);
    EXPECT_LT(effect.getMeterGain(), 0.05); // the needle shows nearly full reduction
    silence.assign(44100, 0.0);
    outL = outR = silence;
    run(effect, silence, silence, outL, outR);
    const double floorGain = effect.getKernel().gainCurve(3)[1];
    EXPECT_NEAR(effect.getMeterGain(), floorGain, 1e-4);
}

TEST(EngineLifecycle, CanDoMatchesWholeTextsOnly)
{
    AutoComp effect(test_host::callback);
    const struct
    {
        const char* text;
        VstInt32 answer;
    } cases[] = {{"2in2out", 1},
                 {"1in1out", 1},
                 {"1in2out", 1},
                 {"offline", 1},
                 {"plugAsChannelInsert", 1},
                 {"mixDryWet", 1},
                 {"2in2ou", 0},
                 {"2in2outX", 0},
                 {"receiveVstMidiEvent", 0},
                 {"", 0}};
    for (const auto& c : cases)
    {
        std::string text = c.text;
        EXPECT_EQ(effect.canDo(text.data()), c.answer) << c.text;
    }
}

} // namespace
