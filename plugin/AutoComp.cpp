#include "plugin/AutoComp.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "editor/ADEditor.h"
#include "platform/platform.h"
#include "presets/PreferenceStore.h"

namespace
{

constexpr const char* kCanDos[] = {"offline", "plugAsChannelInsert", "mixDryWet", "1in1out", "1in2out",
                                   "2in2out"};

constexpr float kMissingPreference = -1000.0f;

struct MeterPreferenceDefault
{
    const char* name;
    float fallback;
};
constexpr MeterPreferenceDefault kVUreference{"VUreference", -14.0f};
constexpr MeterPreferenceDefault kVUtimeConst{"VUtimeConst", 0.6f};
constexpr MeterPreferenceDefault kPPMrelease{"PPMrelease", 0.6f};
constexpr MeterPreferenceDefault kPPMhold{"PPMhold", 1.0f};

// -1000 marks a missing value; the default then goes into the store.
double readMeterPreference(const MeterPreferenceDefault& preference)
{
    const float value = readPreference(preference.name, kMissingPreference);
    if (value == kMissingPreference)
    {
        writePreference(preference.name, preference.fallback);
        return preference.fallback;
    }
    return value;
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
    if (CProgram* first = getPresetProgram(0))
    {
        for (VstInt32 i = 0; i < params::kCount; ++i)
        {
            setParameter(i, first->getParameter(i));
        }
    }
    // Start at the targets: no fade-in on the first block.
    kernel.settleSmoothing();

    new (std::nothrow) ADEditor(this, this); // attaches itself; the effect owns it
    suspend();

    meterPreferences.vuReferenceFactor = std::pow(10.0, readMeterPreference(kVUreference) * 0.05);
    meterPreferences.vuTimeConst = readMeterPreference(kVUtimeConst);
    meterPreferences.ppmRelease = readMeterPreference(kPPMrelease);
    meterPreferences.ppmHold = readMeterPreference(kPPMhold);
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

template <typename Sample>
void AutoComp::processStereo(Sample** inputs, Sample** outputs, VstInt32 sampleFrames)
{
    // Unconnected second pins: the left input feeds both channels, and both
    // results go to output 0 (the right one written last).
    const Sample* inL = inputs[0];
    const Sample* inR = isInputConnected(1) ? inputs[1] : inputs[0];
    Sample* outL = outputs[0];
    Sample* outR = isOutputConnected(1) ? outputs[1] : outputs[0];
    kernel.processBlock(inL, inR, outL, outR, sampleFrames);
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

void AutoComp::setParameter(VstInt32 index, float value)
{
    if (index >= params::kCount)
    {
        return;
    }
    value = params::clampValue(value);
    if (index >= 0)
    {
        values[index].store(value, std::memory_order_relaxed);
        applyToKernel(index, value);
    }
    CPresetSystemEffect::setParameter(index, value);
    if (ADEditor* view = panel())
    {
        view->setParameter(index, value);
    }
}

float AutoComp::getParameter(VstInt32 index)
{
    if (index < 0 || index >= params::kCount)
    {
        return 0.0f;
    }
    return params::clampValue(values[index].load(std::memory_order_relaxed));
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
    params::display(index, values[index].load(std::memory_order_relaxed), text);
}

void AutoComp::suspend()
{
    kernel.suspend();
    if (ADEditor* view = panel())
    {
        view->clearMeter();
    }
}

void AutoComp::resume()
{
    AudioEffectX::resume();
    kernel.resume(static_cast<double>(getSampleRate()));
    setProgram(getProgram());
}

void AutoComp::setSampleRate(float rate)
{
    AudioEffectX::setSampleRate(rate);
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

bool AutoComp::getInputProperties(VstInt32 index, VstPinProperties* properties)
{
    if (index < 0 || index > 3 || !properties)
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
    return (in == 1 && out == 1) || (in == 1 && out == 2) || (in == 2 && out == 2);
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
