// A trivial plug-in of the same interface, so that the host can be tested
// without our compressor and so that --plugin has a second subject: two
// parameters ("Gain" in 0.5 dB steps from -24 to +24 dB, "Mode" Bypass/Gain,
// "Width" continuous 0..200 % and unused),
// three programs, mono handling through the host's pin answers.
// Built with GAIN_PLUGIN_FAULTY it has one fault for each of the validator's
// checks, switched on by name in GAIN_PLUGIN_FAULT (comma-separated; unset:
// "text,empty"), so that every check is seen to fail.
#include "shell/host_interface.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#ifdef GAIN_PLUGIN_FAULTY
#include <X11/Xlib.h>
#endif

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

// The faults, each named for the check that must catch it.
struct Faults
{
    bool instances = false; // no ninth instance at once (open and close)
    bool trap = false;      // 0/0 while creating (floating-point traps)
    bool text = false;      // an effect name longer than its field (indices and texts)
    bool rate = false;      // a filter designed at the first resume only (rate in every order)
    bool range = false;     // half the gain above 200 kHz (rate range)
    bool empty = false;     // a crash on a block of 0 frames (blocks and entries)
    bool threads = false;   // a resume undoes other threads' writes (threads)
    bool hostile = false;   // the 32-bit entry is poisoned by one non-finite sample (hostile input)
    bool extreme = false;   // the 64-bit entry passes non-finite samples on (extreme 64-bit input)
    bool subnormal = false; // subnormal samples take a slow path (subnormal input cost)
    bool programs = false;  // a program taken again keeps the values it had (programs)
    bool editor = false;    // every editor opens a display connection it keeps (editor)
};

Faults readFaults()
{
    Faults faults;
#ifdef GAIN_PLUGIN_FAULTY
    const char* names = std::getenv("GAIN_PLUGIN_FAULT");
    const char* list = names ? names : "text,empty";
    const auto has = [list](const char* name)
    {
        const std::size_t length = std::strlen(name);
        for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name))
            if ((at == list || at[-1] == ',') && (at[length] == ',' || at[length] == '\0')) return true;
        return false;
    };
    faults = {has("instances"), has("trap"),      has("text"),     has("rate"),
              has("range"),     has("empty"),     has("threads"),  has("hostile"),
              has("extreme"),   has("subnormal"), has("programs"), has("editor")};
#endif
    return faults;
}

std::atomic<int> liveInstances{0};

struct GainPlugin
{
    AEffect effect{};
    audioMasterCallback host = nullptr;
    Faults faults = readFaults();
    float values[3] = {0.5f, 1.0f, 0.5f};
    float committed[3] = {0.5f, 1.0f, 0.5f}; // with `threads`: what the creating thread wrote
    std::thread::id creator = std::this_thread::get_id();
    bool taken[programCount] = {};
    int program = 0;
    float sampleRate = 44100.0f;
    double smoothing = -1.0; // with `rate`: the one-pole's coefficient, -1 until designed
    double smoothed[2] = {};
    bool poisoned = false;
    double trapped = 0.0;
#ifdef GAIN_PLUGIN_FAULTY
    Display* display = nullptr;
    Window window = 0;
#endif

    int gainStep() const
    {
        return static_cast<int>(std::lround(values[0] * 96.0f)) - 48;
    } // half decibels
    double gain() const
    {
        const double plain = values[1] < 0.5f ? 1.0 : std::pow(10.0, gainStep() * 0.5 / 20.0);
        return faults.range && sampleRate > 200000.0f ? plain * 0.5 : plain;
    }
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
    if (plugin.faults.programs && plugin.taken[index]) return;
    plugin.taken[index] = true;
    plugin.values[0] = plugin.committed[0] = programs[index].gain;
    plugin.values[1] = plugin.committed[1] = programs[index].mode;
}

// A 300 Hz low-pass, so that the output depends on the rate.
void designSmoothing(GainPlugin& plugin)
{
    plugin.smoothing = std::exp(-2.0 * 3.141592653589793 * 300.0 / plugin.sampleRate);
}

void resume(GainPlugin& plugin)
{
    if (plugin.faults.threads) std::memcpy(plugin.values, plugin.committed, sizeof plugin.values);
    if (plugin.faults.rate && plugin.smoothing < 0) designSmoothing(plugin);
}

bool openEditor([[maybe_unused]] GainPlugin& plugin, [[maybe_unused]] void* parent)
{
#ifdef GAIN_PLUGIN_FAULTY
    plugin.display = XOpenDisplay(nullptr);
    if (plugin.display == nullptr) return false;
    plugin.window =
        XCreateSimpleWindow(plugin.display, reinterpret_cast<Window>(parent), 0, 0, 100, 50, 0, 0, 0);
    XMapWindow(plugin.display, plugin.window);
    XSync(plugin.display, False);
    return true;
#else
    return false;
#endif
}

// Leaves the connection open: the fault.
void closeEditor([[maybe_unused]] GainPlugin& plugin)
{
#ifdef GAIN_PLUGIN_FAULTY
    if (plugin.display == nullptr) return;
    XDestroyWindow(plugin.display, plugin.window);
    XSync(plugin.display, False);
    plugin.display = nullptr;
#endif
}

VstIntPtr dispatch(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    GainPlugin& plugin = *self(effect);
    switch (opcode)
    {
    case effClose:
        liveInstances.fetch_sub(1);
        delete &plugin;
        return 1;
    case effSetSampleRate:
        plugin.sampleRate = opt;
        return 0;
    case effMainsChanged:
        if (value != 0) resume(plugin);
        return 0;
    case effEditGetRect:
        return 0;
    case effEditOpen:
        return openEditor(plugin, ptr) ? 1 : 0;
    case effEditClose:
        closeEditor(plugin);
        return 0;
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
        copyText(ptr, plugin.faults.text ? "Test Gain, with a name far too long for its field" : "Test Gain");
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
    if (index < 0 || index >= 3) return;
    GainPlugin& plugin = *self(effect);
    plugin.values[index] = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
    if (!plugin.faults.threads || std::this_thread::get_id() == plugin.creator)
        plugin.committed[index] = plugin.values[index];
}

float getParameter(AEffect* effect, VstInt32 index)
{
    return index >= 0 && index < 3 ? self(effect)->values[index] : 0.0f;
}

// Spends the time a slow path for subnormal numbers would.
void slowPath()
{
    volatile double sink = 0.0;
    for (int i = 0; i < 400; ++i)
        sink = sink + 1.0;
}

// Non-finite input leaves silence; values too small to hear become 0
// before any arithmetic meets them as subnormals.
template <typename Sample> double cleaned(GainPlugin& plugin, Sample sample)
{
    const double value = sample;
    const bool wide = sizeof(Sample) == sizeof(double);
    if (!std::isfinite(value))
    {
        if (!wide && plugin.faults.hostile) plugin.poisoned = true;
        if (wide && plugin.faults.extreme) return value;
        return 0.0;
    }
    if (std::fabs(value) < 1e-30)
    {
        if (value != 0.0 && plugin.faults.subnormal) slowPath();
        return 0.0;
    }
    return value;
}

double smooth(GainPlugin& plugin, int channel, double value)
{
    if (!plugin.faults.rate) return value;
    const double a =
        plugin.smoothing < 0 ? std::exp(-2.0 * 3.141592653589793 * 300.0 / 44100.0) : plugin.smoothing;
    const double limited = std::fmax(-100.0, std::fmin(100.0, value));
    plugin.smoothed[channel] = (1.0 - a) * limited + a * plugin.smoothed[channel];
    return plugin.smoothed[channel];
}

template <typename Sample> void process(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 frames)
{
    GainPlugin& plugin = *self(effect);
    if (frames == 0 && plugin.faults.empty) std::abort();
    const double gain = plugin.gain();
    Sample* inRight = plugin.connected(1, 0) ? inputs[1] : inputs[0];
    Sample* outRight = plugin.connected(1, 1) ? outputs[1] : outputs[0];
    for (VstInt32 i = 0; i < frames; ++i)
    {
        const double left = smooth(plugin, 0, cleaned(plugin, inputs[0][i]));
        const double right = smooth(plugin, 1, cleaned(plugin, inRight[i]));
        outputs[0][i] = static_cast<Sample>(plugin.poisoned ? std::nan("") : left * gain);
        outRight[i] = static_cast<Sample>(plugin.poisoned ? std::nan("") : right * gain);
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
    if (plugin->faults.instances && liveInstances.load() >= 8)
    {
        delete plugin;
        return nullptr;
    }
    liveInstances.fetch_add(1);
    if (plugin->faults.trap)
    {
        volatile double zero = 0.0;
        plugin->trapped = zero / zero;
    }
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
    e.flags =
        effFlagsCanReplacing | effFlagsCanDoubleReplacing | (plugin->faults.editor ? effFlagsHasEditor : 0);
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
