// A trivial plug-in of the same interface, so that the host can be tested
// without our compressor and so that --plugin has a second subject: two
// parameters ("Gain" in 0.5 dB steps from -24 to +24 dB, "Mode" Bypass/Gain,
// "Width" continuous 0..200 % and unused),
// three programs, mono handling through the host's pin answers.
// Built with GAIN_PLUGIN_FAULTY it has two faults for the validator to find:
// an effect name longer than its field, and a crash on a block of 0 frames.
#include "shell/host_interface.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

struct Program
{
    const char* name;
    float gain;
    float mode;
};
constexpr Program programs[] = {
    {"Unity", 0.5f, 1.0f}, {"Half", 0.5f - 6.0f / 48.0f, 1.0f}, {"Quiet", 0.0f, 1.0f}};
constexpr int programCount = 3;

struct GainPlugin
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    float values[3] = {0.5f, 1.0f, 0.5f};
    int program = 0;

    int gainStep() const { return static_cast<int>(std::lround(values[0] * 96.0f)) - 48; } // half decibels
    double gain() const { return values[1] < 0.5f ? 1.0 : std::pow(10.0, gainStep() * 0.5 / 20.0); }
    bool connected(int pin, int direction) const
    {
        return host == nullptr || host(const_cast<AEffect*>(&effect), audioMasterPinConnected, pin, direction,
                                       nullptr, 0.0f) == 0;
    }
};

GainPlugin* self(AEffect* effect)
{
    return static_cast<GainPlugin*>(effect->object);
}

void copyText(void* ptr, const char* text)
{
    std::snprintf(static_cast<char*>(ptr), 64, "%s", text);
}

void display(const GainPlugin& plugin, int index, void* ptr)
{
    if (index == 0)
        std::snprintf(static_cast<char*>(ptr), 64, "%.1f", plugin.gainStep() * 0.5);
    else if (index == 2)
        std::snprintf(static_cast<char*>(ptr), 64, "%.6f", plugin.values[2] * 200.0);
    else
        copyText(ptr, index == 1 ? (plugin.values[1] < 0.5f ? "Bypass" : "Gain") : "");
}

void applyProgram(GainPlugin& plugin, int index)
{
    plugin.program = index;
    plugin.values[0] = programs[index].gain;
    plugin.values[1] = programs[index].mode;
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float)
{
    GainPlugin& plugin = *self(effect);
    switch (opcode)
    {
    case effClose:
        delete &plugin;
        return 1;
    case effSetProgram:
        if (value >= 0 && value < programCount) applyProgram(plugin, static_cast<int>(value));
        return 0;
    case effGetProgram:
        return plugin.program;
    case effGetProgramName:
        copyText(ptr, programs[plugin.program].name);
        return 0;
    case effGetProgramNameIndexed:
        if (index < 0 || index >= programCount) return 0;
        copyText(ptr, programs[index].name);
        return 1;
    case effGetParamName:
        copyText(ptr, index == 0 ? "Gain" : index == 1 ? "Mode" : index == 2 ? "Width" : "");
        return 0;
    case effGetParamLabel:
        copyText(ptr, index == 0 ? "dB" : index == 2 ? "%" : "");
        return 0;
    case effGetParamDisplay:
        display(plugin, index, ptr);
        return 0;
    case effGetEffectName:
#ifdef GAIN_PLUGIN_FAULTY
        copyText(ptr, "Test Gain, with a name far too long for its field");
#else
        copyText(ptr, "Test Gain");
#endif
        return 1;
    case effGetProductString:
        copyText(ptr, "Test Gain plug-in");
        return 1;
    case effGetVendorString:
        copyText(ptr, "tests");
        return 1;
    case effGetVstVersion:
        return kVstVersion;
    default:
        return 0;
    }
}

void setParameter(AEffect* effect, VstInt32 index, float value)
{
    if (index >= 0 && index < 3)
        self(effect)->values[index] = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
}

float getParameter(AEffect* effect, VstInt32 index)
{
    return index >= 0 && index < 3 ? self(effect)->values[index] : 0.0f;
}

template <typename Sample> void process(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 frames)
{
    const GainPlugin& plugin = *self(effect);
#ifdef GAIN_PLUGIN_FAULTY
    if (frames == 0) std::abort();
#endif
    const double gain = plugin.gain();
    Sample* inRight = plugin.connected(1, 0) ? inputs[1] : inputs[0];
    Sample* outRight = plugin.connected(1, 1) ? outputs[1] : outputs[0];
    for (VstInt32 i = 0; i < frames; ++i)
    {
        const double left = inputs[0][i];
        const double right = inRight[i];
        outputs[0][i] = static_cast<Sample>(left * gain);
        outRight[i] = static_cast<Sample>(right * gain);
    }
}

void processFloat(AEffect* effect, float** inputs, float** outputs, VstInt32 frames)
{
    process(effect, inputs, outputs, frames);
}

void processDouble(AEffect* effect, double** inputs, double** outputs, VstInt32 frames)
{
    process(effect, inputs, outputs, frames);
}

} // namespace

extern "C" __attribute__((visibility("default"))) AEffect* VSTPluginMain(audioMasterCallback host)
{
    if (host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* plugin = new GainPlugin;
    plugin->host = host;
    AEffect& e = plugin->effect;
    e.magic = kEffectMagic;
    e.dispatcher = dispatch;
    e.setParameter = setParameter;
    e.getParameter = getParameter;
    e.numPrograms = programCount;
    e.numParams = 3;
    e.numInputs = 2;
    e.numOutputs = 2;
    e.flags = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
    e.ioRatio = 1.0f;
    e.object = plugin;
#ifdef GAIN_PLUGIN_UNIQUE_ID
    e.uniqueID = GAIN_PLUGIN_UNIQUE_ID;
#else
    e.uniqueID = fourCharCode('T', 'g', 'a', 'n');
#endif
    e.version = 1;
    e.processReplacing = processFloat;
    e.processDoubleReplacing = processDouble;
    return &e;
}
