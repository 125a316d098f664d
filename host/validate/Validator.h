#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace host
{

// `amberlit validate`: a hostile host's checks on any plug-in of the 2.4
// interface, through its module only. Each check runs in a process of its
// own with a time limit, so a crash or a hang is one failed line, not the
// end of the run.
struct ValidationOptions
{
    bool quick = false;  // fewer rounds and shorter runs
    bool strict = false; // behaviour the interface allows but careless hosts trip over fails too
    // Checks by name whose failures are shown as warnings that fail nothing,
    // not even with `strict`: known faults while their mend is under way.
    std::vector<std::string> tolerated;
};

// Whether `name` names one of the checks.
bool isCheckName(const std::string& name);

// Prints one line per check ("PASS", "WARN" or "FAIL", its name, a reason)
// and a summary; returns 0 when nothing failed, else 1.
int runValidation(const std::string& pluginPath, const ValidationOptions& options, std::FILE* out);

} // namespace host
