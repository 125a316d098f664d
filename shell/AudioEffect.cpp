#include "shell/AudioEffect.h"

#include "shell/AEffEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

AudioEffect::AudioEffect(audioMasterCallback host, VstInt32 programCount, VstInt32 paramCount)
    : audioMaster(host), numPrograms(programCount), numParams(paramCount)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = programCount;
    cEffect.numParams = paramCount;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = effFlagsCanReplacing;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kDefaultUniqueId;
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
    cEffect.processDoubleReplacing = processClassDoubleReplacing;
}

AudioEffect::~AudioEffect()
{
    delete editor;
}

// --- Plain entries --------------------------------------------------------

static AudioEffect* objectOf(AEffect* e)
{
    return e ? static_cast<AudioEffect*>(e->object) : nullptr;
}

VstIntPtr AudioEffect::dispatchEffClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                        void* ptr, float opt)
{
    AudioEffect* ae = objectOf(e);
    if (!ae) return 0;
    if (opcode == effClose)
    {
        ae->dispatcher(opcode, index, value, ptr, opt);
        delete ae;
        return 1;
    }
    return ae->dispatcher(opcode, index, value, ptr, opt);
}

float AudioEffect::getParameterClass(AEffect* e, VstInt32 index)
{
    AudioEffect* ae = objectOf(e);
    return ae ? ae->getParameter(index) : 0.0f;
}

void AudioEffect::setParameterClass(AEffect* e, VstInt32 index, float value)
{
    if (AudioEffect* ae = objectOf(e)) ae->setParameter(index, value);
}

void AudioEffect::processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* ae = objectOf(e)) ae->process(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    if (AudioEffect* ae = objectOf(e)) ae->processReplacing(inputs, outputs, sampleFrames);
}

void AudioEffect::processClassDoubleReplacing(AEffect* e, double** inputs, double** outputs,
                                              VstInt32 sampleFrames)
{
    if (AudioEffect* ae = objectOf(e)) ae->processDoubleReplacing(inputs, outputs, sampleFrames);
}

// --- Dispatcher -----------------------------------------------------------

// Opcodes that write through ptr; a host passing null gets 0 instead of a crash.
static bool writesThroughPtr(VstInt32 opcode)
{
    switch (opcode)
    {
    case effSetProgramName:
    case effGetProgramName:
    case effGetParamLabel:
    case effGetParamDisplay:
    case effGetParamName:
    case effEditGetRect:
        return true;
    default:
        return false;
    }
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    if (!ptr && writesThroughPtr(opcode)) return 0;
    char* text = static_cast<char*>(ptr);
    switch (opcode)
    {
    case effOpen:
        open();
        return 0;
    case effClose:
        close();
        return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram:
        return getProgram();
    case effSetProgramName:
        setProgramName(text);
        return 0;
    case effGetProgramName:
        getProgramName(text);
        return 0;
    case effGetParamLabel:
        getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        getParameterName(index, text);
        return 0;
    case effSetSampleRate:
        setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value != 0)
            resume();
        else
            suspend();
        return 0;
    case effEditGetRect:
        return editor && editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
    case effEditOpen:
        return editor && editor->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor) editor->close();
        return 0;
    case effEditIdle:
        if (editor) editor->idle();
        return 0;
    case effIdentify:
        return kIdentifyAnswer;
    case effGetChunk:
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);
    default:
        return 0; // includes the deprecated effGetVu, effEditDraw/Mouse/Key/Top/Sleep
    }
}

// --- Base behaviour -------------------------------------------------------

void AudioEffect::setSampleRate(float newSampleRate)
{
    sampleRate = newSampleRate;
}

void AudioEffect::setBlockSize(VstInt32 newBlockSize)
{
    blockSize = newBlockSize;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    if (audioMaster) audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

void AudioEffect::getProgramName(char* name)
{
    if (name) *name = 0;
}

void AudioEffect::getParameterLabel(VstInt32 index, char* label)
{
    if (label) *label = 0;
}

void AudioEffect::getParameterDisplay(VstInt32 index, char* text)
{
    if (text) *text = 0;
}

void AudioEffect::getParameterName(VstInt32 index, char* text)
{
    if (text) *text = 0;
}

void AudioEffect::setEditor(AEffEditor* newEditor)
{
    editor = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state)
{
    if (state)
        cEffect.flags |= flag;
    else
        cEffect.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

// --- Host-communication wrappers ------------------------------------------

VstInt32 AudioEffect::getMasterVersion()
{
    const auto version = static_cast<VstInt32>(callHost(audioMasterVersion));
    return version != 0 ? version : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return static_cast<VstInt32>(callHost(audioMasterCurrentId));
}

void AudioEffect::masterIdle()
{
    callHost(audioMasterIdle);
}

// The host answers 0 for a connected pin (and a missing host connects everything).
bool AudioEffect::isInputConnected(VstInt32 input)
{
    return callHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    return callHost(audioMasterPinConnected, output, 1) == 0;
}

// --- Number-to-text -------------------------------------------------------

static void copyLimited(const std::string& s, char* text, VstInt32 maxLen)
{
    if (!text || maxLen < 0) return;
    const std::size_t n = std::min(s.size(), static_cast<std::size_t>(maxLen));
    std::memcpy(text, s.data(), n);
    text[n] = 0;
}

// Eight characters: sign, integer digits, point, fractional digits truncated.
// The fraction of a float is exact in double and stays exact through the seven
// multiplications by ten, so every digit is the true truncated digit.
static std::string formatFloat8(float value)
{
    constexpr std::size_t width = 8;
    if (std::isnan(value)) return "NaN";
    if (value > 99999999.0 || value < -9999999.0) return "Huge!";
    const double v = value;
    const double magnitude = std::fabs(v);
    const double whole = std::floor(magnitude);
    std::string s = std::signbit(v) && magnitude != 0.0 ? "-" : "";
    s += std::to_string(static_cast<long long>(whole));
    if (s.size() >= width) return s; // an eight-character integer part leaves no room for a point
    s += '.';
    double fraction = magnitude - whole;
    while (s.size() < width)
    {
        fraction *= 10.0;
        const double digit = std::floor(fraction);
        s += static_cast<char>('0' + static_cast<int>(digit));
        fraction -= digit;
    }
    return s;
}

void AudioEffect::float2string(float value, char* text, VstInt32 maxLen)
{
    copyLimited(formatFloat8(value), text, maxLen);
}

void AudioEffect::int2string(VstInt32 value, char* text, VstInt32 maxLen)
{
    if (value >= 100000000)
    {
        copyLimited("Huge!", text, maxLen);
        return;
    }
    copyLimited(std::to_string(static_cast<long long>(value)), text, maxLen);
}

void AudioEffect::dB2string(float value, char* text, VstInt32 maxLen)
{
    if (value <= 0.0f)
    {
        copyLimited("-oo", text, maxLen);
        return;
    }
    float2string(static_cast<float>(20.0 * std::log10(static_cast<double>(value))), text, maxLen);
}

void AudioEffect::Hz2string(float samples, char* text, VstInt32 maxLen)
{
    const double hz = samples == 0.0f ? 0.0 : static_cast<double>(sampleRate) / samples;
    float2string(static_cast<float>(hz), text, maxLen);
}

void AudioEffect::ms2string(float samples, char* text, VstInt32 maxLen)
{
    float2string(static_cast<float>(samples * 1000.0 / sampleRate), text, maxLen);
}
