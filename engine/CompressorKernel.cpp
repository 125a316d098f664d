#include "engine/CompressorKernel.h"

#include "engine/SinCos.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <emmintrin.h>

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

// The lowest envelope that reads the gain table's last entry: above it the
// reduction is already at its floor. Its square root is 255.90625, exactly.
constexpr double kTopEnvelope =
    ((CompressorKernel::kCurveSize - 1 - 0.5) / 16) * ((CompressorKernel::kCurveSize - 1 - 0.5) / 16);

// The largest amplitude the gain table tells apart: sqrt(kTopEnvelope).
constexpr double kTopAmplitude = (CompressorKernel::kCurveSize - 1 - 0.5) / 16;

// A subnormal input sample costs the processor a slow assist in the drive's
// product, and the noise added after it swamps it anyway (the noise is never
// below 1e-21): taken as zero, the driven sample is the same to the bit.
double withoutSubnormal(double sample)
{
    return std::fabs(sample) < std::numeric_limits<double>::min() ? 0.0 : sample;
}

// A driven sample the side chain cannot take as it is. Not finite (NaN,
// infinity, or a drive product that overflowed): it becomes silence, its
// noise alone, in the audio and the side chain. Finite but beyond the
// table: the side chain hears it at the table's top, so no level however
// large leaves more in the detectors than the largest one the table covers.
void guardSideChain(double& sample, double& side, double noise)
{
    if (!std::isfinite(sample))
    {
        sample = noise;
    }
    side = std::clamp(sample, -kTopAmplitude, kTopAmplitude);
}

// Caps a filter's state at `limit` in magnitude, as if its signal had never
// gone beyond it.
void capState(CBiquadFilter& filter, double limit)
{
    for (double* state : {&filter.x1, &filter.x2, &filter.y1, &filter.y2})
    {
        *state = std::clamp(*state, -limit, limit);
    }
}

// Frames per pass of the stages: what they hand each other (7.5 KB on the
// audio thread's stack) stays in the first-level cache. Longer chunks gain
// nothing measurable.
constexpr int32_t kChunkFrames = 64;

} // namespace

struct CompressorKernel::Chunk
{
    double left[kChunkFrames]; // driven input with its noise: what the gain multiplies
    double right[kChunkFrames];
    double drive[kChunkFrames];
    double outputGain[kChunkFrames];
    double power[kChunkFrames]; // stereo-linked power of the high-passed side chain
    double fast[kChunkFrames];
    double slow[kChunkFrames];
    double cutoff[kChunkFrames]; // envelope filter frequency, Hz
    double cosW[kChunkFrames];
    double sinW[kChunkFrames];
    CBiquadFilter::LowPass design[kChunkFrames];
    double gain[kChunkFrames]; // from the gain curve
};

CompressorKernel::CompressorKernel()
{
    meterSmoother.design();
    buildGainCurves();
    sideChain.detectorFast.design();
    sideChain.detectorSlow.design();
    envelopeFilter.design();
    sideChain.highpassL.design();
    sideChain.highpassR.design();
}

void CompressorKernel::buildGainCurves()
{
    for (int32_t curve = 0; curve < kCurveCount; ++curve)
    {
        for (int32_t i = 0; i < kCurveSize; ++i)
        {
            const double a = i * 256.0 / 4096.0;
            // Entry 0 of curves 2 to 6 would be 0/0, an invalid operation that
            // kills a host running with that trap unmasked. The envelope floor
            // keeps it unread; it holds the curves' common limit, gain 1.
            gainCurves[static_cast<std::size_t>(curve)][static_cast<std::size_t>(i)] =
                i == 0 ? 1.0f : static_cast<float>(curveGain(curve, a));
        }
    }
}

void CompressorKernel::settleSmoothing()
{
    sideChain.drive = driveTarget.load(std::memory_order_relaxed);
    sideChain.outputGain = outputGainTarget.load(std::memory_order_relaxed);
}

double CompressorKernel::checkedSampleRate(double rate)
{
    if (rate > kHighestRate)
    {
        return kHighestRate;
    }
    return rate >= 20000.0 ? rate : 44100.0; // NaN too
}

void CompressorKernel::suspend()
{
    meterSmoother.reset();
    meterSmoother.design();
    meterGain.store(1.0, std::memory_order_relaxed);
    for (CBiquadFilter* filter : {&sideChain.highpassL, &sideChain.highpassR, &envelopeFilter,
                                  &sideChain.detectorFast, &sideChain.detectorSlow})
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
    meterSmoother.frequency = filter_settings::kMeterHz;
    meterSmoother.design();
    meterSmoother.reset();

    sideChain.denormalOffset = 1e-17;

    designFor(envelopeFilter, rate);
    envelopeFilter.reset();

    for (const auto& [detector, frequency] :
         {std::pair{&sideChain.detectorFast, filter_settings::kDetectorFastHz},
          std::pair{&sideChain.detectorSlow, filter_settings::kDetectorSlowHz}})
    {
        designFor(*detector, rate);
        detector->frequency = frequency;
        detector->q = filter_settings::kDetectorQ;
        detector->design();
        detector->reset();
    }

    designFor(sideChain.highpassL, rate);
    sideChain.highpassL.reset();
    designFor(sideChain.highpassR, rate);
    sideChain.highpassR.reset();
}

// A non-finite sample (or a finite one so large that its power overflows)
// turns the detector state into NaN or infinity, which would otherwise stay
// for the rest of the session.
void CompressorKernel::SideChain::resetNonFinite()
{
    for (CBiquadFilter* filter : {&highpassL, &highpassR, &detectorFast, &detectorSlow})
    {
        if (!filter->hasFiniteState())
        {
            filter->reset();
        }
    }
}

// Above the gain table the gain no longer changes, so the envelope is held
// at the table's top, and with it the powers it falls back from: a block far
// over range then recovers like one that just reached the top. Signals whose
// envelope stays within the table never come here.
void CompressorKernel::SideChain::holdAtTop()
{
    const double topAmplitude = std::sqrt(kTopEnvelope);
    capState(highpassL, topAmplitude);
    capState(highpassR, topAmplitude);
    capState(detectorFast, kTopEnvelope);
    capState(detectorSlow, kTopEnvelope);
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

void CompressorKernel::processBlock(const float* inL, const float* inR, float* outL, float* outR,
                                    int32_t frames)
{
    process(inL, inR, outL, outR, frames);
}

void CompressorKernel::processBlock(const double* inL, const double* inR, double* outL, double* outR,
                                    int32_t frames)
{
    process(inL, inR, outL, outR, frames);
}

template <typename Sample>
void CompressorKernel::process(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
                               int32_t frames)
{
    const int32_t mode = processMode.load(std::memory_order_relaxed);
    if (mode == 0)
    {
        passThrough(inL, inR, outL, outR, frames);
        return;
    }
    const Settings settings{limitRatioIndex(), mode == 2, timeScale.load(std::memory_order_relaxed),
                            driveTarget.load(std::memory_order_relaxed),
                            outputGainTarget.load(std::memory_order_relaxed)};
    if (settings.valve)
    {
        compress<true>(settings, inL, inR, outL, outR, frames);
    }
    else
    {
        compress<false>(settings, inL, inR, outL, outR, frames);
    }
}

template <typename Sample>
void CompressorKernel::passThrough(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
                                   int32_t frames)
{
    CBiquadFilter meter = meterSmoother;
    double meterValue = 0;
    for (int32_t i = 0; i < frames; ++i)
    {
        const Sample left = inL[i];
        const Sample right = inR[i];
        outL[i] = left;
        outR[i] = right;
        // The meter glides back to no reduction; nothing else moves.
        meterValue = meter.step(1.0);
    }
    meterSmoother = meter;
    if (frames > 0)
    {
        meterGain.store(meterValue, std::memory_order_relaxed);
    }
}

template <bool valve, typename Sample>
void CompressorKernel::compress(const Settings& settings, const Sample* inL, const Sample* inR, Sample* outL,
                                Sample* outR, int32_t frames)
{
    // The block works on copies of the state and writes them back at its end.
    SideChain chain = sideChain;
    EnvelopeFollower follower{envelopeFilter, envelope, meterSmoother, 0.0};
    const GainCurve& curve = gainCurves[static_cast<std::size_t>(settings.ratio)];

    Chunk chunk;
    bool held = false;
    for (int32_t start = 0; start < frames;)
    {
        // While the envelope is held at the top, frames go one at a time:
        // each of them takes the side chain back.
        const int32_t count = std::min(held ? 1 : kChunkFrames, frames - start);
        const SideChain chunkStart = chain;
        runSideChain(chain, settings, inL + start, inR + start, count, chunk);
        designEnvelopeFilter(settings, follower.filter, count, chunk);
        bool wentNonFinite = false;
        held = false;
        const int32_t done = followEnvelope(follower, curve, count, chunk, wentNonFinite, held);
        if (wentNonFinite || held)
        {
            // The side chain ran ahead of the frame whose envelope went bad or
            // over the top: take it to that frame again and mend it there.
            chain = chunkStart;
            runSideChain(chain, settings, inL + start, inR + start, done, chunk);
            if (wentNonFinite)
            {
                chain.resetNonFinite();
            }
            if (held)
            {
                chain.holdAtTop();
            }
        }
        follower.filter.frequency = chunk.cutoff[done - 1];
        applyGain<valve>(settings, chunk, done, outL + start, outR + start);
        start += done;
    }

    sideChain = chain;
    envelopeFilter = follower.filter;
    envelope = follower.level;
    meterSmoother = follower.meter;
    if (frames > 0)
    {
        meterGain.store(follower.meterValue, std::memory_order_relaxed);
    }
}

namespace
{

// Two filters stepped side by side in the lanes of one SSE2 register (SSE2 is
// the x86-64 baseline). Each lane does exactly the scalar step's operations
// in the same order, so every bit is as in CBiquadFilter::step.
struct FilterPair
{
    __m128d a1, a2, b0, b1, b2, offset, x, x1, x2, y, y1, y2;

    FilterPair(const CBiquadFilter& first, const CBiquadFilter& second)
        : a1(_mm_set_pd(second.a1, first.a1)), a2(_mm_set_pd(second.a2, first.a2)),
          b0(_mm_set_pd(second.b0, first.b0)), b1(_mm_set_pd(second.b1, first.b1)),
          b2(_mm_set_pd(second.b2, first.b2)), offset(_mm_set_pd(second.offset, first.offset)),
          x(_mm_set_pd(second.x, first.x)), x1(_mm_set_pd(second.x1, first.x1)),
          x2(_mm_set_pd(second.x2, first.x2)), y(_mm_set_pd(second.y, first.y)),
          y1(_mm_set_pd(second.y1, first.y1)), y2(_mm_set_pd(second.y2, first.y2))
    {
    }

    __m128d step(__m128d input)
    {
        offset = _mm_xor_pd(offset, _mm_set1_pd(-0.0));
        const __m128d xi = _mm_add_pd(input, offset);
        y = _mm_sub_pd(
            _mm_sub_pd(_mm_add_pd(_mm_add_pd(_mm_mul_pd(b1, x1), _mm_mul_pd(xi, b0)), _mm_mul_pd(b2, x2)),
                       _mm_mul_pd(a1, y1)),
            _mm_mul_pd(a2, y2));
        y2 = y1;
        x2 = x1;
        x1 = xi;
        x = xi;
        y1 = _mm_add_pd(y, offset);
        return y;
    }

    static void store(__m128d pair, double& first, double& second)
    {
        first = _mm_cvtsd_f64(pair);
        second = _mm_cvtsd_f64(_mm_unpackhi_pd(pair, pair));
    }

    // The coefficients never change here; only state and offset go back.
    void storeState(CBiquadFilter& first, CBiquadFilter& second) const
    {
        store(offset, first.offset, second.offset);
        store(x, first.x, second.x);
        store(x1, first.x1, second.x1);
        store(x2, first.x2, second.x2);
        store(y, first.y, second.y);
        store(y1, first.y1, second.y1);
        store(y2, first.y2, second.y2);
    }
};

} // namespace

template <typename Sample>
void CompressorKernel::runSideChain(SideChain& chain, const Settings& settings, const Sample* inL,
                                    const Sample* inR, int32_t frames, Chunk& chunk)
{
    SideChain c = chain;
    // The high-passes (left, right) in one register and the detectors (fast,
    // slow) in another: each pair's two recurrences advance together. Filters
    // without a type pass their input through; the engine's four always have one.
    FilterPair highpass(c.highpassL, c.highpassR);
    FilterPair detectors(c.detectorFast, c.detectorSlow);
    // Output gain and drive glide in the lanes of one register too.
    const __m128d targets = _mm_set_pd(settings.driveTarget, settings.outputGainTarget);
    __m128d glide = _mm_set_pd(c.drive, c.outputGain);
    const __m128d rate = _mm_set1_pd(0.001);
    double d = c.denormalOffset;
    uint32_t s1 = c.noiseState1, s2 = c.noiseState2, s3 = c.noiseState3;
    for (int32_t i = 0; i < frames; ++i)
    {
        // Parameter smoothing: one-pole glide of 0.001 per frame, both glides
        // with the same offset.
        d = -d;
        glide = _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_sub_pd(targets, glide), rate), _mm_set1_pd(d)), glide);
        double drive = 0;
        FilterPair::store(glide, chunk.outputGain[i], drive);
        chunk.drive[i] = drive;

        s1 = advance1(s1), s2 = advance2(s2), s3 = advance3(s3);
        const double noiseL = noiseValue(s1 ^ s2 ^ s3);
        s1 = advance1(s1), s2 = advance2(s2), s3 = advance3(s3);
        const double noiseR = noiseValue(s1 ^ s2 ^ s3);

        // Drive; the gain multiplies these, not the high-passed detector input.
        double left = withoutSubnormal(static_cast<double>(inL[i])) * drive + noiseL;
        double right = withoutSubnormal(static_cast<double>(inR[i])) * drive + noiseR;
        double sideL = left;
        double sideR = right;
        if (!(std::fabs(left) <= kTopAmplitude && std::fabs(right) <= kTopAmplitude)) [[unlikely]]
        {
            guardSideChain(left, sideL, noiseL);
            guardSideChain(right, sideR, noiseR);
        }
        chunk.left[i] = left;
        chunk.right[i] = right;

        // Stereo-linked power of the high-passed side chain: |h| x |h| is h x h.
        const __m128d h = highpass.step(_mm_set_pd(sideR, sideL));
        const __m128d squares = _mm_mul_pd(h, h);
        const double power =
            (_mm_cvtsd_f64(_mm_unpackhi_pd(squares, squares)) + _mm_cvtsd_f64(squares)) * 0.7071;
        chunk.power[i] = power;
        FilterPair::store(detectors.step(_mm_set1_pd(power)), chunk.fast[i], chunk.slow[i]);
    }
    highpass.storeState(c.highpassL, c.highpassR);
    detectors.storeState(c.detectorFast, c.detectorSlow);
    FilterPair::store(glide, c.outputGain, c.drive);
    c.denormalOffset = d;
    c.noiseState1 = s1, c.noiseState2 = s2, c.noiseState3 = s3;
    chain = c;
}

void CompressorKernel::designEnvelopeFilter(const Settings& settings, const CBiquadFilter& filter,
                                            int32_t frames, Chunk& chunk)
{
    const double rate = filter.sampleRate;
    const double highest = 0.499 * rate;
    for (int32_t i = 0; i < frames; ++i)
    {
        // Programme dependence: a rising level (fast above slow) speeds the
        // envelope up. Both detectors are at least 1e-6 here, so g is finite
        // for finite input.
        double fast = chunk.fast[i];
        double slow = chunk.slow[i];
        if (fast < 1e-6)
        {
            fast = 1e-6;
        }
        if (slow < 1e-6)
        {
            slow = 1e-6;
        }
        const double g = fast * 0.2 / slow;
        double cutoff = ((g * 4) / (g + 1) + 0.1) * 0.7 / settings.timeScale;
        if (cutoff < 0.001)
        {
            cutoff = 0.001;
        }
        if (cutoff > highest)
        {
            cutoff = highest;
        }
        chunk.cutoff[i] = cutoff;
    }
    for (int32_t i = 0; i < frames; ++i)
    {
        // w lies in 0..0.998 pi: the cutoff is at most 0.499 x rate.
        const double w = chunk.cutoff[i] * CBiquadFilter::kTwoPi / rate;
#ifdef _WIN32
        sinCosInRange(w, chunk.sinW[i], chunk.cosW[i]);
#else
        // One library call for both (the compiler pairs them into sincos).
        chunk.cosW[i] = std::cos(w);
        chunk.sinW[i] = std::sin(w);
#endif
    }
    const double q2 = filter.q * 2;
    for (int32_t i = 0; i < frames; ++i)
    {
        chunk.design[i] = CBiquadFilter::designLowPassUncorrected(chunk.cosW[i], chunk.sinW[i], q2);
    }
}

int32_t CompressorKernel::followEnvelope(EnvelopeFollower& follower, const GainCurve& curve, int32_t frames,
                                         Chunk& chunk, bool& wentNonFinite, bool& heldAtTop)
{
    CBiquadFilter filter = follower.filter;
    CBiquadFilter meter = follower.meter;
    double level = follower.level;
    double meterValue = follower.meterValue;
    int32_t i = 0;
    while (i < frames)
    {
        filter.setLowPass(chunk.design[i]);
        const double power = chunk.power[i];
        // Attack runs ten filter steps per frame, release one. This chain of
        // dependent steps is the kernel's critical path; the gain lookup and
        // the meter below run in its shadow.
        if (power > level)
        {
            filter.stepHeld4(power);
            filter.stepHeld4(power);
            filter.step(power);
            level = filter.step(power);
        }
        else
        {
            level = filter.step(power);
        }
        if (!std::isfinite(level))
        {
            if (!filter.hasFiniteState())
            {
                filter.reset();
            }
            level = 0.0001;
            wentNonFinite = true;
        }
        else if (level > kTopEnvelope)
        {
            capState(filter, kTopEnvelope);
            level = kTopEnvelope;
            heldAtTop = true;
        }
        if (level < 0.001)
        {
            level = 0.001;
        }

        // level >= 0.001, so the position is at least 1: entry 0 (0/0) is never read.
        const double gain = static_cast<double>(curve[static_cast<std::size_t>(curvePosition(level))]);
        chunk.gain[i++] = gain;
        // The meter shows the gain smoothed; the audio uses it unsmoothed.
        meterValue = meter.step(gain);
        if (wentNonFinite || heldAtTop)
        {
            break;
        }
    }
    follower = {filter, level, meter, meterValue};
    return i;
}

template <bool valve, typename Sample>
void CompressorKernel::applyGain(const Settings& settings, const Chunk& chunk, int32_t frames, Sample* outL,
                                 Sample* outR)
{
    const ValveShape shape = valveShape(settings.ratio);
    for (int32_t i = 0; i < frames; ++i)
    {
        double yL = chunk.gain[i] * chunk.left[i];
        double yR = chunk.gain[i] * chunk.right[i];
        if constexpr (valve)
        {
            yL = shapeValve(yL, shape);
            yR = shapeValve(yR, shape);
        }
        // Make-up: undo the drive, then the output gain.
        const double inverseDrive = 1.0 / chunk.drive[i];
        outL[i] = static_cast<Sample>((yL * inverseDrive) * chunk.outputGain[i]);
        outR[i] = static_cast<Sample>((yR * inverseDrive) * chunk.outputGain[i]);
    }
}
