#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <vector>

namespace host::validation
{
namespace
{

// Instances made and closed one after another, each processing a little.
Outcome cycleInstances(const std::string& path, int cycles)
{
    const AudioBuffer input = programme(kRate, 0.05);
    for (int i = 0; i < cycles; ++i)
    {
        Outcome failure;
        auto plugin = openInstance(path, failure);
        if (!plugin) return Outcome::failed("cycle " + std::to_string(i) + ": " + failure.reason);
        start(*plugin, kRate);
        if (!allFinite(render(*plugin, input)))
            return Outcome::failed("output not finite in cycle " + std::to_string(i));
        switchOff(*plugin);
    }
    return {};
}

Outcome manyInstancesAtOnce(const std::string& path, int together)
{
    const AudioBuffer input = programme(kRate, 0.05);
    std::vector<std::unique_ptr<PluginInstance>> plugins;
    for (int i = 0; i < together; ++i)
    {
        Outcome failure;
        plugins.push_back(openInstance(path, failure));
        if (!plugins.back())
            return Outcome::failed("instance " + std::to_string(i) + " was not created: " + failure.reason);
        start(*plugins.back(), kRate);
    }
    for (const auto& plugin : plugins)
        if (!allFinite(render(*plugin, input)))
            return Outcome::failed("an instance among many gave non-finite output");
    return {};
}

} // namespace

// Each load below starts with no instance alive, so the module is unloaded
// and loaded again between them.
Outcome checkOpenClose(const std::string& path, const ValidationOptions& options)
{
    const int cycles = options.quick ? 10 : 40;
    const int together = options.quick ? 16 : 64;
    reportStep("open/close cycles");
    if (Outcome cycled = cycleInstances(path, cycles); cycled.verdict != Verdict::pass) return cycled;
    reportStep("instances at once");
    if (Outcome many = manyInstancesAtOnce(path, together); many.verdict != Verdict::pass) return many;
    for (int load = 2; load <= 3; ++load)
    {
        reportStep("load " + std::to_string(load) + " of the module");
        if (Outcome again = cycleInstances(path, 2); again.verdict != Verdict::pass) return again;
    }
    return Outcome::passed(std::to_string(cycles) + " open/close cycles, " + std::to_string(together) +
                           " instances at once, 3 loads of the module");
}

} // namespace host::validation
