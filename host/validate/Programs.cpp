#include "host/validate/Check.h"
#include "host/validate/Driving.h"

#include <algorithm>
#include <vector>

namespace host::validation
{
namespace
{

struct Program
{
    std::vector<float> values;
    std::string name;
};

std::vector<Program> takeEach(PluginInstance& plugin, int programs, Findings& findings)
{
    std::vector<Program> taken;
    for (int p = 0; p < programs; ++p)
    {
        plugin.dispatch(effSetProgram, 0, p);
        if (plugin.dispatch(effGetProgram) != p)
            findings.fail("effGetProgram does not report program " + std::to_string(p));
        taken.push_back({parameters(plugin), currentProgramName(plugin)});
    }
    return taken;
}

// In the other direction, so that each is left and taken again.
void takeEachAgain(PluginInstance& plugin, const std::vector<Program>& taken, Findings& findings)
{
    for (int p = static_cast<int>(taken.size()) - 1; p >= 0; --p)
    {
        plugin.dispatch(effSetProgram, 0, p);
        const Program& first = taken[static_cast<std::size_t>(p)];
        if (parameters(plugin) != first.values)
            findings.fail("program " + std::to_string(p) + " comes back with other values");
        if (currentProgramName(plugin) != first.name)
            findings.fail("program " + std::to_string(p) + " comes back with another name");
    }
}

void suspendAndResume(PluginInstance& plugin, Findings& findings)
{
    const std::vector<float> state = parameters(plugin);
    switchOff(plugin);
    switchOn(plugin);
    if (parameters(plugin) != state) findings.fail("a suspend and resume changed the parameters");
}

void rename(PluginInstance& plugin, const std::string& firstName, Findings& findings)
{
    char name[kVstMaxProgNameLen + 1] = "Validated";
    plugin.dispatch(effSetProgramName, 0, 0, name);
    const std::string renamed = currentProgramName(plugin);
    if (renamed != name && renamed != firstName) // renaming may be refused
        findings.fail("program name reads \"" + renamed + "\" after \"Validated\" was set");
}

} // namespace

Outcome checkPrograms(const std::string& path, const ValidationOptions&)
{
    Outcome failure;
    auto plugin = openInstance(path, failure);
    if (!plugin) return failure;
    start(*plugin, kRate);
    Findings findings;
    const int programs = std::min(plugin->programCount(), 32);
    if (programs < 1)
    {
        suspendAndResume(*plugin, findings);
        return findings.outcome("no programs; a suspend and resume keeps the parameters");
    }
    reportStep("every program taken");
    const std::vector<Program> taken = takeEach(*plugin, programs, findings);
    reportStep("every program taken again");
    takeEachAgain(*plugin, taken, findings);
    reportStep("suspend and resume");
    suspendAndResume(*plugin, findings);
    reportStep("rename");
    rename(*plugin, taken.front().name, findings);
    return findings.outcome(std::to_string(programs) + " programs keep their values and names");
}

} // namespace host::validation
