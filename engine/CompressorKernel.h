#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/CBiquadFilter.h"

// The compressor's signal path with its explicit state: parameter smoothing,
// noise, drive, opto-style detector, gain curves, Clear and Valve stages.
// AutoComp owns one and feeds it parameter changes, life-cycle calls and
// audio blocks. Every intermediate value is a double whatever the sample type.
// The six filters' designs, in Hz and Q: what the constructor designs, and
// the frequency every resume designs where it differs.
namespace filter_settings
{
inline constexpr double kHighpassHz = 40.0, kHighpassQ = 0.3;
inline constexpr double kDetectorFastHz = 5.0, kDetectorQ = 0.5;
inline constexpr double kDetectorSlowConstructionHz = 20.0, kDetectorSlowHz = 2.0;
inline constexpr double kEnvelopeConstructionHz = 1.0, kEnvelopeQ = 0.1; // replaced every frame
inline constexpr double kMeterConstructionHz = 2.0, kMeterHz = 1000 * 0.7 / 300, kMeterQ = 0.583;
} // namespace filter_settings

class CompressorKernel
{
  public:
    static constexpr int32_t kCurveCount = 7;
    static constexpr int32_t kCurveSize = 4096;
    using GainCurve = std::array<float, kCurveSize>;

    // Builds the curves, seeds the noise and designs the filters for 44100 Hz.
    CompressorKernel();

    // Parameter-derived values; any thread, read by the audio thread at the
    // start of every block.
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

    // Audio thread; real-time safe: no allocation, lock or system call. Each
    // output buffer is an input buffer, the other output buffer or apart from
    // them all (a partial overlap is not allowed); when both outputs are one
    // buffer, the right result is the one that stays. Parameters are read
    // once per block: a change made during a block is heard from the next.
    void processBlock(const float* inL, const float* inR, float* outL, float* outR, int32_t frames);
    void processBlock(const double* inL, const double* inR, double* outL, double* outR, int32_t frames);

    // 1.0 means no reduction; the audio thread writes the value of a block's
    // last frame when the block ends.
    double getMeterGain() const { return meterGain.load(std::memory_order_relaxed); }

    // Read-only views for tests and tools.
    const GainCurve& gainCurve(int32_t index) const { return gainCurves[static_cast<std::size_t>(index)]; }
    double getEnvelope() const { return envelope; }
    double getDrive() const { return sideChain.drive; }
    double getOutputGain() const { return sideChain.outputGain; }
    const CBiquadFilter& getSidechainHighpassL() const { return sideChain.highpassL; }
    const CBiquadFilter& getSidechainHighpassR() const { return sideChain.highpassR; }
    const CBiquadFilter& getDetectorFast() const { return sideChain.detectorFast; }
    const CBiquadFilter& getDetectorSlow() const { return sideChain.detectorSlow; }
    const CBiquadFilter& getEnvelopeFilter() const { return envelopeFilter; }
    const CBiquadFilter& getMeterSmoother() const { return meterSmoother; }

    // Rates below 20000 Hz (and rates no design can use) design the filters
    // for 44100 Hz instead; rates above the highest for the highest. Up to
    // it the slowest envelope design (0.14 Hz) keeps 1 - cos(w), formed next
    // to 1.0, to within 1% of its value; far above it that term rounds away
    // and the envelope would stop moving.
    static constexpr double kHighestRate = 4000000.0;
    static double checkedSampleRate(double rate);

  private:
    // The parameter values a block works with, read once at its start.
    struct Settings
    {
        int32_t ratio; // limited to 0..6
        bool valve;
        double timeScale;
        double driveTarget;
        double outputGainTarget;
    };

    // What the first stage advances every frame: the parameter glides, the
    // noise and the side chain up to the two detectors.
    struct SideChain
    {
        double drive = 0.0;
        double outputGain = 0.0;
        double denormalOffset = 1e-17; // flips every frame
        uint32_t noiseState1 = 592;
        uint32_t noiseState2 = 153768;
        uint32_t noiseState3 = 1526;
        CBiquadFilter highpassL{CBiquadFilter::highPass, filter_settings::kHighpassHz,
                                filter_settings::kHighpassQ};
        CBiquadFilter highpassR{CBiquadFilter::highPass, filter_settings::kHighpassHz,
                                filter_settings::kHighpassQ};
        CBiquadFilter detectorFast{CBiquadFilter::lowPass, filter_settings::kDetectorFastHz,
                                   filter_settings::kDetectorQ};
        CBiquadFilter detectorSlow{CBiquadFilter::lowPass, filter_settings::kDetectorSlowConstructionHz,
                                   filter_settings::kDetectorQ};

        // Clears the filters whose state went non-finite; finite state stays.
        void resetNonFinite();
        // Caps the state at the gain table's top once the envelope went over it.
        void holdAtTop();
    };

    // What the envelope stage advances every frame: the envelope filter and
    // level, and the meter smoother that follows the curve gain.
    struct EnvelopeFollower
    {
        CBiquadFilter filter;
        double level;
        CBiquadFilter meter;
        double meterValue;
    };

    // Values the stages hand each other for one chunk of frames.
    struct Chunk;

    template <typename Sample>
    void process(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, int32_t frames);
    template <typename Sample>
    void passThrough(const Sample* inL, const Sample* inR, Sample* outL, Sample* outR, int32_t frames);
    template <bool valve, typename Sample>
    void compress(const Settings& settings, const Sample* inL, const Sample* inR, Sample* outL, Sample* outR,
                  int32_t frames);

    // The stages of a chunk, in order; each runs over all its frames before
    // the next starts, so that the processor overlaps independent frames
    // instead of waiting on one frame's chain of dependent operations.
    template <typename Sample>
    static void runSideChain(SideChain& chain, const Settings& settings, const Sample* inL, const Sample* inR,
                             int32_t frames, Chunk& chunk);
    static void designEnvelopeFilter(const Settings& settings, const CBiquadFilter& filter, int32_t frames,
                                     Chunk& chunk);
    // Stops after a frame whose envelope went non-finite or over the table's
    // top (held there), so that the side chain can be mended at that frame.
    static int32_t followEnvelope(EnvelopeFollower& follower, const GainCurve& curve, int32_t frames,
                                  Chunk& chunk, bool& wentNonFinite, bool& heldAtTop);
    template <bool valve, typename Sample>
    static void applyGain(const Settings& settings, const Chunk& chunk, int32_t frames, Sample* outL,
                          Sample* outR);

    void buildGainCurves();
    int32_t limitRatioIndex();
    static void designFor(CBiquadFilter& filter, double rate);

    std::atomic<int32_t> processMode{0};
    std::atomic<int32_t> ratioIndex{0};
    std::atomic<double> timeScale{0.05};
    std::atomic<double> driveTarget{1.0};
    std::atomic<double> outputGainTarget{1.0};
    std::atomic<double> meterGain{1.0};

    SideChain sideChain;
    double envelope = 0.0001;
    CBiquadFilter envelopeFilter{CBiquadFilter::lowPass, filter_settings::kEnvelopeConstructionHz,
                                 filter_settings::kEnvelopeQ};
    CBiquadFilter meterSmoother{CBiquadFilter::lowPass, filter_settings::kMeterConstructionHz,
                                filter_settings::kMeterQ};

    std::array<GainCurve, kCurveCount> gainCurves{};
};
