#include "host/ValidatorChecks.h"

#include "host/ValidatorPlugin.h"

#include <X11/Xlib.h>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>
#include <thread>

namespace host::validation
{
namespace
{

int stepReportFd = -1;

constexpr float kRate = 48000.0f;
constexpr double kSameLevelDb = 0.1; // renders that should agree may differ by rounding only
constexpr unsigned char kCanary = 0xA5;

// Worst verdict so far and every remark, joined into one line.
class Findings
{
  public:
    void fail(const std::string& what) { add(Verdict::fail, what); }
    void warn(const std::string& what) { add(Verdict::warn, what); }
    // Worth knowing, but no fault.
    void note(const std::string& what) { notes += "; " + what; }
    Outcome outcome(const std::string& passText) const
    {
        if (verdict == Verdict::pass) return Outcome::passed(passText + notes);
        return {verdict, text};
    }

  private:
    void add(Verdict level, const std::string& what)
    {
        verdict = std::max(verdict, level);
        text += (text.empty() ? "" : "; ") + what;
    }
    Verdict verdict = Verdict::pass;
    std::string text;
    std::string notes;
};

std::unique_ptr<Module> openModule(const std::string& path, Outcome& failure)
{
    std::string error;
    auto module = Module::open(path, error);
    if (!module) failure = Outcome::failed("cannot load: " + error);
    return module;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Open sockets of this process: an X connection is one.
int openSocketCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd"))
    {
        while (const dirent* entry = readdir(dir))
        {
            char target[64] = {};
            const std::string link = std::string("/proc/self/fd/") + entry->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0 &&
                std::strncmp(target, "socket:", 7) == 0)
                ++count;
        }
        closedir(dir);
    }
    return count;
}

std::string seconds(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", value);
    return text;
}

// Whether `action` ends normally in a process of its own.
template <typename Action> bool survives(Action action)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0)
    {
        action();
        ::_exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) < 0) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// ---- open and close ---------------------------------------------------------

Outcome checkOpenClose(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    const int cycles = options.quick ? 10 : 40;
    const int together = options.quick ? 16 : 64;
    const Stereo input = programme(kRate, 0.05);
    for (int load = 0; load < 3; ++load)
    {
        auto module = openModule(path, failure);
        if (!module) return failure;
        for (int i = 0; i < (load == 0 ? cycles : 2); ++i)
        {
            Plugin plugin(*module);
            if (!plugin.ok())
                return Outcome::failed("the entry gave no effect in cycle " + std::to_string(i));
            plugin.start(kRate);
            if (!allFinite(render(plugin, input)))
                return Outcome::failed("output not finite in cycle " + std::to_string(i));
            plugin.suspend();
        }
        if (load > 0) continue;
        std::vector<std::unique_ptr<Plugin>> plugins;
        for (int i = 0; i < together; ++i)
        {
            plugins.push_back(std::make_unique<Plugin>(*module));
            if (!plugins.back()->ok())
                return Outcome::failed("instance " + std::to_string(i) + " was not created");
            plugins.back()->start(kRate);
        }
        for (const auto& plugin : plugins)
            if (!allFinite(render(*plugin, input)))
                return Outcome::failed("an instance among many gave non-finite output");
    }
    return Outcome::passed(std::to_string(cycles) + " open/close cycles, " + std::to_string(together) +
                           " instances at once, 3 loads of the module");
}

// ---- indices and string buffers ----------------------------------------------

// A text buffer of the interface's size with canaries behind it.
class GuardedText
{
  public:
    explicit GuardedText(std::size_t fieldSize) : size(fieldSize), bytes(fieldSize + 256, kCanary) {}
    char* data() { return reinterpret_cast<char*>(bytes.data()); }
    // Bytes written, counted to the last one changed.
    std::size_t written() const
    {
        for (std::size_t i = bytes.size(); i > 0; --i)
            if (bytes[i - 1] != kCanary) return i;
        return 0;
    }
    bool overrun() const { return written() > size; }
    bool terminated() const { return std::memchr(bytes.data(), 0, size) != nullptr; }

    const std::size_t size;

  private:
    std::vector<unsigned char> bytes;
};

struct TextQuery
{
    const char* what;
    VstInt32 opcode;
    std::size_t size;     // the interface's size, terminator included
    std::size_t tolerate; // what hosts commonly allow beyond it
};

const std::vector<VstInt32> badIndices(int count)
{
    return {-1, count, count + 1, 1000, INT_MAX, INT_MIN};
}

void checkText(const Plugin& plugin, const TextQuery& query, VstInt32 index, VstIntPtr value,
               Findings& findings, bool& noted)
{
    GuardedText text(query.size);
    plugin.dispatch(query.opcode, index, value, text.data());
    const std::string where = std::string(query.what) + " " + std::to_string(index);
    if (text.written() > query.tolerate)
        findings.fail(where + " wrote " + std::to_string(text.written()) + " bytes into " +
                      std::to_string(query.size));
    else if (text.overrun() && !noted)
    {
        findings.note(where + " writes " + std::to_string(text.written()) +
                      " bytes where the interface says " + std::to_string(query.size) + " (hosts give " +
                      std::to_string(query.tolerate) + ")");
        noted = true;
    }
    else if (text.written() > 0 && !text.terminated() && !text.overrun())
        findings.fail(where + " left its text unterminated");
}

void checkPins(const Plugin& plugin, bool output, Findings& findings)
{
    const int count = output ? plugin.record().numOutputs : plugin.record().numInputs;
    const VstInt32 opcode = output ? effGetOutputProperties : effGetInputProperties;
    std::vector<VstInt32> indices = badIndices(count);
    for (int i = 0; i < count; ++i)
        indices.push_back(i);
    for (const VstInt32 index : indices)
    {
        std::vector<unsigned char> bytes(sizeof(VstPinProperties) + 64, kCanary);
        const VstIntPtr answer = plugin.dispatch(opcode, index, 0, bytes.data());
        if (std::any_of(bytes.begin() + sizeof(VstPinProperties), bytes.end(),
                        [](unsigned char b) { return b != kCanary; }))
            findings.fail(std::string(output ? "output" : "input") + " pin " + std::to_string(index) +
                          " wrote past the pin record");
        if (answer != 0 && (index < 0 || index >= count))
            findings.warn(std::string(output ? "output" : "input") + " pin " + std::to_string(index) +
                          " answers although the record announces " + std::to_string(count));
    }
}

Outcome checkIndices(const std::string& path, const ValidationOptions&)
{
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    Plugin plugin(*module);
    if (!plugin.ok()) return Outcome::failed("the entry gave no effect");
    Findings findings;
    const int params = plugin.parameterCount();
    const int programs = plugin.programCount();
    // Parameter texts are 8 characters in the interface; nearly every plug-in
    // writes more, and hosts give 64 or more.
    const TextQuery parameterTexts[] = {
        {"parameter name", effGetParamName, kVstMaxParamStrLen + 1, kVstMaxLabelLen},
        {"parameter label", effGetParamLabel, kVstMaxParamStrLen + 1, kVstMaxLabelLen},
        {"parameter display", effGetParamDisplay, kVstMaxParamStrLen + 1, kVstMaxLabelLen}};
    bool noted = false;
    std::vector<VstInt32> indices = badIndices(params);
    for (int i = 0; i < params; ++i)
        indices.push_back(i);
    reportStep("parameter texts");
    for (const TextQuery& query : parameterTexts)
        for (const VstInt32 index : indices)
            for (const float value : {0.0f, 0.5f, 1.0f})
            {
                if (index >= 0 && index < params) plugin.setParameter(index, value);
                checkText(plugin, query, index, 0, findings, noted);
            }
    const TextQuery strict[] = {
        {"effect name", effGetEffectName, kVstMaxEffectNameLen + 1, kVstMaxEffectNameLen + 1},
        {"vendor", effGetVendorString, kVstMaxVendorStrLen + 1, kVstMaxVendorStrLen + 1},
        {"product", effGetProductString, kVstMaxProductStrLen + 1, kVstMaxProductStrLen + 1},
        {"program name", effGetProgramName, kVstMaxProgNameLen + 1, kVstMaxProgNameLen + 1}};
    for (const TextQuery& query : strict)
        checkText(plugin, query, 0, 0, findings, noted);
    std::vector<VstInt32> programIndices = badIndices(programs);
    for (int i = 0; i < programs && i < 128; ++i)
        programIndices.push_back(i);
    const TextQuery indexedName{"program", effGetProgramNameIndexed, kVstMaxProgNameLen + 1,
                                kVstMaxProgNameLen + 1};
    for (const VstInt32 index : programIndices)
        checkText(plugin, indexedName, index, -1, findings, noted);
    reportStep("pin properties");
    checkPins(plugin, false, findings);
    checkPins(plugin, true, findings);
    reportStep("parameter indices out of range");
    char number[] = "0.5";
    for (const VstInt32 index : badIndices(params))
    {
        plugin.dispatch(effCanBeAutomated, index);
        plugin.dispatch(effString2Parameter, index, 0, number);
        plugin.setParameter(index, 0.5f);
        plugin.parameter(index);
    }
    for (const VstInt32 index : badIndices(programs))
        plugin.dispatch(effSetProgram, 0, index);
    const VstIntPtr current = plugin.dispatch(effGetProgram);
    if (programs > 0 && (current < 0 || current >= programs))
        findings.fail("effSetProgram with an index out of range left program " + std::to_string(current));
    for (int i = 0; i < params; ++i)
    {
        plugin.setParameter(i, 2.0f);
        const float value = plugin.parameter(i);
        if (!std::isfinite(value))
            findings.fail("parameter " + std::to_string(i) + " reads " + std::to_string(value) +
                          " after 2.0 was set");
        else if (!(value >= 0.0f && value <= 1.0f))
        {
            findings.warn("parameters read back values outside 0..1 that a host sent (2.0 for parameter " +
                          std::to_string(i) + ")");
            break;
        }
    }
    return findings.outcome("indices out of range refused, texts within their buffers (" +
                            std::to_string(params) + " parameters, " + std::to_string(programs) +
                            " programs)");
}

// ---- call orders ---------------------------------------------------------------

constexpr float kOtherRate = 96000.0f;

Stereo referenceAt(const Module& module, float rate, const Stereo& input)
{
    Plugin plugin(module);
    plugin.start(rate);
    return render(plugin, input);
}

void compareOrder(const char* order, const Stereo& output, const Stereo& reference, bool withinInterface,
                  Findings& findings)
{
    reportStep(std::string(order) + ", compared");
    const double difference = levelDifferenceDb(output, reference, kOtherRate);
    if (difference <= kSameLevelDb) return;
    const std::string text = std::string(order) + ": " + formatDb(difference) + " off";
    if (withinInterface || !std::isfinite(difference))
        findings.fail(text);
    else
        findings.warn(text + " (outside the interface)");
}

Outcome checkRateOrders(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    const Stereo input = programme(kOtherRate, options.quick ? 1.0 : 2.0);
    const Stereo reference = referenceAt(*module, kOtherRate, input);
    if (!allFinite(reference))
        return Outcome::failed("output not finite at " + std::to_string(int(kOtherRate)) + " Hz");
    Findings findings;
    {
        // The interface's own order: the rate changes while suspended.
        Plugin plugin(*module);
        plugin.start(44100.0f);
        render(plugin, programme(44100.0, 0.3));
        plugin.suspend();
        plugin.setSampleRate(kOtherRate);
        plugin.resume();
        compareOrder("rate changed while suspended", render(plugin, input), reference, true, findings);
    }
    {
        Plugin plugin(*module);
        plugin.start(44100.0f);
        plugin.setSampleRate(kOtherRate);
        compareOrder("rate set after resume", render(plugin, input), reference, false, findings);
    }
    {
        Plugin plugin(*module);
        plugin.start(44100.0f);
        render(plugin, programme(44100.0, 0.3));
        plugin.setSampleRate(kOtherRate);
        compareOrder("rate changed while processing", render(plugin, input), reference, false, findings);
    }
    {
        Plugin plugin(*module);
        plugin.setSampleRate(kOtherRate);
        plugin.setBlockSize(512);
        compareOrder("processing before any resume", render(plugin, input), reference, false, findings);
    }
    {
        Plugin plugin(*module);
        plugin.dispatch(effSetBlockSizeAndSampleRate, 0, 512, nullptr, kOtherRate);
        plugin.resume();
        compareOrder("rate through effSetBlockSizeAndSampleRate", render(plugin, input), reference, false,
                     findings);
    }
    return findings.outcome("the rate takes effect in every call order");
}

Outcome checkBlocks(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    const Stereo input = programme(kRate, options.quick ? 1.0 : 2.0);
    Plugin first(*module);
    first.start(kRate);
    const Stereo reference = render(first, input);
    if (!allFinite(reference)) return Outcome::failed("output not finite");
    Findings findings;
    struct Way
    {
        const char* what;
        RenderWay way;
        bool needsDouble;
    };
    const Way ways[] = {
        {"empty blocks between blocks", {.emptyBlocks = true}, false},
        {"block sizes from 1 to 512", {.randomBlocks = true}, false},
        {"blocks of 1 frame", {.block = 1}, false},
        {"in-place buffers", {.inPlace = true}, false},
        {"both entries alternating", {.alternate = true}, true},
        {"in-place, 64-bit", {.wide = true, .inPlace = true}, true},
    };
    for (const Way& way : ways)
    {
        if (way.needsDouble && !first.canDouble()) continue;
        reportStep(way.what);
        Plugin plugin(*module);
        plugin.start(kRate);
        const double difference = levelDifferenceDb(render(plugin, input, way.way), reference, kRate);
        if (!(difference <= kSameLevelDb))
            findings.fail(std::string(way.what) + ": " + formatDb(difference) + " off");
    }
    return findings.outcome(
        "the same output for any blocking, either entry, in place or not, with empty calls");
}

// ---- threads ---------------------------------------------------------------------

class Stopwatch
{
  public:
    explicit Stopwatch(double seconds)
        : end(std::chrono::steady_clock::now() +
              std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                  std::chrono::duration<double>(seconds)))
    {
    }
    bool running() const { return std::chrono::steady_clock::now() < end; }

  private:
    std::chrono::steady_clock::time_point end;
};

// The audio thread: blocks back to back, with host automation between them.
void processUntil(const Plugin& plugin, const std::atomic<bool>& stop, std::atomic<bool>& finite,
                  const std::vector<int>& automated, std::vector<float>& lastSent)
{
    const Stereo input = programme(kRate, 0.2);
    std::size_t turn = 0;
    while (!stop.load(std::memory_order_relaxed))
    {
        if (!allFinite(render(plugin, input, {.block = 256}))) finite.store(false);
        for (const int index : automated)
        {
            const float value =
                static_cast<float>((turn * 7 + static_cast<std::size_t>(index) * 3) % 101) / 100.0f;
            plugin.setParameter(index, value);
            lastSent[static_cast<std::size_t>(index)] = value;
        }
        ++turn;
    }
}

void automateUntil(const Plugin& plugin, const std::atomic<bool>& stop, const std::vector<int>& automated,
                   std::vector<float>& lastSent)
{
    for (std::size_t turn = 0; !stop.load(std::memory_order_relaxed); ++turn)
        for (const int index : automated)
        {
            const float value =
                static_cast<float>((turn * 13 + static_cast<std::size_t>(index)) % 97) / 96.0f;
            plugin.setParameter(index, value);
            lastSent[static_cast<std::size_t>(index)] = value;
        }
}

// Sweeps over every parameter once both writers are ready.
void sweep(const Plugin& plugin, std::atomic<int>& ready, int seed)
{
    ready.fetch_add(1);
    while (ready.load() < 2)
    {
    }
    for (int turn = 0; turn < 200; ++turn)
        for (int i = 0; i < plugin.parameterCount(); ++i)
            plugin.setParameter(i, static_cast<float>((turn * 31 + i * 7 + seed * 13) % 89) / 88.0f);
}

// Program names written whole and read whole; also takes the current program again.
void renameUntil(const Plugin& plugin, const std::atomic<bool>& stop, std::atomic<int>& torn,
                 std::string& tornExample)
{
    if (plugin.programCount() < 1) return; // nothing to name
    static const char* const names[] = {"AAAAAAAAAAAAAAAAAAAAAAAA", "bb", "CCCCCCCCCCCC"};
    const std::string original = plugin.programName();
    for (int turn = 0; !stop.load(std::memory_order_relaxed); ++turn)
    {
        char name[kVstMaxProgNameLen + 1];
        std::snprintf(name, sizeof name, "%s", names[turn % 3]);
        plugin.dispatch(effSetProgramName, 0, 0, name);
        const std::string read = plugin.programName();
        // Some plug-ins keep 23 characters of a 24-character name: a cut name
        // is whole, a mix of two is not.
        if (read != original &&
            std::none_of(std::begin(names), std::end(names),
                         [&](const char* n)
                         { return !read.empty() && std::string_view(n).starts_with(read); }))
        {
            if (torn.fetch_add(1) == 0) tornExample = read;
        }
        plugin.dispatch(effSetProgram, 0, plugin.dispatch(effGetProgram));
    }
}

std::vector<int> everyParameter(int count, int from = 0, int step = 1)
{
    std::vector<int> indices;
    for (int i = from; i < count; i += step)
        indices.push_back(i);
    return indices;
}

std::vector<float> parameters(const Plugin& plugin)
{
    std::vector<float> values;
    for (int i = 0; i < plugin.parameterCount(); ++i)
        values.push_back(plugin.parameter(i));
    return values;
}

// Parameters a quiet suspend and resume changed, by index.
std::string changedByResume(const Plugin& plugin)
{
    const std::vector<float> before = parameters(plugin);
    plugin.suspend();
    plugin.resume();
    const std::vector<float> after = parameters(plugin);
    std::string changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed += (changed.empty() ? "" : ", ") + std::to_string(i);
    return changed;
}

Outcome checkThreads(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    Findings findings;
    const double duration = options.quick ? 0.3 : 1.0;
    const int rounds = options.quick ? 20 : 100;
    for (int round = 0; round < rounds; ++round)
    {
        // Two writers of every parameter, started together and ending
        // together, so that their last writes overlap; meanwhile the audio
        // thread runs and the program is taken again and renamed.
        reportStep("concurrent writers, round " + std::to_string(round + 1));
        Plugin plugin(*module);
        plugin.start(kRate, 256);
        const int count = plugin.parameterCount();
        std::vector<float> sentA(static_cast<std::size_t>(count));
        std::atomic<bool> stop{false}, finite{true};
        std::atomic<int> torn{0}, ready{0};
        std::string tornExample;
        std::thread audio(processUntil, std::cref(plugin), std::cref(stop), std::ref(finite),
                          std::vector<int>{}, std::ref(sentA));
        std::thread programs(renameUntil, std::cref(plugin), std::cref(stop), std::ref(torn),
                             std::ref(tornExample));
        std::thread first(sweep, std::cref(plugin), std::ref(ready), round);
        std::thread second(sweep, std::cref(plugin), std::ref(ready), round + 1);
        first.join();
        second.join();
        stop = true;
        audio.join();
        programs.join();
        if (!finite) findings.fail("output not finite while parameters changed");
        if (torn)
            findings.fail(std::to_string(torn.load()) + " program names read half-written, as \"" +
                          tornExample + "\"");
        const std::string changed = changedByResume(plugin);
        if (!changed.empty())
            findings.fail("after concurrent writes a suspend and resume changed parameter " + changed);
        if (!finite || torn || !changed.empty()) break;
    }
    {
        // Disjoint writers: afterwards each parameter holds what the host last sent.
        Plugin plugin(*module);
        plugin.start(kRate, 256);
        const int count = plugin.parameterCount();
        std::vector<float> sentA(static_cast<std::size_t>(count), -1.0f), sentB(sentA);
        std::atomic<bool> stop{false}, finite{true};
        std::thread audio(processUntil, std::cref(plugin), std::cref(stop), std::ref(finite),
                          everyParameter(count, 0, 2), std::ref(sentA));
        std::thread automation(automateUntil, std::cref(plugin), std::cref(stop), everyParameter(count, 1, 2),
                               std::ref(sentB));
        for (const Stopwatch watch(duration); watch.running();)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stop = true;
        audio.join();
        automation.join();
        plugin.suspend();
        plugin.resume();
        // What the plug-in makes of the same values, set calmly on a fresh instance.
        Plugin probe(*module);
        std::string lost;
        for (int i = 0; i < count; ++i)
            probe.setParameter(i, i % 2 == 0 ? sentA[static_cast<std::size_t>(i)]
                                             : sentB[static_cast<std::size_t>(i)]);
        for (int i = 0; i < count; ++i)
            if (sentA[static_cast<std::size_t>(i)] >= 0 || sentB[static_cast<std::size_t>(i)] >= 0)
                if (plugin.parameter(i) != probe.parameter(i))
                    lost += (lost.empty() ? "" : ", ") + std::to_string(i);
        if (!lost.empty())
            findings.fail("after suspend and resume parameter " + lost +
                          " no longer holds what the host last sent");
        if (!finite) findings.fail("output not finite while parameters changed");
    }
    return findings.outcome(
        "automation from two threads while processing and renaming: nothing lost or torn");
}

// ---- hostile input -----------------------------------------------------------------

struct BadInput
{
    const char* what;
    double value;
};

Outcome checkBadInput(const std::string& path, const ValidationOptions& options)
{
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    Findings findings;
    const double before = 1.0;
    const double after = options.quick ? 4.0 : 8.0;
    const std::size_t burst = 512;
    const Stereo lead = programme(kRate, before);
    const Stereo tail = programme(kRate, after);
    Stereo clean = lead;
    clean.append(constant(0.0, burst), 0, burst);
    clean.append(tail, 0, tail.frames());
    const Stereo reference = referenceAt(*module, kRate, clean);
    const double tailStart = before + static_cast<double>(burst) / kRate;
    std::string times;
    double modestRecovery = 0.0;
    const BadInput inputs[] = {{"+20 dBFS", 10.0},     {"+120 dBFS", 1e6},    {"1e30", 1e30},
                               {"infinity", HUGE_VAL}, {"NaN", std::nan("")}, {"denormals", 1e-310}};
    for (const BadInput& bad : inputs)
    {
        Stereo input = lead;
        input.append(constant(bad.value, burst), 0, burst);
        input.append(tail, 0, tail.frames());
        reportStep(std::string(bad.what) + " input");
        Plugin plugin(*module);
        plugin.start(kRate);
        const Stereo output = render(plugin, input);
        if (!allFinite(output, static_cast<std::size_t>(tailStart * kRate)))
        {
            findings.fail(std::string(bad.what) + ": output not finite afterwards");
            continue;
        }
        const double recovery = recoverySeconds(output, reference, kRate, tailStart, 0.5);
        if (recovery < 0)
            findings.fail(std::string(bad.what) + ": not back within 0.5 dB after " + seconds(after));
        else if (bad.value == 10.0)
            modestRecovery = recovery;
        else if (bad.value > 10.0 && recovery > 2 * modestRecovery + 1.0)
            findings.fail(std::string(bad.what) + ": " + seconds(recovery) + " to recover, against " +
                          seconds(modestRecovery) + " after +20 dBFS");
        times += std::string(times.empty() ? "" : ", ") + bad.what + " " + seconds(recovery);
    }
    // Denormal input must not cost much more than ordinary input.
    Plugin plugin(*module);
    plugin.start(kRate);
    const Stereo tiny = constant(1e-310, static_cast<std::size_t>(kRate * 2));
    const Stereo normal = programme(kRate, 2.0);
    double start = cpuSeconds();
    render(plugin, normal);
    const double normalCost = cpuSeconds() - start;
    start = cpuSeconds();
    render(plugin, tiny);
    const double tinyCost = cpuSeconds() - start;
    if (tinyCost > 10 * normalCost + 0.05)
        findings.fail("denormal input costs " + std::to_string(static_cast<int>(tinyCost / normalCost)) +
                      " times the CPU");
    return findings.outcome(
        "finite output after NaN, infinity, denormals and overs; back within 0.5 dB after " + times);
}

// ---- programs ------------------------------------------------------------------------

Outcome checkPrograms(const std::string& path, const ValidationOptions&)
{
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    Plugin plugin(*module);
    plugin.start(kRate);
    Findings findings;
    const int programs = std::min(plugin.programCount(), 32);
    if (programs < 1)
    {
        if (!changedByResume(plugin).empty())
            return Outcome::failed("a suspend and resume changed the parameters");
        return Outcome::passed("no programs; a suspend and resume keeps the parameters");
    }
    std::vector<std::vector<float>> values;
    std::vector<std::string> names;
    for (int p = 0; p < programs; ++p)
    {
        plugin.dispatch(effSetProgram, 0, p);
        if (plugin.dispatch(effGetProgram) != p)
            findings.fail("effGetProgram does not report program " + std::to_string(p));
        values.push_back(parameters(plugin));
        names.push_back(plugin.programName());
    }
    for (int p = programs - 1; p >= 0; --p)
    {
        plugin.dispatch(effSetProgram, 0, p);
        if (parameters(plugin) != values[static_cast<std::size_t>(p)])
            findings.fail("program " + std::to_string(p) + " comes back with other values");
        if (plugin.programName() != names[static_cast<std::size_t>(p)])
            findings.fail("program " + std::to_string(p) + " comes back with another name");
    }
    const std::vector<float> state = parameters(plugin);
    plugin.suspend();
    plugin.resume();
    if (parameters(plugin) != state) findings.fail("a suspend and resume changed the parameters");
    char name[kVstMaxProgNameLen + 1] = "Validated";
    plugin.dispatch(effSetProgramName, 0, 0, name);
    const std::string renamed = plugin.programName();
    if (renamed != name && renamed != names.front()) // renaming may be refused
        findings.fail("program name reads \"" + renamed + "\" after \"Validated\" was set");
    return findings.outcome(std::to_string(programs) + " programs keep their values and names");
}

// ---- editor ----------------------------------------------------------------------------

// Child windows of `parent` that are still there.
int childWindows(Display* display, Window parent)
{
    Window root = 0, parentOut = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &parentOut, &children, &count)) return 0;
    if (children) XFree(children);
    return static_cast<int>(count);
}

bool openAndClose(const Plugin& plugin, Display* display, Window parent)
{
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (!plugin.dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(parent))) return false;
    for (int i = 0; i < 5; ++i)
    {
        plugin.dispatch(effEditIdle);
        XSync(display, False);
    }
    plugin.dispatch(effEditClose);
    XSync(display, False);
    return true;
}

Outcome checkEditor(const std::string& path, const ValidationOptions& options)
{
    const char* displayName = std::getenv("DISPLAY");
    if (!displayName || !*displayName) return Outcome::passed("skipped: no display");
    Outcome failure;
    auto module = openModule(path, failure);
    if (!module) return failure;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return Outcome::passed("skipped: the display cannot be opened");
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 800, 600, 0, 0, 0);
    XSync(display, False);
    Findings findings;
    const int socketsAtStart = openSocketCount();
    {
        Plugin first(*module);
        if (!first.hasEditor())
        {
            XCloseDisplay(display);
            return Outcome::passed("skipped: no editor");
        }
        // One connection kept for the whole process is allowed; more are not.
        const int filesBefore = openSocketCount();
        if (!openAndClose(first, display, parent)) findings.fail("the editor did not open");
        const int filesAfterFirst = openSocketCount();
        const int rounds = options.quick ? 5 : 20;
        for (int i = 0; i < rounds; ++i)
            openAndClose(first, display, parent);
        std::vector<std::unique_ptr<Plugin>> others;
        for (int i = 0; i < 4; ++i)
        {
            others.push_back(std::make_unique<Plugin>(*module));
            openAndClose(*others.back(), display, parent);
        }
        const int filesAfter = openSocketCount();
        if (filesAfter > filesAfterFirst || filesAfterFirst > filesBefore + 1)
            findings.fail(std::to_string(filesAfter - filesBefore) + " connections left open after " +
                          std::to_string(rounds + 5) + " editors of 5 instances closed");
        if (const int left = childWindows(display, parent); left > 0)
            findings.fail(std::to_string(left) + " windows left in the host's window");
    }
    if (const int left = openSocketCount() - socketsAtStart; left > 1)
        findings.fail(std::to_string(left) + " connections still open after the instances closed");
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    return findings.outcome(
        "opened and closed repeatedly, in several instances: no window or connection left");
}

} // namespace

void setStepReport(int fd)
{
    stepReportFd = fd;
}

void reportStep(const std::string& step)
{
    if (stepReportFd < 0) return;
    const std::string line = step + "\n";
    [[maybe_unused]] const ssize_t written = ::write(stepReportFd, line.data(), line.size());
}

const std::vector<Check>& allChecks()
{
    static const std::vector<Check> checks = {
        {"open and close", 120, checkOpenClose},
        {"indices and texts", 60, checkIndices},
        {"rate in every order", 120, checkRateOrders},
        {"blocks and entries", 120, checkBlocks},
        {"threads", 120, checkThreads},
        {"hostile input", 240, checkBadInput},
        {"programs", 60, checkPrograms},
        {"editor", 120, checkEditor},
    };
    return checks;
}

} // namespace host::validation
