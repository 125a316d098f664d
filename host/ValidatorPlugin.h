#pragma once
// The validator's side of the interface: one module per check process, plug-in
// instances driven through their record only, a host whose answers a check
// can change, and the test signals with their comparisons.

#include "shell/host_interface.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace host::validation
{

// What the host answers; one per check process, shared by its instances.
struct HostAnswers
{
    std::atomic<int> sampleRate{0}; // audioMasterGetSampleRate; 0: not answered
    std::atomic<int> blockSize{512};
    std::atomic<int> connectedPins{2};
    std::atomic<int> automations{0};
};
HostAnswers& hostAnswers();

class Module
{
  public:
    static std::unique_ptr<Module> open(const std::string& path, std::string& error);
    ~Module();
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // An opened instance, or null when the entry gave no effect.
    AEffect* create() const;

  private:
    Module() = default;
    void* library = nullptr;
    VstPluginMainProc entry = nullptr;
};

// One instance: effOpen on creation, effClose on destruction.
class Plugin
{
  public:
    explicit Plugin(const Module& module);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    bool ok() const { return effect != nullptr; }
    AEffect& record() const { return *effect; }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f) const;
    void setSampleRate(float rate) const { dispatch(effSetSampleRate, 0, 0, nullptr, rate); }
    void setBlockSize(int frames) const { dispatch(effSetBlockSize, 0, frames); }
    void resume() const { dispatch(effMainsChanged, 0, 1); }
    void suspend() const { dispatch(effMainsChanged, 0, 0); }
    // Rate and block size announced, then switched on.
    void start(float rate, int maxBlock = 512) const;

    int parameterCount() const { return effect->numParams; }
    int programCount() const { return effect->numPrograms; }
    float parameter(int index) const { return effect->getParameter(effect, index); }
    void setParameter(int index, float value) const { effect->setParameter(effect, index, value); }
    std::string programName() const;
    bool canDouble() const { return (effect->flags & effFlagsCanDoubleReplacing) != 0; }
    bool hasEditor() const { return (effect->flags & effFlagsHasEditor) != 0; }

    void process(float** inputs, float** outputs, int frames) const
    {
        effect->processReplacing(effect, inputs, outputs, frames);
    }
    void process(double** inputs, double** outputs, int frames) const
    {
        effect->processDoubleReplacing(effect, inputs, outputs, frames);
    }

  private:
    AEffect* effect = nullptr;
};

// Two channels of audio, as doubles whatever the entry.
struct Stereo
{
    std::vector<double> left, right;
    std::size_t frames() const { return left.size(); }
    void append(const Stereo& other, std::size_t from, std::size_t count);
};

// Drum hits over a sustained chord, different on each side, about -6 dBFS at
// its peaks: it keeps dynamics processors working in both directions.
Stereo programme(double rate, double seconds);
Stereo constant(double value, std::size_t frames);

// How a render drives the process entries.
struct RenderWay
{
    int block = 512;
    bool wide = false;         // processDoubleReplacing
    bool alternate = false;    // both entries, block by block
    bool inPlace = false;      // outputs are the input buffers
    bool randomBlocks = false; // sizes from 1 to `block`
    bool emptyBlocks = false;  // a zero-length call between blocks
};

Stereo render(const Plugin& plugin, const Stereo& input, const RenderWay& way = {});

// Largest difference in level, in dB, between two renders over windows of
// 10 ms from `fromSeconds` on (windows where both are below -80 dBFS do not
// count); infinity when either holds a sample that is not finite.
double levelDifferenceDb(const Stereo& a, const Stereo& b, double rate, double fromSeconds = 0.1);

// Seconds from `fromSeconds` until the level stays within `toleranceDb` of
// the reference to the end; negative when it never does.
double recoverySeconds(const Stereo& output, const Stereo& reference, double rate, double fromSeconds,
                       double toleranceDb);

bool allFinite(const Stereo& audio, std::size_t from = 0);

std::string formatDb(double db);

} // namespace host::validation
