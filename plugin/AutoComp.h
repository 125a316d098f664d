#pragma once

#include <atomic>

#include "editor/MeterSource.h"
#include "engine/CompressorKernel.h"
#include "engine/ParameterTable.h"
#include "presets/CPresetSystemEffect.h"

class ADEditor;

// The effect: twelve parameters feeding the compressor kernel, the plug-in's
// identity and channel layouts, and the meter preferences.
class AutoComp : public CPresetSystemEffect, public MeterSource
{
  public:
    // 'QBXN', first character in the most significant byte.
    static constexpr VstInt32 kUniqueId = ('Q' << 24) | ('B' << 16) | ('X' << 8) | 'N';
    static constexpr const char* kEffectName = "TRV amberLit";
    static constexpr const char* kVendorString = "trv-sonikwerk.example";
    static constexpr const char* kProductString = "TRV amberLit - opto compressor";

    explicit AutoComp(audioMasterCallback host);
    ~AutoComp() override;

    // Audio thread; real-time safe.
    void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) override;
    void processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames) override;

    // Any host thread or the editor's.
    void setParameter(VstInt32 index, float value) override;
    float getParameter(VstInt32 index) override;
    void getParameterName(VstInt32 index, char* text) override;
    void getParameterLabel(VstInt32 index, char* label) override;
    void getParameterDisplay(VstInt32 index, char* text) override;

    // Host threads. Hosts may call these while the audio thread processes
    // (a breach of the protocol that some commit): the kernel then takes the
    // change at its next block, and a rate that differs from the one the
    // filters were designed for is taken there too, resumed or not.
    void suspend() override;
    void resume() override;
    void setSampleRate(float sampleRate) override;

    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override { return 1; }
    VstInt32 getPlugCategory() override { return kPlugCategMastering; }
    VstInt32 canDo(char* text) override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    // An accepted mono side is processed as an unconnected pin 1 would be.
    bool setSpeakerArrangement(VstSpeakerArrangement* pluginInput,
                               VstSpeakerArrangement* pluginOutput) override;

    // Meter preferences in the per-user settings store: a missing value is
    // replaced by its default. The setters return the store's status.
    virtual double getVUreference();
    virtual double getVUtimeConst();
    virtual double getPPMrelease();
    virtual double getPPMhold();
    virtual VstInt32 setVUreference(double value);
    virtual VstInt32 setVUtimeConst(double value);
    virtual VstInt32 setPPMrelease(double value);
    virtual VstInt32 setPPMhold(double value);

    // The meter preferences as read at construction; VUreference as a linear factor.
    struct MeterPreferences
    {
        double vuReferenceFactor;
        double vuTimeConst;
        double ppmRelease;
        double ppmHold;
    };
    const MeterPreferences& getMeterPreferences() const { return meterPreferences; }

    // Smoothed linear gain for the meter, 1.0 meaning no reduction (also while
    // suspended, until the next block). Any thread.
    double getMeterGain() const override;
    const CompressorKernel& getKernel() const { return kernel; }

  protected:
    PresetNameView* presetNameView() override;
    void applyStoredParameter(VstInt32 index) override;

  private:
    // Who works on the kernel's state: nobody, the audio thread for one
    // block, or a host thread for a suspend or resume.
    enum KernelOwner : int32_t
    {
        kFree,
        kAudio,
        kHost
    };

    // The editor this effect made, or null once it is gone.
    ADEditor* panel();
    template <typename Sample> void processStereo(Sample** inputs, Sample** outputs, VstInt32 sampleFrames);
    void applyToKernel(VstInt32 index, float value);
    float storedValue(VstInt32 index);
    bool claimKernel(KernelOwner owner);
    void releaseKernel();
    void prepareBlock();

    CompressorKernel kernel;
    MeterPreferences meterPreferences{};

    std::atomic<int32_t> kernelOwner{kFree};
    // Requests a host thread left for the audio thread, when it found the
    // kernel busy; and the state processing starts from.
    std::atomic<bool> suspendPending{false};
    std::atomic<bool> resumePending{true}; // suspended: the next block resumes first
    std::atomic<float> announcedRate{44100.0f};
    float designedRate = 44100.0f; // the kernel owner's: the rate of the last kernel resume
    // Accepted speaker arrangements with one channel on that side.
    std::atomic<bool> monoInput{false};
    std::atomic<bool> monoOutput{false};
};
