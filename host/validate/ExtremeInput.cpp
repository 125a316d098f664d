#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <cmath>
#include <limits>

namespace host::validation
{
namespace
{

constexpr double kLeadSeconds = 1.0;
constexpr std::size_t kBlock = 512;
constexpr double kModestOver = 10.0; // +20 dBFS, the yardstick for the far larger values
constexpr double kToleranceDb = 0.5;
// A non-finite sample may be lost, with what a 10 ms window around it holds.
constexpr double kNonFiniteDisturbance = 0.02;

struct Extreme
{
    const char* what;
    double value;
    std::size_t frames;   // replaced from the end of the lead on, alternating in sign
    bool compareToModest; // else: a non-finite value
};

// Values only the 64-bit entry can carry, and non-finite single samples.
const Extreme extremes[] = {
    {"one sample of 1e300", 1e300, 1, true},
    {"a block of +-1e200", 1e200, kBlock, true},
    {"one NaN sample", std::numeric_limits<double>::quiet_NaN(), 1, false},
    {"one +infinity sample", HUGE_VAL, 1, false},
    {"one -infinity sample", -HUGE_VAL, 1, false},
};

AudioBuffer withReplaced(const AudioBuffer& clean, double value, std::size_t frames)
{
    AudioBuffer input = clean;
    const auto from = static_cast<std::size_t>(kLeadSeconds * kRate);
    for (std::size_t i = 0; i < frames; ++i)
        for (auto& channel : input.channels)
            channel[from + i] = i % 2 == 0 ? value : -value;
    return input;
}

class ExtremeRun
{
  public:
    ExtremeRun(const std::string& modulePath, double seconds)
        : path(modulePath), clean(programme(kRate, kLeadSeconds + seconds))
    {
    }

    bool renderReference(Outcome& failure) { return renderOne(clean, reference, failure); }

    // Seconds until the output is back with the reference after the replaced
    // frames; negative when never; NaN when the output was not finite.
    double recoveryAfter(double value, std::size_t frames, Outcome& failure)
    {
        AudioBuffer output;
        if (!renderOne(withReplaced(clean, value, frames), output, failure)) return -1.0;
        if (!allFinite(output)) return std::numeric_limits<double>::quiet_NaN();
        const double from = kLeadSeconds + static_cast<double>(frames - 1) / kRate;
        return recoverySeconds(output, reference, from, kToleranceDb);
    }

  private:
    bool renderOne(const AudioBuffer& input, AudioBuffer& output, Outcome& failure)
    {
        auto plugin = openInstance(path, failure);
        if (!plugin) return false;
        start(*plugin, kRate);
        output = render(*plugin, input, {.wide = true});
        return true;
    }

    std::string path;
    AudioBuffer clean;
    AudioBuffer reference;
};

void judge(const Extreme& extreme, double recovery, double modest, double seconds, Findings& findings)
{
    const std::string what = extreme.what;
    if (std::isnan(recovery))
        findings.fail(what + ": output not finite");
    else if (recovery < 0)
        findings.fail(what + ": not back within 0.5 dB after " + formatSeconds(seconds));
    else if (!extreme.compareToModest && recovery > kNonFiniteDisturbance)
        findings.fail(what + ": disturbs " + formatSeconds(recovery) + " of what follows");
    else if (extreme.compareToModest && recovery > 2 * modest + 0.5)
        findings.fail(what + ": " + formatSeconds(recovery) + " to recover, against " +
                      formatSeconds(modest) + " after +20 dBFS");
}

} // namespace

Outcome checkExtremeInput(const std::string& path, const ValidationOptions& options)
{
    const double seconds = options.quick ? 4.0 : 8.0;
    Outcome failure;
    {
        auto probe = openInstance(path, failure);
        if (!probe) return failure;
        if (!probe->canDoubleReplacing()) return Outcome::passed("skipped: no 64-bit entry");
    }
    ExtremeRun run(path, seconds);
    reportStep("undisturbed render");
    if (!run.renderReference(failure)) return failure;
    Findings findings;
    std::string times;
    for (const Extreme& extreme : extremes)
    {
        double modest = 0.0;
        if (extreme.compareToModest)
        {
            reportStep(std::string(extreme.what) + ", +20 dBFS in its place");
            modest = run.recoveryAfter(kModestOver, extreme.frames, failure);
            if (!(modest >= 0)) modest = seconds; // an ordinary over that never recovers is another check's
        }
        reportStep(extreme.what);
        const double recovery = run.recoveryAfter(extreme.value, extreme.frames, failure);
        if (failure.verdict == Verdict::fail) return failure;
        judge(extreme, recovery, modest, seconds, findings);
        times += std::string(times.empty() ? "" : ", ") + extreme.what + " " + formatSeconds(recovery);
    }
    return findings.outcome("finite output and a bounded recovery after " + times);
}

} // namespace host::validation
