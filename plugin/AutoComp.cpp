#include "plugin/AutoComp.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "editor/ADEditor.h"
#include "platform/platform.h"
#include "presets/PreferenceStore.h"

namespace
{

constexpr const char* kCanDos[] = {"offline", "plugAsChannelInsert", "mixDryWet", "1in1out", "1in2out",
                                   "2in2out"};

constexpr float kMissingPreference = -1000.0f;
// A host constructs instances on its own threads, often while loading a project.
constexpr int kConstructionLockWaitMs = 250;

struct MeterPreferenceDefault
{
    const char* name;
    float fallback;
};
constexpr MeterPreferenceDefault kVUreference{"VUreference", -14.0f};
constexpr MeterPreferenceDefault kVUtimeConst{"VUtimeConst", 0.6f};
constexpr MeterPreferenceDefault kPPMrelease{"PPMrelease", 0.6f};
constexpr MeterPreferenceDefault kPPMhold{"PPMhold", 1.0f};

// -1000 marks a missing value; the default is then used and, unless
// `missing` collects it for one later write, goes into the store.
double readMeterPreference(const MeterPreferenceDefault& preference,
                           std::vector<Preference>* missing = nullptr)
{
    const float value = readPreference(preference.name, kMissingPreference);
    if (value != kMissingPreference)
    {
        return value;
    }
    if (missing)
    {
        missing->push_back({preference.name, preference.fallback});
    }
    else
    {
        writePreference(preference.name, preference.fallback);
    }
    return preference.fallback;
}

void fillPin(VstPinProperties* properties, const char* format, VstInt32 index)
{
    std::snprintf(properties->label, sizeof properties->label, format, static_cast<int>(index + 1));
    properties->flags = kVstPinIsActive | kVstPinIsStereo;
}

} // namespace

AutoComp::AutoComp(audioMasterCallback host) : CPresetSystemEffect(host)
{
    setNumInputs(2);
    setNumOutputs(2);
    canProcessReplacing(true);
    canDoubleReplacing(true);
    setUniqueID(kUniqueId);

    initFactoryPresets();
    for (VstInt32 i = 0; i < params::kCount; ++i)
    {
        setParameter(i, storedValue(i));
    }
    // Start at the targets: no fade-in on the first block.
    kernel.settleSmoothing();

    new (std::nothrow) ADEditor(this, this); // attaches itself; the effect owns it
    suspend();

    // Missing defaults go into the store in one write: construction waits
    // for another writer's lock once, briefly, or goes on without storing.
    std::vector<Preference> missing;
    meterPreferences.vuReferenceFactor = std::pow(10.0, readMeterPreference(kVUreference, &missing) * 0.05);
    meterPreferences.vuTimeConst = readMeterPreference(kVUtimeConst, &missing);
    meterPreferences.ppmRelease = readMeterPreference(kPPMrelease, &missing);
    meterPreferences.ppmHold = readMeterPreference(kPPMhold, &missing);
    if (!missing.empty())
    {
        writePreferences(missing, kConstructionLockWaitMs);
    }
}

AutoComp::~AutoComp() = default;

ADEditor* AutoComp::panel()
{
    // The only editor this effect ever attaches is its own.
    return static_cast<ADEditor*>(editor);
}

PresetNameView* AutoComp::presetNameView()
{
    return panel();
}

// The kernel changes hands with acquire and release, so that whoever takes it
// next sees every field the last owner wrote.
bool AutoComp::claimKernel(KernelOwner owner)
{
    int32_t expected = kFree;
    return kernelOwner.compare_exchange_strong(expected, owner, std::memory_order_acquire,
                                               std::memory_order_relaxed);
}

void AutoComp::releaseKernel()
{
    kernelOwner.store(kFree, std::memory_order_release);
}

// Audio thread, owning the kernel: what the host asked for while the kernel
// was busy, a rate the filters were not designed for (as a resume would take
// it), and the parameters as program 0 holds them.
void AutoComp::prepareBlock()
{
    if (suspendPending.exchange(false, std::memory_order_relaxed))
    {
        kernel.suspend();
    }
    const float rate = announcedRate.load(std::memory_order_relaxed);
    // Bits, not values: a NaN rate equals itself here.
    const bool sameRate = std::bit_cast<uint32_t>(rate) == std::bit_cast<uint32_t>(designedRate);
    if (resumePending.exchange(false, std::memory_order_relaxed) || !sameRate)
    {
        kernel.resume(static_cast<double>(rate));
        designedRate = rate;
    }
    for (const VstInt32 index :
         {params::kProcess, params::kRatio, params::kTime, params::kCompression, params::kOutput})
    {
        applyToKernel(index, storedValue(index));
    }
}

template <typename Sample>
void AutoComp::processStereo(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    if (sampleFrames <= 0 || !inputs || !outputs || !inputs[0] || !outputs[0])
    {
        return;
    }
    // Unconnected second pins, or a mono arrangement: the left input feeds
    // both channels, and both results go to output 0 (the right one last).
    const Sample* inL = inputs[0];
    const bool stereoIn = !monoInput.load(std::memory_order_relaxed) && isInputConnected(1) && inputs[1];
    const bool stereoOut = !monoOutput.load(std::memory_order_relaxed) && isOutputConnected(1) && outputs[1];
    const Sample* inR = stereoIn ? inputs[1] : inputs[0];
    Sample* outL = outputs[0];
    Sample* outR = stereoOut ? outputs[1] : outputs[0];
    if (!claimKernel(kAudio))
    {
        // A host thread is suspending or resuming the kernel: this block
        // passes through untouched rather than meet a half-reset state.
        for (VstInt32 i = 0; i < sampleFrames; ++i)
        {
            const Sample left = inL[i];
            const Sample right = inR[i];
            outL[i] = left;
            outR[i] = right;
        }
        return;
    }
    prepareBlock();
    kernel.processBlock(inL, inR, outL, outR, sampleFrames);
    releaseKernel();
}

void AutoComp::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
{
    processStereo(inputs, outputs, sampleFrames);
}

void AutoComp::processDoubleReplacing(double** inputs, double** outputs, VstInt32 sampleFrames)
{
    processStereo(inputs, outputs, sampleFrames);
}

void AutoComp::applyToKernel(VstInt32 index, float value)
{
    switch (index)
    {
    case params::kProcess:
        kernel.setProcessMode(params::processMode(value));
        break;
    case params::kRatio:
        kernel.setRatioIndex(params::ratioIndex(value));
        break;
    case params::kTime:
        kernel.setTimeScale(params::timeScale(value));
        break;
    case params::kCompression:
        kernel.setDriveTarget(params::driveTarget(value));
        break;
    case params::kOutput:
        kernel.setOutputGainTarget(params::outputGainTarget(value));
        break;
    default:
        break; // hidden parameters are only stored
    }
}

float AutoComp::storedValue(VstInt32 index)
{
    return programs[0].getParameter(index);
}

// The kernel follows what program 0 holds, not the value passed in: with two
// threads setting one parameter, the last store wins in both places.
void AutoComp::applyStoredParameter(VstInt32 index)
{
    applyToKernel(index, storedValue(index));
    if (ADEditor* view = panel())
    {
        view->setParameter(index, storedValue(index));
    }
}

void AutoComp::setParameter(VstInt32 index, float value)
{
    if (index < 0 || index >= params::kCount)
    {
        return;
    }
    CPresetSystemEffect::setParameter(index, params::clampValue(value));
    applyStoredParameter(index);
}

float AutoComp::getParameter(VstInt32 index)
{
    if (index < 0 || index >= params::kCount)
    {
        return 0.0f;
    }
    return storedValue(index);
}

void AutoComp::getParameterName(VstInt32 index, char* text)
{
    std::strcpy(text, params::name(index));
}

void AutoComp::getParameterLabel(VstInt32 index, char* label)
{
    std::strcpy(label, params::label(index));
}

void AutoComp::getParameterDisplay(VstInt32 index, char* text)
{
    if (index < 0 || index >= params::kCount)
    {
        std::strcpy(text, " ");
        return;
    }
    params::display(index, storedValue(index), text);
}

double AutoComp::getMeterGain() const
{
    const bool suspended =
        suspendPending.load(std::memory_order_relaxed) || resumePending.load(std::memory_order_relaxed);
    return suspended ? 1.0 : kernel.getMeterGain();
}

void AutoComp::suspend()
{
    if (claimKernel(kHost))
    {
        kernel.suspend();
        releaseKernel();
    }
    else
    {
        suspendPending.store(true, std::memory_order_relaxed);
    }
    resumePending.store(true, std::memory_order_relaxed);
    if (ADEditor* view = panel())
    {
        view->clearMeter();
    }
}

void AutoComp::resume()
{
    AudioEffectX::resume();
    // A host that knows its rate is asked: some set it only after resuming.
    const float rate = static_cast<float>(updateSampleRate());
    announcedRate.store(rate, std::memory_order_relaxed);
    if (claimKernel(kHost))
    {
        // Runs any suspend the audio thread had not taken yet first.
        if (suspendPending.exchange(false, std::memory_order_relaxed))
        {
            kernel.suspend();
        }
        kernel.resume(static_cast<double>(rate));
        designedRate = rate;
        resumePending.store(false, std::memory_order_relaxed);
        releaseKernel();
    }
    else
    {
        resumePending.store(true, std::memory_order_relaxed);
    }
    setProgram(getProgram());
}

void AutoComp::setSampleRate(float rate)
{
    AudioEffectX::setSampleRate(rate);
    announcedRate.store(rate, std::memory_order_relaxed);
    setInitialDelay(0);
}

bool AutoComp::getEffectName(char* name)
{
    std::strcpy(name, kEffectName);
    return true;
}

bool AutoComp::getVendorString(char* text)
{
    std::strcpy(text, kVendorString);
    return true;
}

bool AutoComp::getProductString(char* text)
{
    std::strcpy(text, kProductString);
    return true;
}

VstInt32 AutoComp::canDo(char* text)
{
    if (!text)
    {
        return 0;
    }
    for (const char* known : kCanDos)
    {
        if (std::strcmp(known, text) == 0)
        {
            return 1;
        }
    }
    return 0;
}

// Only the two pins the record announces exist.
bool AutoComp::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index > 1 || !properties)
    {
        return false;
    }
    fillPin(properties, "TRV amberLit %1d In", index);
    return true;
}

bool AutoComp::getOutputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index > 1 || !properties)
    {
        return false;
    }
    fillPin(properties, "TRV amberLit %1d Out", index);
    return true;
}

bool AutoComp::setSpeakerArrangement(VstSpeakerArrangement* pluginInput, VstSpeakerArrangement* pluginOutput)
{
    if (!pluginInput || !pluginOutput)
    {
        return false;
    }
    const VstInt32 in = pluginInput->numChannels;
    const VstInt32 out = pluginOutput->numChannels;
    if (!((in == 1 && out == 1) || (in == 1 && out == 2) || (in == 2 && out == 2)))
    {
        return false;
    }
    monoInput.store(in == 1, std::memory_order_relaxed);
    monoOutput.store(out == 1, std::memory_order_relaxed);
    return true;
}

double AutoComp::getVUreference()
{
    return readMeterPreference(kVUreference);
}

double AutoComp::getVUtimeConst()
{
    return readMeterPreference(kVUtimeConst);
}

double AutoComp::getPPMrelease()
{
    return readMeterPreference(kPPMrelease);
}

double AutoComp::getPPMhold()
{
    return readMeterPreference(kPPMhold);
}

VstInt32 AutoComp::setVUreference(double value)
{
    return writePreference(kVUreference.name, static_cast<float>(value));
}

VstInt32 AutoComp::setVUtimeConst(double value)
{
    return writePreference(kVUtimeConst.name, static_cast<float>(value));
}

VstInt32 AutoComp::setPPMrelease(double value)
{
    return writePreference(kPPMrelease.name, static_cast<float>(value));
}

VstInt32 AutoComp::setPPMhold(double value)
{
    return writePreference(kPPMhold.name, static_cast<float>(value));
}
