#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/CBiquadFilter.h"

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
