#include "host/ValidatorPlugin.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>

namespace host::validation
{
namespace
{

constexpr double kWindowSeconds = 0.01;
constexpr double kSilenceDb = -80.0;

void copyText(void* ptr, const char* text)
{
    if (ptr) std::snprintf(static_cast<char*>(ptr), kVstMaxVendorStrLen, "%s", text);
}

VstIntPtr answerHost(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float)
{
    HostAnswers& answers = hostAnswers();
    switch (opcode)
    {
    case audioMasterVersion:
        return kVstVersion;
    case audioMasterAutomate:
        answers.automations.fetch_add(1, std::memory_order_relaxed);
        return 0;
    case audioMasterGetSampleRate:
        return answers.sampleRate.load(std::memory_order_relaxed);
    case audioMasterGetBlockSize:
        return answers.blockSize.load(std::memory_order_relaxed);
    case audioMasterPinConnected:
        return index >= 0 && index < answers.connectedPins.load(std::memory_order_relaxed) ? 0 : 1;
    case audioMasterGetVendorString:
        copyText(ptr, "TRV");
        return 1;
    case audioMasterGetProductString:
        copyText(ptr, "amberlit validate");
        return 1;
    default:
        return 0;
    }
}

double meanSquare(const std::vector<double>& samples, std::size_t from, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += samples[i] * samples[i];
    return sum / static_cast<double>(count);
}

// NaN counts as far too loud, so that it is never taken for silence.
double levelDb(double meanSquareValue)
{
    if (std::isnan(meanSquareValue)) return 1000.0;
    return meanSquareValue > 0 ? 10.0 * std::log10(meanSquareValue) : -400.0;
}

// Per window and channel: the level difference, or nothing for silence.
template <typename Visit>
void forEachWindow(const Stereo& a, const Stereo& b, double rate, double fromSeconds, Visit visit)
{
    const auto window = static_cast<std::size_t>(rate * kWindowSeconds);
    const std::size_t frames = std::min(a.frames(), b.frames());
    for (auto start = static_cast<std::size_t>(rate * fromSeconds); start + window <= frames; start += window)
    {
        double worst = 0.0;
        for (const auto channel : {&Stereo::left, &Stereo::right})
        {
            const double da = levelDb(meanSquare(a.*channel, start, window));
            const double db = levelDb(meanSquare(b.*channel, start, window));
            if (da < kSilenceDb && db < kSilenceDb) continue;
            worst = std::max(worst, std::fabs(da - db));
        }
        visit(static_cast<double>(start) / rate, worst);
    }
}

template <typename Sample> struct Buffers
{
    std::vector<Sample> inL, inR, outL, outR;
    Sample* inputs[2];
    Sample* outputs[2];

    void fill(const Stereo& input, std::size_t from, int frames, bool inPlace)
    {
        const auto n = static_cast<std::size_t>(frames);
        inL.assign(input.left.begin() + static_cast<std::ptrdiff_t>(from),
                   input.left.begin() + static_cast<std::ptrdiff_t>(from + n));
        inR.assign(input.right.begin() + static_cast<std::ptrdiff_t>(from),
                   input.right.begin() + static_cast<std::ptrdiff_t>(from + n));
        outL.assign(n, Sample(0));
        outR.assign(n, Sample(0));
        inputs[0] = inL.data();
        inputs[1] = inR.data();
        outputs[0] = inPlace ? inL.data() : outL.data();
        outputs[1] = inPlace ? inR.data() : outR.data();
    }
    void collect(Stereo& output, int frames) const
    {
        output.left.insert(output.left.end(), outputs[0], outputs[0] + frames);
        output.right.insert(output.right.end(), outputs[1], outputs[1] + frames);
    }
};

template <typename Sample>
void processBlock(const Plugin& plugin, const Stereo& input, std::size_t from, int frames,
                  const RenderWay& way, Stereo& output)
{
    Buffers<Sample> buffers;
    buffers.fill(input, from, frames, way.inPlace);
    if (way.emptyBlocks) plugin.process(buffers.inputs, buffers.outputs, 0);
    plugin.process(buffers.inputs, buffers.outputs, frames);
    buffers.collect(output, frames);
}

} // namespace

HostAnswers& hostAnswers()
{
    static HostAnswers answers;
    return answers;
}

std::unique_ptr<Module> Module::open(const std::string& path, std::string& error)
{
    std::unique_ptr<Module> module(new Module);
    module->library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module->library)
    {
        error = dlerror();
        return nullptr;
    }
    void* entry = dlsym(module->library, "VSTPluginMain");
    if (!entry) entry = dlsym(module->library, "main");
    if (!entry)
    {
        error = "exports neither VSTPluginMain nor main";
        return nullptr;
    }
    module->entry = reinterpret_cast<VstPluginMainProc>(entry);
    return module;
}

Module::~Module()
{
    if (library) dlclose(library);
}

AEffect* Module::create() const
{
    AEffect* effect = entry(answerHost);
    if (!effect || effect->magic != kEffectMagic) return nullptr;
    effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
    return effect;
}

Plugin::Plugin(const Module& module) : effect(module.create()) {}

Plugin::~Plugin()
{
    if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

VstIntPtr Plugin::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) const
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void Plugin::start(float rate, int maxBlock) const
{
    setSampleRate(rate);
    setBlockSize(maxBlock);
    resume();
}

std::string Plugin::programName() const
{
    char name[256] = {};
    dispatch(effGetProgramName, 0, 0, name);
    name[sizeof name - 1] = '\0';
    return name;
}

void Stereo::append(const Stereo& other, std::size_t from, std::size_t count)
{
    const auto begin = static_cast<std::ptrdiff_t>(from);
    const auto end = static_cast<std::ptrdiff_t>(from + count);
    left.insert(left.end(), other.left.begin() + begin, other.left.begin() + end);
    right.insert(right.end(), other.right.begin() + begin, other.right.begin() + end);
}

Stereo programme(double rate, double seconds)
{
    Stereo audio;
    const auto frames = static_cast<std::size_t>(rate * seconds);
    audio.left.resize(frames);
    audio.right.resize(frames);
    constexpr double twoPi = 2 * std::numbers::pi;
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / rate;
        const double beat = std::fmod(t, 0.25);
        const double hit = std::exp(-beat * 25) * std::sin(twoPi * 70 * beat);
        const double chord = std::sin(twoPi * 220 * t) + 0.7 * std::sin(twoPi * 277.2 * t) +
                             0.5 * std::sin(twoPi * 329.6 * t + 1.0);
        audio.left[i] = 0.35 * hit + 0.08 * chord;
        audio.right[i] = 0.3 * hit - 0.06 * chord + 0.02 * std::sin(twoPi * 3000 * t);
    }
    return audio;
}

Stereo constant(double value, std::size_t frames)
{
    return {std::vector<double>(frames, value), std::vector<double>(frames, value)};
}

Stereo render(const Plugin& plugin, const Stereo& input, const RenderWay& way)
{
    Stereo output;
    std::minstd_rand random(12345);
    std::size_t from = 0;
    for (int n = 0; from < input.frames(); ++n)
    {
        int frames =
            way.randomBlocks ? static_cast<int>(random() % static_cast<unsigned>(way.block)) + 1 : way.block;
        frames =
            static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(frames), input.frames() - from));
        const bool wide = way.alternate ? n % 2 == 1 : way.wide;
        if (wide)
            processBlock<double>(plugin, input, from, frames, way, output);
        else
            processBlock<float>(plugin, input, from, frames, way, output);
        from += static_cast<std::size_t>(frames);
    }
    return output;
}

bool allFinite(const Stereo& audio, std::size_t from)
{
    for (std::size_t i = from; i < audio.frames(); ++i)
        if (!std::isfinite(audio.left[i]) || !std::isfinite(audio.right[i])) return false;
    return true;
}

double levelDifferenceDb(const Stereo& a, const Stereo& b, double rate, double fromSeconds)
{
    if (!allFinite(a) || !allFinite(b)) return std::numeric_limits<double>::infinity();
    double worst = 0.0;
    forEachWindow(a, b, rate, fromSeconds,
                  [&](double, double difference) { worst = std::max(worst, difference); });
    return worst;
}

double recoverySeconds(const Stereo& output, const Stereo& reference, double rate, double fromSeconds,
                       double toleranceDb)
{
    double lastOff = fromSeconds;
    double end = fromSeconds;
    forEachWindow(output, reference, rate, fromSeconds,
                  [&](double start, double difference)
                  {
                      end = start + kWindowSeconds;
                      if (!(difference <= toleranceDb)) lastOff = start + kWindowSeconds;
                  });
    return lastOff >= end ? -1.0 : lastOff - fromSeconds;
}

std::string formatDb(double db)
{
    if (!std::isfinite(db)) return "non-finite output";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f dB", db);
    return text;
}

} // namespace host::validation
