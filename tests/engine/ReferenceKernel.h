#pragma once

// The compressor kernel exactly as it was before it was restructured into
// per-block stages, kept only so that the equivalence test can run old and
// new side by side. Do not change or reformat: its order of operations is
// the reference. Changes of behaviour came since, here as in the kernel:
// the envelope held at the gain table's top (holdAtTop); the side chain's
// input limited to the table's top amplitude, and a driven sample that is not
// finite taken as its noise alone; rates above 200 kHz designed for as they
// are, up to the kernel's highest.
// clang-format off

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include "engine/SinCos.h"

namespace reference
{


// Second-order recursive filter with its own low-/high-pass design and its
// own alternating anti-denormal offset. A plain record: the engine owns six.
//
// Order of operations in design and step is part of the output: any change
// alters results in the last bits.
struct CBiquadFilter
{
    enum Type : int32_t
    {
        none = 0,
        highPass = 1,
        lowPass = 2
    };

    double sampleRate = 44100.0;
    int32_t type = none;
    double frequency = 1000.0; // limited to 0.499 x sampleRate by design()
    double q = 0.5;            // before the near-Nyquist correction
    double gain = 0.0;         // unused by both responses
    double offset = 1e-14;     // sign flips on every step
    double a1 = 1.0, a2 = 1.0, b0 = 1.0, b1 = 1.0, b2 = 1.0;
    double x = 0.0, x1 = 0.0, x2 = 0.0;
    double y = 0.0, y1 = 0.0, y2 = 0.0; // y1, y2 carry the offset

    CBiquadFilter() = default;
    CBiquadFilter(int32_t filterType, double frequencyHz, double quality)
        : type(filterType), frequency(frequencyHz), q(quality)
    {
    }

    // Coefficients from sampleRate, type, frequency and q; state and (for a
    // high-pass) offset untouched. A low-pass restarts its offset at +1e-12.
    void design();

    // Low-pass at `frequencyHz` without the near-Nyquist correction of q,
    // cheap enough to run every sample; state and offset untouched.
    void designLowPassUncorrected(double frequencyHz);

    // One sample; a filter without a type passes its input through.
    double step(double input)
    {
        if (type == none)
        {
            return input;
        }
        offset = -offset;
        const double xi = input + offset;
        y = ((b1 * x1 + xi * b0) + b2 * x2) - a1 * y1 - a2 * y2;
        y2 = y1;
        x2 = x1;
        x1 = xi;
        x = xi;
        y1 = y + offset;
        return y;
    }

    // Four steps with the input held, the offset flipped once for all four.
    double stepHeld4(double input)
    {
        if (type == none)
        {
            return input;
        }
        offset = -offset;
        const double xi = input + offset;
        for (int i = 0; i < 4; ++i)
        {
            y = b1 * x1 + xi * b0 + b2 * x2 - a1 * y1 - a2 * y2;
            y2 = y1;
            x2 = x1;
            x1 = xi;
            y1 = y + offset;
        }
        x = xi;
        return y;
    }

    // Clears the signal state; coefficients, frequency and offset stay.
    void reset() { x = x1 = x2 = y = y1 = y2 = 0.0; }

    bool hasFiniteState() const;

    // Caps the frequency at 0.499 x rate, as the design would.
    void limitFrequency(double rate)
    {
        if (frequency > rate * 0.499)
        {
            frequency = rate * 0.499;
        }
    }
};


namespace detail_biquad
{
constexpr double kTwoPi = 6.283185307179586;
}

inline void CBiquadFilter::design()
{
    a1 = a2 = b0 = b1 = b2 = 1.0;
    if (type == none)
    {
        return;
    }
    limitFrequency(sampleRate);
    // Q shrinks toward zero as the frequency nears Nyquist, which keeps the
    // bilinear design from ringing up there.
    const double e = type == highPass ? std::pow(frequency / (sampleRate * 0.5001), 6)
                                      : std::pow(frequency / (sampleRate * 0.50001), 8);
    const double qe = (1 - e) * q;
    if (type == lowPass)
    {
        offset = 1e-12;
    }
    const double w = frequency * detail_biquad::kTwoPi / sampleRate;
    const double cosW = std::cos(w);
    const double alpha = std::sin(w) / (qe * 2);
    const double a0 = alpha + 1;
    a1 = (cosW * -2) / a0;
    a2 = (1 - alpha) / a0;
    if (type == lowPass)
    {
        b0 = (1 - cosW) * 0.5 / a0;
        b1 = (1 - cosW) / a0;
        b2 = (1 - cosW) * 0.5 / a0;
    }
    else
    {
        b0 = (1 + cosW) * 0.5 / a0;
        b1 = -(1 + cosW) / a0;
        b2 = (1 + cosW) * 0.5 / a0;
    }
}

inline void CBiquadFilter::designLowPassUncorrected(double frequencyHz)
{
    frequency = frequencyHz;
    const double w = frequencyHz * detail_biquad::kTwoPi / sampleRate;
#ifdef _WIN32
    // The Windows build takes the per-frame pair from its own routine, not
    // from the C runtime; the reference follows it so the bits compare.
    double sinW = 0;
    double cosW = 0;
    sinCosInRange(w, sinW, cosW);
    const double alpha = sinW / (q * 2);
#else
    const double cosW = std::cos(w);
    const double alpha = std::sin(w) / (q * 2);
#endif
    const double a0 = alpha + 1;
    a1 = (cosW * -2) / a0;
    a2 = (1 - alpha) / a0;
    b1 = (1 - cosW) / a0;
    b0 = ((1 - cosW) * 0.5) / a0;
    b2 = b0;
}

inline bool CBiquadFilter::hasFiniteState() const
{
    return std::isfinite(x) && std::isfinite(x1) && std::isfinite(x2) && std::isfinite(y) &&
           std::isfinite(y1) && std::isfinite(y2);
}



// The compressor's signal path with its explicit state: parameter smoothing,
// noise, drive, opto-style detector, gain curves, Clear and Valve stages.
// AutoComp owns one and feeds it parameter changes, life-cycle calls and
// audio blocks. Every intermediate value is a double whatever the sample type.
class CompressorKernel
{
  public:
    static constexpr int32_t kCurveCount = 7;
    static constexpr int32_t kCurveSize = 4096;
    using GainCurve = std::array<float, kCurveSize>;

    // Builds the curves, seeds the noise and designs the filters for 44100 Hz.
    CompressorKernel();

    // Parameter-derived values; any thread, read by the audio thread per
    // block or per sample.
    void setProcessMode(int32_t mode) { processMode.store(mode, std::memory_order_relaxed); }
    void setRatioIndex(int32_t index) { ratioIndex.store(index, std::memory_order_relaxed); }
    void setTimeScale(double scale) { timeScale.store(scale, std::memory_order_relaxed); }
    void setDriveTarget(double target) { driveTarget.store(target, std::memory_order_relaxed); }
    void setOutputGainTarget(double target) { outputGainTarget.store(target, std::memory_order_relaxed); }
    int32_t getProcessMode() const { return processMode.load(std::memory_order_relaxed); }
    int32_t getRatioIndex() const { return ratioIndex.load(std::memory_order_relaxed); }

    // Lets drive and output gain start at their targets instead of gliding in
    // from an arbitrary value. Host thread, before processing starts.
    void settleSmoothing();

    // Host thread, while not processing.
    void suspend();
    void resume(double announcedRate);

    // Audio thread; real-time safe. Output buffers may alias each other (the
    // right result is written last) and the inputs.
    void processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t frames);
    void processBlock(const double* inL, const double* inR, double* outL, double* outR, int32_t frames);

    // 1.0 means no reduction; written once per sample by the audio thread.
    double getMeterGain() const { return meterGain.load(std::memory_order_relaxed); }

    // Read-only views for tests and tools.
    const GainCurve& gainCurve(int32_t index) const { return gainCurves[static_cast<std::size_t>(index)]; }
    double getEnvelope() const { return envelope; }
    double getDrive() const { return drive; }
    double getOutputGain() const { return outputGain; }
    const CBiquadFilter& getSidechainHighpassL() const { return sidechainHighpassL; }
    const CBiquadFilter& getSidechainHighpassR() const { return sidechainHighpassR; }
    const CBiquadFilter& getDetectorFast() const { return detectorFast; }
    const CBiquadFilter& getDetectorSlow() const { return detectorSlow; }
    const CBiquadFilter& getEnvelopeFilter() const { return envelopeFilter; }
    const CBiquadFilter& getMeterSmoother() const { return meterSmoother; }

    // Rates outside this range design the filters for 44100 Hz instead.
    static double checkedSampleRate(double rate);

  private:
    template <typename Sample>
    void passThrough(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, int32_t frames);
    template <typename Sample>
    void compress(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, int32_t frames);

    void buildGainCurves();
    uint32_t nextNoise();
    int32_t limitRatioIndex();
    void recoverDetector();
    void holdAtTop();
    static constexpr double kTopEnvelope = (4094.5 / 16) * (4094.5 / 16);
    static void designFor(CBiquadFilter& filter, double rate);

    std::atomic<int32_t> processMode{0};
    std::atomic<int32_t> ratioIndex{0};
    std::atomic<double> timeScale{0.05};
    std::atomic<double> driveTarget{1.0};
    std::atomic<double> outputGainTarget{1.0};
    std::atomic<double> meterGain{1.0};

    double drive = 0.0;
    double outputGain = 0.0;
    double denormalOffset = 1e-17;
    uint32_t noiseState1 = 592;
    uint32_t noiseState2 = 153768;
    uint32_t noiseState3 = 1526;
    double envelope = 0.0001;

    CBiquadFilter meterSmoother{CBiquadFilter::lowPass, 2.0, 0.583};
    CBiquadFilter detectorFast{CBiquadFilter::lowPass, 5.0, 0.5};
    CBiquadFilter detectorSlow{CBiquadFilter::lowPass, 20.0, 0.5};
    CBiquadFilter envelopeFilter{CBiquadFilter::lowPass, 1.0, 0.1};
    CBiquadFilter sidechainHighpassL{CBiquadFilter::highPass, 40.0, 0.3};
    CBiquadFilter sidechainHighpassR{CBiquadFilter::highPass, 40.0, 0.3};

    std::array<GainCurve, kCurveCount> gainCurves{};
};


namespace detail_kernel
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

inline ValveShape valveShape(int32_t ratio)
{
    const ValveConstants& c = kValveConstants[ratio];
    return {c.a * c.k, c.r / c.k};
}

// Positive half-waves approach L x pi/2, negative ones -L / 0.64.
inline double shapeValve(double y, const ValveShape& valve)
{
    if (y >= 0)
    {
        return std::atan(y * valve.scale) * valve.limit;
    }
    return std::tanh((y * valve.scale) * -0.64) * valve.limit / -0.64;
}

// a stands for the amplitude sqrt(envelope); every curve starts at gain 1.
inline double curveGain(int32_t curve, double a)
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
inline uint32_t advance1(uint32_t s)
{
    return (((s ^ (s >> 9)) >> 6) & 0x1FFFu) ^ (s << 13);
}
inline uint32_t advance2(uint32_t s)
{
    return (((s ^ (s >> 2)) >> 7) & 0xFFFFFu) ^ (s << 20);
}
inline uint32_t advance3(uint32_t s)
{
    return (((s ^ (s >> 6)) >> 8) & 0x1FFFFu) ^ (s << 17);
}

// Within about +-1e-10: keeps the detector away from denormals in silence.
inline double noiseValue(uint32_t u)
{
    return ((static_cast<double>(u) * 2.3283064365e-10) * 2 - 1) * 1e-10;
}

// Table position of an envelope value. Clamped in double before the integer
// conversion: a huge finite envelope must not overflow the int.
inline int32_t curvePosition(double envelope)
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

} // namespace detail_kernel
using namespace detail_kernel;

inline CompressorKernel::CompressorKernel()
{
    meterSmoother.design();
    buildGainCurves();
    detectorFast.design();
    detectorSlow.design();
    envelopeFilter.design();
    sidechainHighpassL.design();
    sidechainHighpassR.design();
}

inline void CompressorKernel::buildGainCurves()
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

inline void CompressorKernel::settleSmoothing()
{
    drive = driveTarget.load(std::memory_order_relaxed);
    outputGain = outputGainTarget.load(std::memory_order_relaxed);
}

inline double CompressorKernel::checkedSampleRate(double rate)
{
    return rate > 4000000.0 ? 4000000.0 : rate >= 20000.0 ? rate : 44100.0; // NaN too
}

inline void CompressorKernel::suspend()
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

inline void CompressorKernel::designFor(CBiquadFilter& filter, double rate)
{
    filter.sampleRate = rate;
    filter.limitFrequency(rate);
    filter.design();
}

inline void CompressorKernel::resume(double announcedRate)
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

inline uint32_t CompressorKernel::nextNoise()
{
    noiseState1 = advance1(noiseState1);
    noiseState2 = advance2(noiseState2);
    noiseState3 = advance3(noiseState3);
    return noiseState1 ^ noiseState2 ^ noiseState3;
}

inline int32_t CompressorKernel::limitRatioIndex()
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
inline void CompressorKernel::holdAtTop()
{
    envelope = kTopEnvelope;
    const double topAmplitude = std::sqrt(kTopEnvelope);
    for (CBiquadFilter* filter : {&envelopeFilter, &detectorFast, &detectorSlow, &sidechainHighpassL, &sidechainHighpassR})
    {
        const double limit = filter == &sidechainHighpassL || filter == &sidechainHighpassR ? topAmplitude : kTopEnvelope;
        for (double* state : {&filter->x1, &filter->x2, &filter->y1, &filter->y2})
        {
            *state = *state > limit ? limit : *state < -limit ? -limit : *state;
        }
    }
}

inline void CompressorKernel::recoverDetector()
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

inline void CompressorKernel::processBlock(const float* inL, const float* inR, float* outL, float* outR,
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

inline void CompressorKernel::processBlock(const double* inL, const double* inR, double* outL, double* outR,
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
inline void CompressorKernel::passThrough(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
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
inline void CompressorKernel::compress(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
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
        const double wideLeft = static_cast<double>(inputLeft);
        const double wideRight = static_cast<double>(inputRight);
        double left = (std::fabs(wideLeft) < 2.2250738585072014e-308 ? 0.0 : wideLeft) * drive + noiseL;
        double right = (std::fabs(wideRight) < 2.2250738585072014e-308 ? 0.0 : wideRight) * drive + noiseR;
        if (!std::isfinite(left)) left = noiseL;
        if (!std::isfinite(right)) right = noiseR;
        const double top = 4094.5 / 16;
        const double sideLeft = left > top ? top : left < -top ? -top : left;
        const double sideRight = right > top ? top : right < -top ? -top : right;

        // Stereo-linked power of the high-passed side chain.
        const double hL = sidechainHighpassL.step(sideLeft);
        const double hR = sidechainHighpassR.step(sideRight);
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
        else if (envelope > kTopEnvelope)
        {
            holdAtTop();
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

} // namespace reference
// clang-format on
