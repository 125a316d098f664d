#include "host/validate/Check.h"
#include "host/validate/Driving.h"
#include "host/validate/Signals.h"

#include <cmath>

namespace host::validation
{
namespace
{

constexpr std::size_t kBurst = 512;
constexpr double kLeadSeconds = 1.0;
constexpr double kModestOver = 10.0; // +20 dBFS: what an ordinary over looks like

struct BadInput
{
    const char* what;
    double value;
};

// Through the 32-bit entry, so every value is one a float can hold
// (1e-40 is a float subnormal).
const BadInput inputs[] = {{"+20 dBFS", kModestOver}, {"+120 dBFS", 1e6},    {"1e30", 1e30},
                           {"infinity", HUGE_VAL},    {"NaN", std::nan("")}, {"denormals", 1e-40}};

// Programme, then one block of `value`, then programme again.
AudioBuffer withBurst(const AudioBuffer& lead, double value, const AudioBuffer& tail)
{
    AudioBuffer input = lead;
    append(input, constant(value, kBurst, kRate));
    append(input, tail);
    return input;
}

} // namespace

Outcome checkHostileInput(const std::string& path, const ValidationOptions& options)
{
    const double after = options.quick ? 4.0 : 8.0;
    const AudioBuffer lead = programme(kRate, kLeadSeconds);
    const AudioBuffer tail = programme(kRate, after);
    const double tailStart = kLeadSeconds + static_cast<double>(kBurst) / kRate;
    Outcome failure;
    AudioBuffer reference;
    {
        auto plugin = openInstance(path, failure);
        if (!plugin) return failure;
        start(*plugin, kRate);
        reference = render(*plugin, withBurst(lead, 0.0, tail));
    }
    Findings findings;
    std::string times;
    double modestRecovery = 0.0;
    for (const BadInput& bad : inputs)
    {
        reportStep(std::string(bad.what) + " input");
        auto plugin = openInstance(path, failure);
        if (!plugin) return failure;
        start(*plugin, kRate);
        const AudioBuffer output = render(*plugin, withBurst(lead, bad.value, tail));
        if (!allFinite(output, static_cast<std::size_t>(tailStart * kRate)))
        {
            findings.fail(std::string(bad.what) + ": output not finite afterwards");
            continue;
        }
        const double recovery = recoverySeconds(output, reference, tailStart, 0.5);
        if (recovery < 0)
            findings.fail(std::string(bad.what) + ": not back within 0.5 dB after " + formatSeconds(after));
        else if (bad.value == kModestOver)
            modestRecovery = recovery;
        else if (bad.value > kModestOver && recovery > 2 * modestRecovery + 1.0)
            findings.fail(std::string(bad.what) + ": " + formatSeconds(recovery) + " to recover, against " +
                          formatSeconds(modestRecovery) + " after +20 dBFS");
        times += std::string(times.empty() ? "" : ", ") + bad.what + " " + formatSeconds(recovery);
    }
    return findings.outcome(
        "finite output after NaN, infinity, denormals and overs; back within 0.5 dB after " + times);
}

} // namespace host::validation
