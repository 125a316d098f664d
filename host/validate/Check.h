#pragma once

#include "host/validate/Validator.h"

#include <algorithm>
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

// Worst verdict so far and every remark, joined into one line.
class Findings
{
  public:
    void fail(const std::string& what) { add(Verdict::fail, what); }
    void warn(const std::string& what) { add(Verdict::warn, what); }
    // Worth knowing, but no fault.
    void note(const std::string& what) { notes += "; " + what; }
    bool failed() const { return verdict == Verdict::fail; }
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

using CheckFunction = Outcome (*)(const std::string& pluginPath, const ValidationOptions& options);

struct Check
{
    const char* name;
    int secondsAllowed;
    // Runs in a process of its own that has loaded nothing yet.
    CheckFunction run;
};

const std::vector<Check>& allChecks();

// Tells the runner what the check is doing now, so that a crash or a hang
// can be reported with it. Set up by the runner in the check's process.
void reportStep(const std::string& step);
void setStepReport(int fd);

// One function per check, each in a file of its own.
Outcome checkOpenClose(const std::string& path, const ValidationOptions& options);
Outcome checkIndicesAndTexts(const std::string& path, const ValidationOptions& options);
Outcome checkRateOrders(const std::string& path, const ValidationOptions& options);
Outcome checkRateRange(const std::string& path, const ValidationOptions& options);
Outcome checkBlocksAndEntries(const std::string& path, const ValidationOptions& options);
Outcome checkThreads(const std::string& path, const ValidationOptions& options);
Outcome checkHostileInput(const std::string& path, const ValidationOptions& options);
Outcome checkExtremeInput(const std::string& path, const ValidationOptions& options);
Outcome checkSubnormalCost(const std::string& path, const ValidationOptions& options);
Outcome checkFloatingPointTraps(const std::string& path, const ValidationOptions& options);
Outcome checkPrograms(const std::string& path, const ValidationOptions& options);
Outcome checkEditor(const std::string& path, const ValidationOptions& options);

} // namespace host::validation
