#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "engine_test_support.h"

namespace
{

class KernelProcess : public ::testing::Test
{
  protected:
    void TearDown() override
    {
        test_host::secondInputMissing = false;
        test_host::secondOutputMissing = false;
    }
};

template <typename Sample> bool bitEqual(const std::vector<Sample>& a, const std::vector<Sample>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Sample)) == 0;
}

template <typename Sample> void expectOffPassesBitExactly()
{
    AutoComp effect(test_host::callback);
    prepare(effect, 44100.0f, 0.0f);
    std::vector<Sample> left = {Sample(0.0),   Sample(-0.0),    Sample(1.0),         Sample(-1.0),
                                Sample(1e-40), Sample(-3.5e38), Sample(0.123456789), Sample(2.0)};
    std::vector<Sample> right = {Sample(0.5), Sample(-0.25), std::numeric_limits<Sample>::denorm_min(),
                                 Sample(7),   Sample(-7),    Sample(1e-3),
                                 Sample(0),   Sample(-1e30)};
    std::vector<Sample> outL(left.size()), outR(left.size());
    run(effect, left, right, outL, outR);
    EXPECT_TRUE(bitEqual(outL, left));
    EXPECT_TRUE(bitEqual(outR, right));
}

TEST_F(KernelProcess, OffPassesInputBitExactlyInBothPrecisions)
{
    expectOffPassesBitExactly<float>();
    expectOffPassesBitExactly<double>();
}

template <typename Sample> void expectSplitEqualsWhole(float process)
{
    const std::vector<double> source = programme(20000);
    std::vector<Sample> left(source.begin(), source.end());
    std::vector<Sample> right(left.rbegin(), left.rend());

    AutoComp whole(test_host::callback), split(test_host::callback);
    prepare(whole, 44100.0f, process);
    prepare(split, 44100.0f, process);
    std::vector<Sample> wholeL(left.size()), wholeR(left.size());
    run(whole, left, right, wholeL, wholeR);

    std::vector<Sample> splitL(left.size()), splitR(left.size());
    const int cuts[] = {0, 1, 1, 128, 5000, 5000, 20000}; // includes empty blocks
    for (std::size_t c = 0; c + 1 < std::size(cuts); ++c)
    {
        const int from = cuts[c];
        Sample* inputs[2] = {left.data() + from, right.data() + from};
        Sample* outputs[2] = {splitL.data() + from, splitR.data() + from};
        if constexpr (std::is_same_v<Sample, float>)
        {
            split.processReplacing(inputs, outputs, cuts[c + 1] - from);
        }
        else
        {
            split.processDoubleReplacing(inputs, outputs, cuts[c + 1] - from);
        }
    }
    EXPECT_TRUE(bitEqual(wholeL, splitL));
    EXPECT_TRUE(bitEqual(wholeR, splitR));
}

TEST_F(KernelProcess, TwoBlocksEqualOneCombinedBlock)
{
    for (const float process : {0.5f, 1.0f})
    {
        expectSplitEqualsWhole<float>(process);
        expectSplitEqualsWhole<double>(process);
    }
}

TEST_F(KernelProcess, MonoPinsFeedTheLeftInputAndKeepTheRightResult)
{
    auto left = programme(8000);
    auto right = sine(-6, 300, 44100, 8000);
    const std::size_t n = left.size();
    AutoComp stereo(test_host::callback);
    prepare(stereo, 44100.0f, 1.0f);
    auto refL = left, refR = left, dualLeft = left;
    run(stereo, left, dualLeft, refL, refR);

    for (const bool outputMissing : {false, true})
    {
        test_host::secondInputMissing = true;
        test_host::secondOutputMissing = outputMissing;
        AutoComp mono(test_host::callback);
        prepare(mono, 44100.0f, 1.0f);
        std::vector<double> outL(n), outR(n, 42.0);
        run(mono, left, right, outL, outR);
        // With one output, both results go there, the right one last.
        EXPECT_TRUE(bitEqual(outL, outputMissing ? refR : refL));
        EXPECT_TRUE(outputMissing ? outR == std::vector<double>(n, 42.0) : bitEqual(outR, refR));
    }
}

// A host that accepts a mono arrangement may then pass one buffer per side.
TEST_F(KernelProcess, AMonoArrangementProcessesOneChannelLikeUnconnectedPins)
{
    std::vector<float> in = narrowed(programme(4096));
    AutoComp pins(test_host::callback);
    prepare(pins);
    test_host::secondInputMissing = test_host::secondOutputMissing = true;
    std::vector<float> expected(in.size());
    float* pinInputs[2] = {in.data(), in.data()};
    float* pinOutputs[2] = {expected.data(), expected.data()};
    pins.processReplacing(pinInputs, pinOutputs, static_cast<VstInt32>(in.size()));
    test_host::secondInputMissing = test_host::secondOutputMissing = false;

    AutoComp mono(test_host::callback);
    prepare(mono);
    VstSpeakerArrangement one{};
    one.numChannels = 1;
    ASSERT_TRUE(mono.setSpeakerArrangement(&one, &one));
    std::vector<float> out(in.size());
    float* inputs[2] = {in.data(), nullptr};
    float* outputs[2] = {out.data(), nullptr};
    mono.processReplacing(inputs, outputs, static_cast<VstInt32>(in.size()));
    EXPECT_TRUE(bitEqual(out, expected));
}

TEST_F(KernelProcess, EmptyBlocksTouchNoBufferInEitherEntry)
{
    AutoComp effect(test_host::callback);
    prepare(effect);
    effect.processReplacing(nullptr, nullptr, 0);
    effect.processDoubleReplacing(nullptr, nullptr, 0);
    AEffect* record = effect.getAeffect();
    record->processReplacing(record, nullptr, nullptr, 0);
    record->processDoubleReplacing(record, nullptr, nullptr, 0);
}

// Seconds after a disturbance of `frames` samples at `level` (alternating in
// sign) in a -10 dBFS tone until the output stays within 0.5 dB of an
// undisturbed render, measured in 10 ms windows.
template <typename Sample> double recoverySeconds(double level, int frames)
{
    constexpr int kRate = 44100;
    constexpr int kAt = kRate;
    constexpr int kWindow = kRate / 100;
    const std::vector<double> source = sine(-10, 1000, kRate, 5 * kRate);
    std::vector<Sample> clean(source.begin(), source.end()), disturbed = clean;
    for (int i = 0; i < frames; ++i)
        disturbed[static_cast<std::size_t>(kAt + i)] = static_cast<Sample>(i % 2 ? -level : level);
    std::vector<Sample> outL(clean.size()), outR(clean.size()), refL(clean.size()), refR(clean.size());
    AutoComp effect(test_host::callback), reference(test_host::callback);
    prepare(effect);
    prepare(reference);
    auto cleanCopy = clean;
    run(effect, disturbed, disturbed, outL, outR);
    run(reference, clean, cleanCopy, refL, refR);
    int lastOff = kAt + frames;
    for (int start = kAt + frames; start + kWindow <= static_cast<int>(clean.size()); start += kWindow)
    {
        double out = 0, ref = 0;
        for (int i = start; i < start + kWindow; ++i)
        {
            const auto at = static_cast<std::size_t>(i);
            out += static_cast<double>(outL[at]) * static_cast<double>(outL[at]);
            ref += static_cast<double>(refL[at]) * static_cast<double>(refL[at]);
        }
        if (!(std::fabs(10 * std::log10(out / ref)) <= 0.5)) lastOff = start + kWindow;
    }
    return static_cast<double>(lastOff - kAt - frames) / kRate;
}

// Above the gain table the reduction is at its floor: whatever the level of a
// sample or a block, the output recovers as from the largest level the table
// covers, not for seconds more per decade of level.
TEST_F(KernelProcess, AnOverRangeBurstRecoversAsFromTheTableTop)
{
    const double topLevel = 4094.5 / 16 / params::driveTarget(0.5f); // the table's top amplitude, driven
    for (const int frames : {1, 512})
    {
        const double atTop = recoverySeconds<double>(topLevel * 0.999, frames);
        EXPECT_LT(atTop, 3.0);
        for (const double level : {1e6, 1e30, 3e38})
            EXPECT_LE(recoverySeconds<float>(level, frames), atTop + 0.011) << level << " x " << frames;
        for (const double level : {1e6, 1e30, 1e200, 1e300, std::numeric_limits<double>::max()})
            EXPECT_LE(recoverySeconds<double>(level, frames), atTop + 0.011) << level << " x " << frames;
    }
}

// A non-finite sample comes out as silence and disturbs no more than the 10 ms
// window that holds it, in either entry.
TEST_F(KernelProcess, NonFiniteSamplesDisturbAtMostTenMilliseconds)
{
    for (const int frames : {1, 512})
    {
        for (const double bad :
             {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
        {
            EXPECT_LE(recoverySeconds<float>(bad, frames), 0.01) << bad << " x " << frames;
            EXPECT_LE(recoverySeconds<double>(bad, frames), 0.01) << bad << " x " << frames;
        }
    }
}

TEST_F(KernelProcess, SilenceStaysBelowTheNoiseLevel)
{
    AutoComp effect(test_host::callback);
    prepare(effect);
    effect.setParameter(params::kCompression, 0.0f); // drive 0.125
    effect.setParameter(params::kOutput, 1.0f);      // +30 dB
    std::vector<double> silence(88200, 0.0), outL(silence.size()), outR(silence.size());
    run(effect, silence, silence, outL, outR);
    double peak = 0;
    for (std::size_t i = 44100; i < silence.size(); ++i)
    {
        peak = std::max({peak, std::fabs(outL[i]), std::fabs(outR[i])});
    }
    EXPECT_GT(peak, 0.0);
    // Noise of 1e-10 x 31.6 / 0.125: about 2.5e-8, below -150 dBFS (3.2e-8).
    EXPECT_LE(peak, 2.6e-8);
    EXPECT_EQ(effect.getKernel().getEnvelope(), 0.001);
}

TEST_F(KernelProcess, FloatAndDoubleEntriesAgreeToFloatPrecision)
{
    for (const float process : {0.5f, 1.0f})
    {
        const auto source = narrowed(programme(30000));
        std::vector<double> wideL(source.begin(), source.end()), wideR(wideL.rbegin(), wideL.rend());
        std::vector<float> narrowL = source, narrowR(source.rbegin(), source.rend());

        AutoComp single(test_host::callback), twice(test_host::callback);
        prepare(single, 44100.0f, process);
        prepare(twice, 44100.0f, process);
        std::vector<float> outFL(source.size()), outFR(source.size());
        std::vector<double> outDL(source.size()), outDR(source.size());
        run(single, narrowL, narrowR, outFL, outFR);
        run(twice, wideL, wideR, outDL, outDR);
        // Same widened input, same double arithmetic: only the final narrowing differs.
        for (std::size_t i = 0; i < source.size(); ++i)
        {
            ASSERT_EQ(outFL[i], static_cast<float>(outDL[i])) << i;
            ASSERT_EQ(outFR[i], static_cast<float>(outDR[i])) << i;
        }
    }
}

struct SteadyState
{
    double dbfs;
    double reductionDb;
    double meterGain;
};

// Initial settings with "Clear", 1 kHz sine at 44100 Hz, last second of eight.
const SteadyState kSteadyStates[] = {{-30, 0.5, 0.94}, {-20, 2.5, 0.75}, {-10, 7.5, 0.42}, {0, 14.0, 0.20}};

TEST_F(KernelProcess, SteadyStateReductionOfA1kHzSine)
{
    for (const SteadyState& expected : kSteadyStates)
    {
        AutoComp effect(test_host::callback);
        prepare(effect);
        auto in = sine(expected.dbfs, 1000, 44100, 8 * 44100);
        std::vector<double> outL(in.size()), outR(in.size());
        run(effect, in, in, outL, outR);
        double inPower = 0, outPower = 0;
        for (std::size_t i = in.size() - 44100; i < in.size(); ++i)
        {
            inPower += in[i] * in[i];
            outPower += outL[i] * outL[i];
        }
        EXPECT_NEAR(10 * std::log10(inPower / outPower), expected.reductionDb, 0.1) << expected.dbfs;
        EXPECT_NEAR(effect.getMeterGain(), expected.meterGain, 0.01) << expected.dbfs;
    }
}

template <typename Sample> void expectRecoveryFrom(Sample bad, bool settlesWithinASecond = true)
{
    constexpr int kFrames = 3 * 44100;
    constexpr int kBadAt = 44100;
    std::vector<Sample> clean(kFrames);
    const auto source = sine(-10, 1000, 44100, kFrames);
    std::copy(source.begin(), source.end(), clean.begin());
    auto poisoned = clean;
    poisoned[kBadAt] = bad;

    AutoComp reference(test_host::callback), effect(test_host::callback);
    prepare(reference);
    prepare(effect);
    std::vector<Sample> refL(kFrames), refR(kFrames), outL(kFrames), outR(kFrames);
    run(reference, clean, clean, refL, refR);
    run(effect, poisoned, clean, outL, outR);

    for (int i = kBadAt + 1; i < kFrames; ++i)
    {
        ASSERT_TRUE(std::isfinite(outL[static_cast<std::size_t>(i)]) &&
                    std::isfinite(outR[static_cast<std::size_t>(i)]))
            << "sample " << i;
    }
    EXPECT_TRUE(std::isfinite(effect.getMeterGain()));
    if (!settlesWithinASecond)
    {
        return;
    }
    // A second later the gain has recovered to the undisturbed value.
    EXPECT_NEAR(effect.getKernel().getEnvelope(), reference.getKernel().getEnvelope(),
                1e-3 * reference.getKernel().getEnvelope());
    EXPECT_NEAR(static_cast<double>(outR.back()), static_cast<double>(refR.back()), 1e-4);
}

TEST_F(KernelProcess, NonFiniteInputDoesNotPoisonTheDetector)
{
    expectRecoveryFrom(std::numeric_limits<double>::quiet_NaN());
    expectRecoveryFrom(std::numeric_limits<double>::infinity());
    expectRecoveryFrom(-std::numeric_limits<float>::infinity());
    expectRecoveryFrom(std::numeric_limits<float>::quiet_NaN());
    // Finite, but its power overflows; the high-pass then rings with huge
    // (finite) values for a while, so only finiteness is claimed.
    expectRecoveryFrom(1e200, false);
}

TEST_F(KernelProcess, VeryLoudFiniteInputStaysFiniteAtFullDrive)
{
    for (VstInt32 ratio = 0; ratio < 7; ++ratio)
    {
        AutoComp effect(test_host::callback);
        prepare(effect, 44100.0f, 1.0f);
        effect.setParameter(params::kRatio, static_cast<float>(ratio / 6.0));
        effect.setParameter(params::kCompression, 1.0f);
        auto in = narrowed(sine(120, 1000, 44100, 20000));
        std::vector<float> outL(in.size()), outR(in.size());
        run(effect, in, in, outL, outR);
        for (std::size_t i = 0; i < in.size(); ++i)
        {
            ASSERT_TRUE(std::isfinite(outL[i])) << "ratio " << ratio << " sample " << i;
        }
    }
}

} // namespace
