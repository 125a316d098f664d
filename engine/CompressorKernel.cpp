#include "engine/CompressorKernel.h"

#include <cmath>

namespace
{

// Valve saturator per gain curve: limit L = A x k, input scale F = r / k, so
// that L x F = 1 (unity slope at zero). r is 1/A as stored, used as written.
struct ValveShape
{
    double limit;
    double scale;
};

struct ValveConstants
{
    double a;
    double r;
    double k;
};

constexpr ValveConstants kValveConstants[CompressorKernel::kCurveCount] = {
    {32.0, 0.03125, 0.7}, {22.6272, 0.044194597652382976, 0.7},
    {16.0, 0.0625, 0.5},  {11.3136, 0.08838919530476595, 0.5},
    {8.0, 0.125, 0.5},    {5.64, 0.1773049645390071, 0.5},
    {4.0, 0.25, 0.7},
};

ValveShape valveShape(int32_t ratio)
{
    const ValveConstants& c = kValveConstants[ratio];
    return {c.a * c.k, c.r / c.k};
}

// Positive half-waves approach L x pi/2, negative ones -L / 0.64.
double shapeValve(double y, const ValveShape& valve)
{
    if (y >= 0)
    {
        return std::atan(y * valve.scale) * valve.limit;
    }
    return std::tanh((y * valve.scale) * -0.64) * valve.limit / -0.64;
}

// a stands for the amplitude sqrt(envelope); every curve starts at gain 1.
double curveGain(int32_t curve, double a)
{
    switch (curve)
    {
    case 0:
        return 0.6 / (a * 0.4 + 1) + 0.4;
    case 1:
        return 0.8 / (a * 0.4 + 1) + 0.2;
    case 2:
        return ((std::atan(a * 1.2) * 0.92 / 1.2 + a * 0.08) * 0.3 +
                (a * 0.9 / (a * 0.35 + 1) + a * 0.1) * 0.7) /
               a;
    case 3:
        return ((std::atan(a * 1.2) * 0.95 / 1.2 + a * 0.05) * 0.65 +
                (a * 0.95 / (a * 0.35 + 1) + a * 0.05) * 0.35) /
               a;
    case 4:
        return (std::atan(a * 1.2) * 0.97 / 1.2 + a * 0.03) / a;
    case 5:
        return ((std::tanh(a) * 0.982 + a * 0.018) * 0.5 +
                (std::atan(a * 1.2) * 0.982 / 1.2 + a * 0.018) * 0.5) /
               a;
    default:
        return (std::tanh(a) * 0.99 + a * 0.01) / a;
    }
}

// One step of a shift-register noise state (unsigned, shifts discard bits).
uint32_t advance1(uint32_t s)
{
    return (((s ^ (s >> 9)) >> 6) & 0x1FFFu) ^ (s << 13);
}
uint32_t advance2(uint32_t s)
{
    return (((s ^ (s >> 2)) >> 7) & 0xFFFFFu) ^ (s << 20);
}
uint32_t advance3(uint32_t s)
{
    return (((s ^ (s >> 6)) >> 8) & 0x1FFFFu) ^ (s << 17);
}

// Within about +-1e-10: keeps the detector away from denormals in silence.
double noiseValue(uint32_t u)
{
    return ((static_cast<double>(u) * 2.3283064365e-10) * 2 - 1) * 1e-10;
}

// Table position of an envelope value. Clamped in double before the integer
// conversion: a huge finite envelope must not overflow the int.
int32_t curvePosition(double envelope)
{
    double position = std::sqrt(envelope) * 16 + 0.5;
    if (position > CompressorKernel::kCurveSize - 1)
    {
        position = CompressorKernel::kCurveSize - 1;
    }
    else if (!(position >= 0))
    {
        position = 0;
    }
    return static_cast<int32_t>(position);
}

} // namespace

CompressorKernel::CompressorKernel()
{
    meterSmoother.design();
    buildGainCurves();
    detectorFast.design();
    detectorSlow.design();
    envelopeFilter.design();
    sidechainHighpassL.design();
    sidechainHighpassR.design();
}

void CompressorKernel::buildGainCurves()
{
    for (int32_t curve = 0; curve < kCurveCount; ++curve)
    {
        for (int32_t i = 0; i < kCurveSize; ++i)
        {
            const double a = i * 256.0 / 4096.0;
            // Entry 0 of curves 2 to 6 is 0/0; the envelope floor keeps it unread.
            gainCurves[static_cast<std::size_t>(curve)][static_cast<std::size_t>(i)] =
                static_cast<float>(curveGain(curve, a));
        }
    }
}

void CompressorKernel::settleSmoothing()
{
    drive = driveTarget.load(std::memory_order_relaxed);
    outputGain = outputGainTarget.load(std::memory_order_relaxed);
}

double CompressorKernel::checkedSampleRate(double rate)
{
    return rate >= 20000.0 && rate <= 200000.0 ? rate : 44100.0; // NaN too
}

void CompressorKernel::suspend()
{
    meterSmoother.reset();
    meterSmoother.design();
    meterGain.store(1.0, std::memory_order_relaxed);
    for (CBiquadFilter* filter :
         {&sidechainHighpassL, &sidechainHighpassR, &envelopeFilter, &detectorFast, &detectorSlow})
    {
        filter->design();
        filter->reset();
    }
    envelope = 0.0001;
}

void CompressorKernel::designFor(CBiquadFilter& filter, double rate)
{
    filter.sampleRate = rate;
    filter.limitFrequency(rate);
    filter.design();
}

void CompressorKernel::resume(double announcedRate)
{
    const double rate = checkedSampleRate(announcedRate);
    // The meter follows the announced rate; one that no design can use
    // (zero, negative, not finite) falls back like any rate out of range.
    meterSmoother.sampleRate = announcedRate > 0 && std::isfinite(announcedRate) ? announcedRate : rate;
    meterSmoother.limitFrequency(rate);
    meterSmoother.design();
    meterSmoother.frequency = 1000 * 0.7 / 300;
    meterSmoother.design();
    meterSmoother.reset();

    denormalOffset = 1e-17;

    designFor(envelopeFilter, rate);
    envelopeFilter.reset();

    designFor(detectorFast, rate);
    detectorFast.frequency = 5;
    detectorFast.q = 0.5;
    detectorFast.design();
    detectorFast.reset();
    designFor(detectorSlow, rate);
    detectorSlow.frequency = 2;
    detectorSlow.q = 0.5;
    detectorSlow.design();
    detectorSlow.reset();

    designFor(sidechainHighpassL, rate);
    sidechainHighpassL.reset();
    designFor(sidechainHighpassR, rate);
    sidechainHighpassR.reset();
}

uint32_t CompressorKernel::nextNoise()
{
    noiseState1 = advance1(noiseState1);
    noiseState2 = advance2(noiseState2);
    noiseState3 = advance3(noiseState3);
    return noiseState1 ^ noiseState2 ^ noiseState3;
}

int32_t CompressorKernel::limitRatioIndex()
{
    int32_t ratio = ratioIndex.load(std::memory_order_relaxed);
    if (ratio < 0 || ratio >= kCurveCount)
    {
        ratio = ratio < 0 ? 0 : kCurveCount - 1;
        ratioIndex.store(ratio, std::memory_order_relaxed);
    }
    return ratio;
}

// A non-finite sample (or a finite one so large that its power overflows)
// turns the detector state into NaN or infinity, which would otherwise stay
// for the rest of the session. Clears what went bad; finite state is kept.
void CompressorKernel::recoverDetector()
{
    for (CBiquadFilter* filter :
         {&sidechainHighpassL, &sidechainHighpassR, &detectorFast, &detectorSlow, &envelopeFilter})
    {
        if (!filter->hasFiniteState())
        {
            filter->reset();
        }
    }
    envelope = 0.0001;
}

void CompressorKernel::processBlock(const float* inL, const float* inR, float* outL, float* outR,
                                    int32_t frames)
{
    if (processMode.load(std::memory_order_relaxed) == 0)
    {
        passThrough(inL, inR, outL, outR, frames);
    }
    else
    {
        compress(inL, inR, outL, outR, frames);
    }
}

void CompressorKernel::processBlock(const double* inL, const double* inR, double* outL, double* outR,
                                    int32_t frames)
{
    if (processMode.load(std::memory_order_relaxed) == 0)
    {
        passThrough(inL, inR, outL, outR, frames);
    }
    else
    {
        compress(inL, inR, outL, outR, frames);
    }
}

template <typename Sample>
void CompressorKernel::passThrough(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
                                   int32_t frames)
{
    for (int32_t i = 0; i < frames; ++i)
    {
        const Sample left = inL[i];
        const Sample right = inR[i];
        outL[i] = left;
        outR[i] = right;
        // The meter glides back to no reduction; nothing else moves.
        meterGain.store(meterSmoother.step(1.0), std::memory_order_relaxed);
    }
}

template <typename Sample>
void CompressorKernel::compress(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
                                int32_t frames)
{
    const ValveShape valve = valveShape(limitRatioIndex());
    for (int32_t i = 0; i < frames; ++i)
    {
        // Parameter smoothing: one-pole glide of 0.001 per sample.
        denormalOffset = -denormalOffset;
        const double d = denormalOffset;
        outputGain =
            ((outputGainTarget.load(std::memory_order_relaxed) - outputGain) * 0.001 + d) + outputGain;
        drive = ((driveTarget.load(std::memory_order_relaxed) - drive) * 0.001 + d) + drive;
        const double inverseDrive = 1.0 / drive;

        const double noiseL = noiseValue(nextNoise());
        const double noiseR = noiseValue(nextNoise());

        // Drive; the gain multiplies these, not the high-passed detector input.
        const Sample inputLeft = inL[i];
        const Sample inputRight = inR[i];
        const double left = static_cast<double>(inputLeft) * drive + noiseL;
        const double right = static_cast<double>(inputRight) * drive + noiseR;

        // Stereo-linked power of the high-passed side chain.
        const double hL = sidechainHighpassL.step(left);
        const double hR = sidechainHighpassR.step(right);
        const double power = (std::fabs(hR) * std::fabs(hR) + std::fabs(hL) * std::fabs(hL)) * 0.7071;

        // Programme dependence: a rising level (fast above slow) speeds the envelope up.
        double fast = detectorFast.step(power);
        double slow = detectorSlow.step(power);
        if (fast < 1e-6)
        {
            fast = 1e-6;
        }
        if (slow < 1e-6)
        {
            slow = 1e-6;
        }
        const double g = fast * 0.2 / slow;
        double cutoff = ((g * 4) / (g + 1) + 0.1) * 0.7 / timeScale.load(std::memory_order_relaxed);
        if (cutoff < 0.001)
        {
            cutoff = 0.001;
        }
        if (cutoff > 0.499 * envelopeFilter.sampleRate)
        {
            cutoff = 0.499 * envelopeFilter.sampleRate;
        }
        envelopeFilter.designLowPassUncorrected(cutoff);

        // Attack runs ten filter steps per sample, release one.
        if (power > envelope)
        {
            envelopeFilter.stepHeld4(power);
            envelopeFilter.stepHeld4(power);
            envelopeFilter.step(power);
            envelope = envelopeFilter.step(power);
        }
        else
        {
            envelope = envelopeFilter.step(power);
        }
        if (!std::isfinite(envelope))
        {
            recoverDetector();
        }
        if (envelope < 0.001)
        {
            envelope = 0.001;
        }

        // envelope >= 0.001 here, so the position is at least 1: entry 0 (0/0) is never read.
        int32_t curve = ratioIndex.load(std::memory_order_relaxed);
        curve = curve < 0 ? 0 : curve >= kCurveCount ? kCurveCount - 1 : curve;
        const double gain = static_cast<double>(
            gainCurves[static_cast<std::size_t>(curve)][static_cast<std::size_t>(curvePosition(envelope))]);
        meterGain.store(meterSmoother.step(gain), std::memory_order_relaxed);

        double yL = gain * left;
        double yR = gain * right;
        if (processMode.load(std::memory_order_relaxed) == 2)
        {
            yL = shapeValve(yL, valve);
            yR = shapeValve(yR, valve);
        }
        // Make-up: undo the drive, then the output gain.
        outL[i] = static_cast<Sample>((yL * inverseDrive) * outputGain);
        outR[i] = static_cast<Sample>((yR * inverseDrive) * outputGain);
    }
}
