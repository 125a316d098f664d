#pragma once

#include "host/Validator.h"

#include <string>
#include <vector>

namespace host::validation
{

enum class Verdict
{
    pass,
    warn, // the interface allows it; a careless host would still suffer
    fail
};

struct Outcome
{
    Verdict verdict = Verdict::pass;
    std::string reason;

    static Outcome passed(std::string why) { return {Verdict::pass, std::move(why)}; }
    static Outcome warned(std::string why) { return {Verdict::warn, std::move(why)}; }
    static Outcome failed(std::string why) { return {Verdict::fail, std::move(why)}; }
};

struct Check
{
    const char* name;
    int secondsAllowed;
    // Runs in a process of its own that has loaded nothing yet.
    Outcome (*run)(const std::string& pluginPath, const ValidationOptions& options);
};

const std::vector<Check>& allChecks();

// Tells the runner what the check is doing now, so that a crash or a hang
// can be reported with it. Set up by the runner in the check's process.
void reportStep(const std::string& step);
void setStepReport(int fd);

} // namespace host::validation
