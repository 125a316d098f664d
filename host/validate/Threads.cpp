#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <thread>
#include <vector>

namespace host::validation
{
namespace
{

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
void processUntil(PluginInstance& plugin, const std::atomic<bool>& stop, std::atomic<bool>& finite,
                  const std::vector<int>& automated, std::vector<float>& lastSent)
{
    const AudioBuffer input = programme(kRate, 0.2);
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

void automateUntil(PluginInstance& plugin, const std::atomic<bool>& stop, const std::vector<int>& automated,
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
void sweep(PluginInstance& plugin, std::atomic<int>& ready, int seed)
{
    ready.fetch_add(1);
    while (ready.load() < 2)
    {
    }
    for (int turn = 0; turn < 200; ++turn)
        for (int i = 0; i < plugin.parameterCount(); ++i)
            plugin.setParameter(i, static_cast<float>((turn * 31 + i * 7 + seed * 13) % 89) / 88.0f);
}

struct TornNames
{
    std::atomic<int> count{0};
    std::string example;
};

// Program names written whole and read whole; also takes the current program again.
void renameUntil(PluginInstance& plugin, const std::atomic<bool>& stop, TornNames& torn)
{
    if (plugin.programCount() < 1) return; // nothing to name
    static const char* const names[] = {"AAAAAAAAAAAAAAAAAAAAAAAA", "bb", "CCCCCCCCCCCC"};
    const std::string original = currentProgramName(plugin);
    for (int turn = 0; !stop.load(std::memory_order_relaxed); ++turn)
    {
        char name[kVstMaxProgNameLen + 1];
        std::snprintf(name, sizeof name, "%s", names[turn % 3]);
        plugin.dispatch(effSetProgramName, 0, 0, name);
        const std::string read = currentProgramName(plugin);
        // Some plug-ins keep 23 characters of a 24-character name: a cut name
        // is whole, a mix of two is not.
        if (read != original &&
            std::none_of(std::begin(names), std::end(names),
                         [&](const char* n)
                         { return !read.empty() && std::string_view(n).starts_with(read); }))
        {
            if (torn.count.fetch_add(1) == 0) torn.example = read;
        }
        plugin.dispatch(effSetProgram, 0, plugin.dispatch(effGetProgram));
    }
}

std::vector<int> everyParameter(int count, int from, int step)
{
    std::vector<int> indices;
    for (int i = from; i < count; i += step)
        indices.push_back(i);
    return indices;
}

// Parameters a quiet suspend and resume changed, by index.
std::string changedByResume(PluginInstance& plugin)
{
    const std::vector<float> before = parameters(plugin);
    switchOff(plugin);
    switchOn(plugin);
    const std::vector<float> after = parameters(plugin);
    std::string changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed += (changed.empty() ? "" : ", ") + std::to_string(i);
    return changed;
}

// Two writers of every parameter, started together and ending together, so
// that their last writes overlap; meanwhile the audio thread runs and the
// program is taken again and renamed. False once something was found.
bool overlappingWriters(PluginInstance& plugin, int round, Findings& findings)
{
    start(plugin, kRate, 256);
    std::vector<float> unused(static_cast<std::size_t>(plugin.parameterCount()));
    std::atomic<bool> stop{false}, finite{true};
    std::atomic<int> ready{0};
    TornNames torn;
    std::thread audio(processUntil, std::ref(plugin), std::cref(stop), std::ref(finite), std::vector<int>{},
                      std::ref(unused));
    std::thread programs(renameUntil, std::ref(plugin), std::cref(stop), std::ref(torn));
    std::thread first(sweep, std::ref(plugin), std::ref(ready), round);
    std::thread second(sweep, std::ref(plugin), std::ref(ready), round + 1);
    first.join();
    second.join();
    stop = true;
    audio.join();
    programs.join();
    if (!finite) findings.fail("output not finite while parameters changed");
    if (torn.count)
        findings.fail(std::to_string(torn.count.load()) + " program names read half-written, as \"" +
                      torn.example + "\"");
    const std::string changed = changedByResume(plugin);
    if (!changed.empty())
        findings.fail("after concurrent writes a suspend and resume changed parameter " + changed);
    return finite && !torn.count && changed.empty();
}

// Afterwards each parameter holds what the host last sent, compared with
// what the plug-in makes of the same values set calmly on a fresh instance.
void disjointWriters(const std::string& path, double duration, Findings& findings)
{
    Outcome failure;
    auto plugin = openInstance(path, failure);
    auto probe = openInstance(path, failure);
    if (!plugin || !probe) return findings.fail(failure.reason);
    start(*plugin, kRate, 256);
    const int count = plugin->parameterCount();
    std::vector<float> sentA(static_cast<std::size_t>(count), -1.0f), sentB(sentA);
    std::atomic<bool> stop{false}, finite{true};
    std::thread audio(processUntil, std::ref(*plugin), std::cref(stop), std::ref(finite),
                      everyParameter(count, 0, 2), std::ref(sentA));
    std::thread automation(automateUntil, std::ref(*plugin), std::cref(stop), everyParameter(count, 1, 2),
                           std::ref(sentB));
    for (const Stopwatch watch(duration); watch.running();)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    stop = true;
    audio.join();
    automation.join();
    switchOff(*plugin);
    switchOn(*plugin);
    const auto sent = [&](int i) { return (i % 2 == 0 ? sentA : sentB)[static_cast<std::size_t>(i)]; };
    for (int i = 0; i < count; ++i)
        if (sent(i) >= 0) probe->setParameter(i, sent(i));
    std::string lost;
    for (int i = 0; i < count; ++i)
        if (sent(i) >= 0 && plugin->parameter(i) != probe->parameter(i))
            lost += (lost.empty() ? "" : ", ") + std::to_string(i);
    if (!lost.empty())
        findings.fail("after suspend and resume parameter " + lost +
                      " no longer holds what the host last sent");
    if (!finite) findings.fail("output not finite while parameters changed");
}

} // namespace

Outcome checkThreads(const std::string& path, const ValidationOptions& options)
{
    Findings findings;
    const int rounds = options.quick ? 20 : 100;
    for (int round = 0; round < rounds; ++round)
    {
        reportStep("concurrent writers, round " + std::to_string(round + 1));
        Outcome failure;
        auto plugin = openInstance(path, failure);
        if (!plugin) return failure;
        if (!overlappingWriters(*plugin, round, findings)) break;
    }
    reportStep("writers on separate parameters");
    disjointWriters(path, options.quick ? 0.3 : 1.0, findings);
    return findings.outcome(
        "automation from two threads while processing and renaming: nothing lost or torn");
}

} // namespace host::validation
