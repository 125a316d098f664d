#include "host/validate/Validator.h"

#include "host/validate/Check.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace host
{
namespace validation
{
namespace
{

int stepReportFd = -1;

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

// In the order a host meets the plug-in: loading, texts, the stream's set-up,
// audio, threads, programs, the editor.
const std::vector<Check>& allChecks()
{
    static const std::vector<Check> checks = {
        {"open and close", 120, checkOpenClose},
        {"floating-point traps", 60, checkFloatingPointTraps},
        {"indices and texts", 60, checkIndicesAndTexts},
        {"rate in every order", 120, checkRateOrders},
        {"rate range", 120, checkRateRange},
        {"blocks and entries", 120, checkBlocksAndEntries},
        {"threads", 120, checkThreads},
        {"hostile input", 240, checkHostileInput},
        {"extreme 64-bit input", 240, checkExtremeInput},
        {"subnormal input cost", 120, checkSubnormalCost},
        {"programs", 60, checkPrograms},
        {"editor", 120, checkEditor},
    };
    return checks;
}

} // namespace validation

namespace
{

using validation::Check;
using validation::Outcome;
using validation::Verdict;

// Exit codes of a check's process; anything else is a crash or a sanitizer's verdict.
constexpr int kExitPass = 0;
constexpr int kExitWarn = 10;
constexpr int kExitFail = 11;

[[noreturn]] void runChild(const Check& check, const std::string& pluginPath,
                           const ValidationOptions& options, int reportFd)
{
    validation::setStepReport(reportFd);
    const Outcome outcome = check.run(pluginPath, options);
    const std::string reason = "\n" + outcome.reason;
    for (std::size_t done = 0; done < reason.size();)
    {
        const ssize_t n = ::write(reportFd, reason.data() + done, reason.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(reportFd);
    // exit, not _exit: sanitizers give their verdict in the exit code at exit.
    std::exit(outcome.verdict == Verdict::pass   ? kExitPass
              : outcome.verdict == Verdict::warn ? kExitWarn
                                                 : kExitFail);
}

// Reads the child's reason until it closes the pipe or the time is up.
bool collectReason(int fd, int seconds, std::string& reason)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[512];
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return true;
        reason.append(buffer, static_cast<std::size_t>(n));
    }
}

// The child reports steps one per line and its reason last.
std::string lastLine(const std::string& text)
{
    const std::size_t end = text.find_last_not_of('\n');
    if (end == std::string::npos) return {};
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end - (start == std::string::npos ? 0 : start + 1) + 1);
}

Outcome outcomeOf(int status, const std::string& report)
{
    std::string reason = lastLine(report);
    if (WIFSIGNALED(status))
        return Outcome::failed(std::string("crashed with ") + strsignal(WTERMSIG(status)) +
                               (reason.empty() ? "" : " during " + reason));
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == kExitPass) return Outcome::passed(std::move(reason));
    if (code == kExitWarn) return Outcome::warned(std::move(reason));
    if (code == kExitFail) return Outcome::failed(std::move(reason));
    return Outcome::failed("ended with exit code " + std::to_string(code) +
                           (reason.empty() ? "" : " during " + reason) +
                           " (a sanitizer's report on standard error?)");
}

Outcome runIsolated(const Check& check, const std::string& pluginPath, const ValidationOptions& options)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return Outcome::failed(std::string("cannot start: ") + std::strerror(errno));
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return Outcome::failed(std::string("cannot start: ") + std::strerror(errno));
    if (child == 0)
    {
        ::close(pipeFds[0]);
        runChild(check, pluginPath, options, pipeFds[1]);
    }
    ::close(pipeFds[1]);
    const int seconds = options.quick ? (check.secondsAllowed + 1) / 2 : check.secondsAllowed;
    std::string reason;
    const bool finished = collectReason(pipeFds[0], seconds, reason);
    ::close(pipeFds[0]);
    if (!finished) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (!finished)
    {
        const std::string step = lastLine(reason);
        return Outcome::failed("did not finish within " + std::to_string(seconds) + " s" +
                               (step.empty() ? "" : " (during " + step + ")"));
    }
    return outcomeOf(status, reason);
}

const char* label(Verdict verdict)
{
    return verdict == Verdict::pass ? "PASS" : verdict == Verdict::warn ? "WARN" : "FAIL";
}

bool isTolerated(const Check& check, const ValidationOptions& options)
{
    return std::find(options.tolerated.begin(), options.tolerated.end(), check.name) !=
           options.tolerated.end();
}

} // namespace

bool isCheckName(const std::string& name)
{
    const auto& checks = validation::allChecks();
    return std::any_of(checks.begin(), checks.end(), [&](const Check& check) { return name == check.name; });
}

int runValidation(const std::string& pluginPath, const ValidationOptions& options, std::FILE* out)
{
    std::fprintf(out, "validating %s%s\n", pluginPath.c_str(), options.quick ? " (quick)" : "");
    int counts[3] = {};
    int tolerated = 0;
    for (const Check& check : validation::allChecks())
    {
        Outcome outcome = runIsolated(check, pluginPath, options);
        if (outcome.verdict != Verdict::pass && isTolerated(check, options))
        {
            outcome = Outcome::warned("tolerated: " + outcome.reason);
            ++tolerated;
        }
        else
            ++counts[static_cast<int>(outcome.verdict)];
        std::fprintf(out, "%s  %-22s %s\n", label(outcome.verdict), check.name, outcome.reason.c_str());
        std::fflush(out);
    }
    const int failures = counts[2] + (options.strict ? counts[1] : 0);
    std::fprintf(out, "%d passed, %d failed, %d warned%s%s\n", counts[0], counts[2], counts[1] + tolerated,
                 tolerated ? (" (" + std::to_string(tolerated) + " tolerated)").c_str() : "",
                 options.strict && counts[1] ? " (warnings fail: --strict)" : "");
    return failures == 0 ? 0 : 1;
}

} // namespace host
